#include "documentfuzz.h"

#include "common/testsupport.h"
#include "fuzzsupport.h"
#include "platform/errors.h"
#include "platform/filedialog.h"
#include "platform/messages.h"

#include <cstdio>

int StartDocumentFuzzing()
{
    StartFuzzApplication();
    SetMessageBoxHook([](const QString &, TMsgIcon, TMsgButtons) { return int(mrCancel); });
    SetFileDialogFactory(nullptr);
    return 0;
}

void LoadInput(Tdrawlist &doc, const uint8_t *data, size_t size)
{
    SetUpLabel(doc);
    int32_t end = -1;
    // Not a copy: reading past the input's end is caught.
    const qint64 position =
        ReadBack(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)),
                 [&](QIODevice &input) { end = doc.LoadFromStream(input); });
    FUZZ_CHECK(end >= 0 && qint64(end) <= qint64(size));
    FUZZ_CHECK(position == 0);
    // Only a file that lost part of its contents is left modified.
    FUZZ_CHECK(doc.IsModified() == doc.LoadDamaged);
}

void SaveAndReload(Tdrawlist &doc, Tdrawlist &again)
{
    QByteArray bytes;
    try {
        bytes = Saved(doc);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "saving raised: %s\n", qPrintable(ErrorMessage(e)));
        FUZZ_CHECK(!"saving what loaded raised");
    }
    LoadInput(again, reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    FUZZ_CHECK(!again.LoadDamaged);
    FUZZ_CHECK(again.Count() == doc.Count());
    for (int32_t i = 0; i < doc.Count(); ++i)
        FUZZ_CHECK(again.GetObject(i)->GetTypeCode() == doc.GetObject(i)->GetTypeCode());
}
