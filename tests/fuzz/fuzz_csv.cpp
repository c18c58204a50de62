// CSV tables of any content. Reading never crashes, leaks or hangs: a table either reads to its
// end, every record as many fields as the first line names, or is refused with a message that
// names the line at fault (or says the table is empty); filling a text from each record leaves
// the fields of the table's names filled.

#include "documentfuzz.h"
#include "fuzzsupport.h"

#include "document/csvtable.h"
#include "document/fields.h"

#include <QBuffer>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return StartDocumentFuzzing();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer->open(QIODevice::ReadOnly);
    try {
        Tcsvreader table(std::move(buffer));
        TFieldValues values;
        values.Names = std::make_shared<const QStringList>(table.Names());
        int64_t lastLine = 0;
        while (table.Next(values.Values)) {
            FUZZ_CHECK(values.Values.size() == table.Names().size());
            FUZZ_CHECK(table.RecordLine() > lastLine);
            lastLine = table.RecordLine();
            // Every name a field can be written with fills to its record's value.
            for (const QString &name : table.Names()) {
                if (name.isEmpty() || name.contains(u'{') || name.contains(u'}') || name.contains(u'$') ||
                    name.contains(u':') || name.contains(u'\n'))
                    continue;
                const QString *value = values.Value(name);
                FUZZ_CHECK(value != nullptr);
                FUZZ_CHECK(FillFields(QStringLiteral("${") + name + QStringLiteral("}"), values) == *value);
            }
        }
    } catch (const ECsvError &e) {
        const QString message = e.Message();
        FUZZ_CHECK(message.startsWith(QStringLiteral("line ")) ||
                   message == QStringLiteral("the table is empty"));
    }
    return 0;
}
