// The PDF export's command line: what it takes, and the sloppy or repeated options it refuses
// rather than guess at.

#include "editing/pdfexportargs.h"

#include <gmock/gmock.h>

namespace {
QStringList Args(std::initializer_list<const char *> words)
{
    QStringList args{QLatin1String(ExportPdfSwitch)};
    for (const char *word : words)
        args << QString::fromUtf8(word);
    return args << QStringLiteral("out.pdf") << QStringLiteral("label.wlp");
}
} // namespace

TEST(PdfExportArgs, TakesEachOptionOnceWithPlainNumbers)
{
    TPdfExportOptions options;
    QString error;
    ASSERT_TRUE(ParsePdfExportArgs(
        Args({"--sheets", "12", "--nudge=-16,3", "--spots", "1,3", "--high-quality"}), options, error))
        << error.toStdString();
    EXPECT_EQ(options.Sheets, 12);
    EXPECT_EQ(options.NudgeX, -16);
    EXPECT_EQ(options.NudgeY, 3);
    EXPECT_EQ(options.Spots, (std::vector<int32_t>{1, 3}));
    EXPECT_TRUE(options.HighQuality);
    EXPECT_EQ(options.Output, "out.pdf");
    EXPECT_EQ(options.Project, "label.wlp");
}

TEST(PdfExportArgs, RefusesRepeatedOptionsAndNumbersThatAreNotPlainDigits)
{
    struct Case {
        std::initializer_list<const char *> Words;
        const char *Says;
    };
    const Case cases[] = {
        {{"--sheets", "2", "--sheets", "3"}, "--sheets is given more than once"},
        {{"--sheets=2", "--sheets", "2"}, "--sheets is given more than once"},
        {{"--nudge", "1,1", "--nudge=1,1"}, "--nudge is given more than once"},
        {{"--spots", "1", "--spots", "2"}, "--spots is given more than once"},
        {{"--high-quality", "--high-quality"}, "--high-quality is given more than once"},
        {{"--sheets", "+3"}, "--sheets takes"},
        {{"--sheets", " 3"}, "--sheets takes"},
        {{"--sheets", "3 "}, "--sheets takes"},
        {{"--sheets", "-3"}, "--sheets takes"},
        {{"--sheets", "3x"}, "--sheets takes"},
        {{"--sheets", "0x3"}, "--sheets takes"},
        {{"--sheets", "\xef\xbc\x93"}, "--sheets takes"}, // a full-width digit three
        {{"--nudge", "+1,2"}, "--nudge takes"},
        {{"--nudge", "1, 2"}, "--nudge takes"},
        {{"--nudge", "--1,2"}, "--nudge takes"},
        {{"--nudge", "-,2"}, "--nudge takes"},
        {{"--spots", "+1"}, "--spots takes"},
        {{"--spots", "1, 2"}, "--spots takes"},
        {{"--spots", "-1"}, "--spots takes"},
    };
    for (const Case &c : cases) {
        const QStringList args = Args(c.Words);
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        TPdfExportOptions options;
        QString error;
        EXPECT_FALSE(ParsePdfExportArgs(args, options, error));
        EXPECT_THAT(error.toStdString(), testing::StartsWith(c.Says));
    }
}
