// The PDF export's command line: what it takes and every way it refuses.

#include "editing/pdfexportargs.h"

#include <gmock/gmock.h>

namespace {
QStringList Args(const QString &line)
{
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}
} // namespace

TEST(PdfExportArgs, TakesOptionsAnywhereAfterTheOutput)
{
    TPdfExportOptions o;
    QString error;
    ASSERT_TRUE(ParsePdfExportArgs(
        Args("--export-pdf out.pdf --sheets 12 a.wlp --nudge -3,16 --spots=1,3,5 --high-quality b.wlt"), o,
        error))
        << error.toStdString();
    EXPECT_EQ(o.Output, "out.pdf");
    EXPECT_EQ(o.Project, "a.wlp");
    EXPECT_EQ(o.Template, "b.wlt");
    EXPECT_EQ(o.Sheets, 12);
    EXPECT_EQ(o.NudgeX, -3);
    EXPECT_EQ(o.NudgeY, 16);
    EXPECT_THAT(o.Spots, testing::ElementsAre(1, 3, 5));
    EXPECT_TRUE(o.HighQuality);

    ASSERT_TRUE(ParsePdfExportArgs(Args("--export-pdf out.pdf a.wlp"), o, error));
    EXPECT_EQ(o.Sheets, 1);
    EXPECT_TRUE(o.Spots.empty());
    EXPECT_TRUE(o.Template.isEmpty());
    EXPECT_FALSE(o.HighQuality);
    ASSERT_TRUE(ParsePdfExportArgs(Args("--export-pdf --help"), o, error));
    EXPECT_TRUE(o.Help);
}

TEST(PdfExportArgs, RefusesWhatItCannotTakeWithOneLineNamingIt)
{
    struct Case {
        const char *Line;
        const char *Names;
    };
    const Case cases[] = {
        {"--export-pdf", "needs the PDF file"},
        {"--export-pdf out.pdf", "no label project"},
        {"--export-pdf out.pdf a.wlp b.wlt c.wlt", "\"c.wlt\""},
        {"--export-pdf out.pdf a.wlp --sheets 0", "\"0\""},
        {"--export-pdf out.pdf a.wlp --sheets 10001", "\"10001\""},
        {"--export-pdf out.pdf a.wlp --sheets -5", "\"-5\""},
        {"--export-pdf out.pdf a.wlp --sheets many", "\"many\""},
        {"--export-pdf out.pdf a.wlp --sheets 99999999999999", "\"99999999999999\""},
        {"--export-pdf out.pdf a.wlp --sheets", "--sheets needs a value"},
        {"--export-pdf out.pdf a.wlp --nudge 17,0", "\"17,0\""},
        {"--export-pdf out.pdf a.wlp --nudge 1", "\"1\""},
        {"--export-pdf out.pdf a.wlp --nudge 1,2,3", "\"1,2,3\""},
        {"--export-pdf out.pdf a.wlp --spots 0,2", "\"0,2\""},
        {"--export-pdf out.pdf a.wlp --spots 1,,2", "\"1,,2\""},
        {"--export-pdf out.pdf a.wlp --spots two", "\"two\""},
        {"--export-pdf out.pdf a.wlp --colour", "\"--colour\""},
        {"out.pdf a.wlp", "--export-pdf"},
    };
    for (const Case &c : cases) {
        TPdfExportOptions o;
        QString error;
        EXPECT_FALSE(ParsePdfExportArgs(Args(QString::fromLatin1(c.Line)), o, error)) << c.Line;
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.Names))) << c.Line << ": " << error.toStdString();
        EXPECT_FALSE(error.contains(QLatin1Char('\n'))) << c.Line;
    }
}
