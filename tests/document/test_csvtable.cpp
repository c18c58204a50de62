// The CSV reader against awkward files: quotes, line breaks inside them, byte-order marks,
// separators, Windows-1252, empty lines, fields missing or too many, a 1 MB field, and quotes
// left open, each refused with the line it happened on.

#include "document/csvtable.h"

#include <QBuffer>
#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {
std::unique_ptr<Tcsvreader> Reader(const QByteArray &bytes)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return std::make_unique<Tcsvreader>(std::move(buffer));
}

// Every record after the names, fields joined by "|", records by "/"; or "error: " and the
// message.
QString ReadAll(const QByteArray &bytes)
{
    try {
        auto reader = Reader(bytes);
        QStringList records{reader->Names().join(u'|')};
        QStringList fields;
        while (reader->Next(fields))
            records.append(fields.join(u'|'));
        return records.join(u'/');
    } catch (const ECsvError &e) {
        return QStringLiteral("error: ") + e.Message();
    }
}
} // namespace

TEST(CsvTable, AwkwardFilesReadAsTheirRecords)
{
    struct Case {
        const char *Name;
        QByteArray Bytes;
        QString Records;
    };
    const Case cases[] = {
        {"plain", "lot,vintage\nA1,2021\nA2,2022\n", "lot|vintage/A1|2021/A2|2022"},
        {"no final line break", "lot,vintage\nA1,2021", "lot|vintage/A1|2021"},
        {"CR LF", "lot,vintage\r\nA1,2021\r\n", "lot|vintage/A1|2021"},
        {"quoted with separator", "a,b\n\"x, y\",z\n", "a|b/x, y|z"},
        {"doubled quotes", "a,b\n\"say \"\"hi\"\"\",z\n", "a|b/say \"hi\"|z"},
        {"line break in quotes", "a,b\n\"one\ntwo\",z\n", "a|b/one\ntwo|z"},
        {"empty quoted", "a,b\n\"\",z\n", "a|b/|z"},
        {"quote inside plain field", "a,b\n5\" pipe,z\n", "a|b/5\" pipe|z"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBFlot,name\n1,Ros\xC3\xA9\n", "lot|name/1|Ros\u00E9"},
        {"UTF-8 without mark", "lot,name\n1,Gr\xC3\xBCner\n", "lot|name/1|Gr\u00FCner"},
        {"Windows-1252", "lot,name\n1,Ros\xE9 \x80 \x96\n", "lot|name/1|Ros\u00E9 \u20AC \u2013"},
        {"semicolons", "lot;price\nA1;12,50\n", "lot|price/A1|12,50"},
        {"tabs", "lot\tname\nA1\tx, y; z\n", "lot|name/A1|x, y; z"},
        {"semicolon inside quoted header", "\"a;b\",c\n1,2\n", "a;b|c/1|2"},
        {"empty last lines", "a,b\n1,2\n\n\n", "a|b/1|2"},
        {"empty line inside", "a,b\n1,2\n\n3,4\n", "a|b/1|2/3|4"},
        {"names trimmed", " lot , vintage \n1,2\n", "lot|vintage/1|2"},
        {"header only", "a,b\n", "a|b"},
        {"missing field", "a,b,c\n1,2,3\n4,5\n", "error: line 3: 2 fields where the first line names 3"},
        {"field too many", "a,b\n1,2,3\n", "error: line 2: 3 fields where the first line names 2"},
        {"unclosed quote", "a,b\n1,2\n\"open,3\n4,5\n", "error: line 3: a quote is not closed"},
        {"unclosed quote in header", "\"a,b\n", "error: line 1: a quote is not closed"},
        {"text after closing quote", "a,b\n\"x\"y,2\n",
         "error: line 2: a closing quote is followed by \"y\", not by a separator"},
        {"empty file", "", "error: the table is empty"},
        {"error after line breaks in quotes", "a\n\"1\n2\n3\"\n\"x\n",
         "error: line 5: a quote is not closed"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ReadAll(c.Bytes), c.Records) << c.Name;
}

TEST(CsvTable, InvalidUtf8LateInALargeFileStillReadsAsWindows1252)
{
    // The decision covers the whole file, not its first piece.
    QByteArray bytes = "name\n";
    for (int i = 0; i < 20000; ++i)
        bytes += "R\xC3\xA9serve\n";
    bytes += "Caf\xE9\n";
    auto reader = Reader(bytes);
    EXPECT_FALSE(reader->IsUtf8());
    QStringList fields;
    ASSERT_TRUE(reader->Next(fields));
    EXPECT_EQ(fields.first(), QStringLiteral("R\u00C3\u00A9serve"));
}

TEST(CsvTable, UTF8SplitAcrossPiecesDecodesWhole)
{
    // The reader decodes in 64 KiB pieces: a two-byte letter straddles the boundary.
    QByteArray bytes = "name\n" + QByteArray(64 * 1024 - 6, 'a') + "\xC3\xA9\n";
    auto reader = Reader(bytes);
    ASSERT_TRUE(reader->IsUtf8());
    QStringList fields;
    ASSERT_TRUE(reader->Next(fields));
    EXPECT_TRUE(fields.first().endsWith(QStringLiteral("a\u00E9")));
    EXPECT_EQ(fields.first().size(), 64 * 1024 - 5);
}

TEST(CsvTable, MegabyteFieldWithQuotesAndLineBreaks)
{
    QByteArray big;
    for (int i = 0; i < 1 << 17; ++i)
        big += i % 100 == 0 ? "\"\"\n\"\"x,y" : "abcdefgh";
    const QByteArray bytes = "id,text,after\n1,\"" + big + "\",end\n2,short,end\n";
    auto reader = Reader(bytes);
    QStringList fields;
    ASSERT_TRUE(reader->Next(fields));
    EXPECT_GT(fields[1].size(), 1000000);
    EXPECT_EQ(fields[1].count(u'\n'), (1 << 17) / 100 + 1);
    EXPECT_EQ(fields[2], QStringLiteral("end"));
    ASSERT_TRUE(reader->Next(fields));
    EXPECT_EQ(reader->RecordLine(), 3 + (1 << 17) / 100 + 1);
    EXPECT_THAT(fields, ElementsAre(QStringLiteral("2"), QStringLiteral("short"), QStringLiteral("end")));
}
