#include "documentfuzz.h"

#include "fuzzsupport.h"
#include "platform/errors.h"
#include "platform/filedialog.h"
#include "platform/messages.h"

#include <QBuffer>
#include <cstdio>

void AnswerEverythingWithCancel()
{
    SetMessageBoxHook([](const QString &, TMsgIcon, TMsgButtons) { return int(mrCancel); });
    SetFileDialogFactory(nullptr);
}

void SetUpFuzzLabel(Tdrawlist &doc)
{
    doc.SetLabelRect({100000, 100000, 100001, 100001});
    doc.SetLabelWidth(4.0);
    doc.SetLabelHeight(3.5);
}

void LoadInput(Tdrawlist &doc, const uint8_t *data, size_t size)
{
    QBuffer input;
    // Not a copy: reading past the input's end is caught.
    input.setData(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    input.open(QIODevice::ReadOnly);
    const int32_t end = doc.LoadFromStream(input);
    FUZZ_CHECK(end >= 0 && qint64(end) <= qint64(size));
    FUZZ_CHECK(input.pos() == 0);
    // Only a file that lost part of its contents is left modified.
    FUZZ_CHECK(doc.IsModified() == doc.LoadDamaged);
}

QByteArray SaveAndReload(Tdrawlist &doc, Tdrawlist &again)
{
    QBuffer saved;
    saved.open(QIODevice::ReadWrite);
    try {
        doc.SaveToStream(saved);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "saving raised: %s\n", qPrintable(ErrorMessage(e)));
        FUZZ_CHECK(!"saving what loaded raised");
    }
    const QByteArray bytes = saved.data();
    LoadInput(again, reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    FUZZ_CHECK(!again.LoadDamaged);
    FUZZ_CHECK(again.Count() == doc.Count());
    for (int32_t i = 0; i < doc.Count(); ++i)
        FUZZ_CHECK(again.GetObject(i)->GetTypeCode() == doc.GetObject(i)->GetTypeCode());
    return bytes;
}
