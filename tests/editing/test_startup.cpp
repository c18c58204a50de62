#include "editing/startup.h"

#include <gmock/gmock.h>

TEST(Startup, CommandLineSwitchesAndFiles)
{
    struct Case {
        QStringList Arguments;
        bool SetRegVersion, RegisterFileTypes, Quit, TemplateMode;
        QStringList Files;
    };
    const Case cases[] = {
        {{}, false, false, false, false, {}},
        {{"--quit"}, false, false, true, false, {}},
        {{"--setregversion", "--quit"}, true, false, true, false, {}},
        {{"label.wlp", "--registerfiletypes", "plan.wlt"},
         false,
         true,
         false,
         false,
         {"label.wlp", "plan.wlt"}},
        {{"-edittemplate", "trelko", "a.wlp"}, false, false, false, true, {"a.wlp"}},
        // Only as the first two arguments; the code is never a file.
        {{"a.wlp", "b.wlp", "-edittemplate", "trelko"}, false, false, false, false, {"a.wlp", "b.wlp"}},
        {{"-edittemplate", "TRELKO"}, false, false, false, false, {}},
        {{"--QUIT", "", "-x", "notes.txt"}, false, false, false, false, {"notes.txt"}},
    };
    for (const Case &c : cases) {
        const TCommandLine line = ParseCommandLine(c.Arguments);
        const std::string shown = c.Arguments.join(' ').toStdString();
        EXPECT_EQ(line.SetRegVersion, c.SetRegVersion) << shown;
        EXPECT_EQ(line.RegisterFileTypes, c.RegisterFileTypes) << shown;
        EXPECT_EQ(line.Quit, c.Quit) << shown;
        EXPECT_EQ(line.TemplateMode, c.TemplateMode) << shown;
        EXPECT_EQ(line.Files, c.Files) << shown;
    }
}

TEST(Startup, FileArgumentsOpenByTheirExactExtension)
{
    struct Case {
        const char *Name;
        const char *Ext;
        TFileArgumentKind Kind;
        const char *Bare;
    };
    const Case cases[] = {
        {"label.wlp", ".wlp", TFileArgumentKind::Project, "label"},
        {"/home/x/plan.v2.wlt", ".wlt", TFileArgumentKind::Template, "plan.v2"},
        {"LABEL.WLP", ".WLP", TFileArgumentKind::Ignored, "LABEL"},
        {"cellar.d/notes", "", TFileArgumentKind::Ignored, "notes"},
        {"C:\\Labels\\Merlot 2004.wlp", ".wlp", TFileArgumentKind::Project, "Merlot 2004"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ExtractFileExt(c.Name), c.Ext) << c.Name;
        EXPECT_EQ(FileArgumentKind(c.Name), c.Kind) << c.Name;
        EXPECT_EQ(BareFileName(c.Name), c.Bare) << c.Name;
    }
}

TEST(Startup, VersionTextFromTheFileVersion)
{
    const std::pair<const char *, const char *> cases[] = {
        {"1.2.3.4", "1.2"},       {"0.9.1.0", "0.9 BETA"}, {"1.999.3.0", "2.0 RC3"},
        {"0.999.2.0", "1.0 RC2"}, {"0.999.1", "1.0 RC1"},  {"7", "7"},
        {"0", "0 BETA"},          {"2.999", "3.0 RC"},     {"", "Unknown version"},
    };
    for (const auto &[file, text] : cases)
        EXPECT_EQ(VersionString(file), text) << file;
    EXPECT_EQ(CompactVersionString(QStringLiteral("1.2 BETA")), "1.2BETA");
}

TEST(Startup, CaptionsOfTheWindowAndTheStartupDialog)
{
    EXPECT_EQ(WindowCaption("1.2"), "Ambrelo Wine Label Software-  1.2");
    EXPECT_EQ(DocumentCaption("1.2", "labels/Merlot.wlp"), "Ambrelo Wine Label Software-  1.2 - Merlot");
    EXPECT_EQ(DocumentCaption("1.2", NewFileName), "Ambrelo Wine Label Software-  1.2 - NEW FILE");
    EXPECT_EQ(RecentLabelCaption("Chardonnay 2004"), "Open Last Saved Label: \"Chardonnay 2004\"");
}

TEST(Startup, HelpTopicsAndContents)
{
    EXPECT_EQ(HelpPageForTopic("introduction.rtf"), "introduction.html");
    EXPECT_EQ(HelpPageForTopic("all"), "index.html");
    EXPECT_EQ(HelpPageForTopic(""), "index.html");
    EXPECT_EQ(HelpPageForTopic("Printing"), "printing.html");
    const QString html = QStringLiteral(
        "<ul><li><a href=\"index.html\">Contents</a></li><li><a href=\"introduction.html\">Making a "
        "<b>label</b></a></li>\n<li><A HREF=\"printing.html\">Printing &amp; calibrating</A></li>"
        "<li><a href=\"introduction.html\">again</a></li><li><a "
        "href=\"https://example.org/x.html\">out</a></li>"
        "</ul>");
    EXPECT_THAT(HelpContents(html),
                testing::ElementsAre(THelpEntry{"introduction.html", "Making a label"},
                                     THelpEntry{"printing.html", "Printing & calibrating"}));
}
