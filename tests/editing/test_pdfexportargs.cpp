// The PDF export's command line: the sloppy or repeated options it refuses rather than guess at
// (what it takes, the export's own tests run).

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
        {{"--high-quality", "--high-quality"}, "--high-quality is given more than once"},
        {{"--sheets", "+3"}, "--sheets takes"},
        {{"--sheets", " 3"}, "--sheets takes"},
        {{"--sheets", "-3"}, "--sheets takes"},
        {{"--sheets", "3x"}, "--sheets takes"},
        {{"--sheets", "\xef\xbc\x93"}, "--sheets takes"}, // a full-width digit three
        {{"--nudge", "+1,2"}, "--nudge takes"},
        {{"--nudge", "1, 2"}, "--nudge takes"},
        {{"--nudge", "--1,2"}, "--nudge takes"},
        {{"--spots", "+1"}, "--spots takes"},
        {{"--spots", "1, 2"}, "--spots takes"},
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

TEST(PdfExportArgs, BuildsThePrintSettingsTheWizardWouldPrintWith)
{
    struct Case {
        std::initializer_list<const char *> Words;
        TPrintSettings Expected;
    };
    const Case cases[] = {
        {{}, {0, 0, false, 1, {}, {}}},
        {{"--sheets=3", "--nudge", "-16,16", "--high-quality"}, {-16, 16, true, 3, {}, {}}},
        // Spots as given, counted from 0: the export checks them once the template is loaded.
        {{"--spots", "3,1,3"}, {0, 0, false, 1, {2, 0, 2}, {}}},
    };
    for (const Case &c : cases) {
        const QStringList args = Args(c.Words);
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        TPdfExportOptions options;
        QString error;
        ASSERT_TRUE(ParsePdfExportArgs(args, options, error)) << error.toStdString();
        EXPECT_EQ(options.Settings, c.Expected);
        EXPECT_EQ(options.Project, "label.wlp");
    }
}

TEST(PdfExportArgs, ScaleTakesPerCentsInStepsWithinThreeAndStrictIsASwitch)
{
    struct Case {
        const char *Value;
        bool Ok;
        int32_t X, Y;
    };
    const Case cases[] = {
        {"1,-0.5", true, 100, -50}, {"3.00,-3", true, 300, -300}, {"0.05,0", true, 5, 0},
        {"-0,2.1", true, 0, 210},   {"3.05,0", false, 0, 0},      {"0.02,0", false, 0, 0},
        {"1", false, 0, 0},         {"1,2,3", false, 0, 0},       {"+1,0", false, 0, 0},
        {"1.005,0", false, 0, 0},   {"1%,0", false, 0, 0},        {".5,0", false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Value);
        TPdfExportOptions options;
        QString error;
        EXPECT_EQ(ParsePdfExportArgs(Args({"--scale", c.Value}), options, error), c.Ok);
        if (c.Ok) {
            EXPECT_EQ(options.Settings.ScaleX, c.X);
            EXPECT_EQ(options.Settings.ScaleY, c.Y);
        } else {
            EXPECT_EQ(error.toStdString(),
                      "--scale takes X,Y in per cent, each from -3.00 to 3.00 in steps of 0.05, "
                      "not \"" +
                          std::string(c.Value) + "\"");
        }
    }
    TPdfExportOptions options;
    QString error;
    ASSERT_TRUE(ParsePdfExportArgs(Args({"--strict"}), options, error));
    EXPECT_TRUE(options.Strict);
    EXPECT_FALSE(ParsePdfExportArgs(Args({"--strict", "--strict"}), options, error));
    EXPECT_FALSE(ParsePdfExportArgs(Args({"--scale", "1,1", "--scale=1,1"}), options, error));
}

TEST(PdfExportArgs, RunOptionsGoTogetherAndAreRefusedWithoutTheirSource)
{
    struct Case {
        std::initializer_list<const char *> Words;
        const char *Says; // empty: accepted
    };
    const Case cases[] = {
        {{"--data", "lots.csv", "--first-spot", "7", "--copies", "2"}, ""},
        {{"--numbered", "-5,1200,-2", "--copies=3"}, ""},
        {{"--data", "a.csv", "--numbered", "1,5"}, "--data and --numbered cannot be given together"},
        {{"--data", "a.csv", "--sheets", "2"}, "--sheets cannot be given with --data"},
        {{"--first-spot", "3"}, "--first-spot needs --data or --numbered"},
        {{"--numbered", "1"}, "--numbered takes"},
        {{"--numbered", "1,0"}, "--numbered takes"},
        {{"--data", "a.csv", "--first-spot", "0"}, "--first-spot takes"},
        {{"--data", "a.csv", "--copies", "1001"}, "--copies takes"},
        {{"--data", "a.csv", "--data", "b.csv"}, "--data is given more than once"},
    };
    for (const Case &c : cases) {
        const QStringList args = Args(c.Words);
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        TPdfExportOptions options;
        QString error;
        EXPECT_EQ(ParsePdfExportArgs(args, options, error), *c.Says == 0);
        EXPECT_THAT(error.toStdString(), testing::StartsWith(c.Says));
    }
    TPdfExportOptions options;
    QString error;
    ASSERT_TRUE(ParsePdfExportArgs(Args({"--numbered", "-5,1200,-2", "--first-spot", "4"}), options, error));
    EXPECT_EQ(options.Settings.Run, (TDataRun{TRunKind::Numbered, -5, 1200, -2, {}, 1, 4}));
}
