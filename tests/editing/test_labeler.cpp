#include "labelertest.h"

#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "document/shape.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gmock/gmock.h>

namespace {

// A project with one shape, or a template of 2 x 1 inches, saved in folder.
QString SaveProject(const QString &folder, const QString &name)
{
    Tdrawlist d;
    d.SetLabelRect({100000, 100000, 104000, 103500});
    auto shape = std::make_unique<Tvnlshape>();
    shape->SetBounds({100100, 100100, 100900, 100900});
    d.AddObject(std::move(shape));
    const QString path = folder + QLatin1Char('/') + name;
    d.SaveToFile(path);
    return path;
}

QString SaveTemplate(const QString &folder, const QString &name)
{
    tlabeltemplate t;
    t.SetLabelRect({100000, 100000, 100001, 100001});
    t.SetLabelWidth(2.0);
    t.SetLabelHeight(1.0);
    auto spot = std::make_unique<Tlabelgeometry>();
    spot->SpotWidth = 2.0;
    spot->SpotHeight = 1.0;
    t.Geometry.Add(std::move(spot));
    const QString path = folder + QLatin1Char('/') + name;
    t.SaveToFile(path);
    return path;
}

QString Setting(TEditor &e, const char *name)
{
    return e.Settings.Store.ReadString(QString::fromLatin1(name));
}

} // namespace

TEST(Labeler, FileArgumentsLoadTheProjectAndTheTemplate)
{
    QTemporaryDir dir;
    SaveProject(dir.path(), "label.wlp");
    SaveTemplate(dir.path(), "plan.wlt");
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    TEditor e({"label.wlp", "plan.wlt", "notes.txt"});
    e.Labeler.FirstShow();
    QDir::setCurrent(old);
    EXPECT_EQ(e.Doc().Count(), 1);
    EXPECT_EQ(e.Labeler.Template().GetLabelWidth(), 2.0);
    EXPECT_THAT(e.Host.Caption.toStdString(), testing::EndsWith(" - label"));
    // The project argument as it was typed.
    EXPECT_EQ(Setting(e, LastOpenedFileSetting), "label.wlp");
    EXPECT_TRUE(e.Host.StartupDialogs.empty());
}

TEST(Labeler, AFileArgumentThatCannotBeReadLeavesTheEmptyLabel)
{
    QTemporaryDir dir;
    QFile damaged(dir.filePath("damaged.wlp"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("vnlabel_v1 but nothing a project holds");
    damaged.close();
    TScriptedAnswers answers;
    TEditor e({dir.filePath("missing.wlp"), dir.filePath("damaged.wlp")});
    e.Labeler.FirstShow();
    ASSERT_EQ(answers.Texts.size(), 2u);
    EXPECT_THAT(answers.Texts[0].toStdString(), testing::StartsWith("EOSError: Cannot open file"));
    EXPECT_EQ(e.Doc().Count(), 0);
    EXPECT_EQ(e.Doc().GetTemplate(), &e.Labeler.Template());
}

TEST(Labeler, TheStartupDialogOffersTheLastSavedLabelWhenItExists)
{
    QTemporaryDir dir;
    const QString merlot = SaveProject(dir.path(), "Merlot 2004.wlp");
    struct Case {
        QString Last;
        QString Offered;
    };
    for (const Case &c : {Case{QString(), QString()}, Case{merlot, "Merlot 2004"},
                          Case{dir.filePath("gone.wlp"), QString()}, Case{NewFileName, QString()}}) {
        TEditor e;
        if (!c.Last.isEmpty())
            e.Settings.Store.WriteString(LastOpenedFileSetting, c.Last);
        e.Labeler.FirstShow();
        EXPECT_THAT(e.Host.StartupDialogs, testing::ElementsAre(c.Offered)) << c.Last.toStdString();
    }
}

TEST(Labeler, TheSavePromptsThreeAnswers)
{
    struct Case {
        bool Modified;
        int Answer;
        bool GoesOn, Asked, Saved;
    };
    const Case cases[] = {
        {false, mrCancel, true, false, false},
        {true, mrYes, true, true, true},
        {true, mrNo, true, true, false},
        {true, mrCancel, false, true, false},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString path = SaveProject(dir.path(), "label.wlp");
        TEditor e({path});
        e.Labeler.FirstShow();
        if (c.Modified) {
            e.Input().ToolButtonClicked(TTool::Shape, QString());
            e.Click(e.At(101000, 101000));
        }
        TScriptedAnswers answers({c.Answer});
        EXPECT_EQ(e.Labeler.AskSaveChanges(true), c.GoesOn) << c.Answer;
        EXPECT_EQ(answers.Texts.size(), c.Asked ? 1u : 0u);
        Tdrawlist saved;
        saved.LoadFromFile(path);
        EXPECT_EQ(saved.Count(), c.Saved ? 2 : 1) << c.Answer;
        EXPECT_EQ(e.Doc().IsModified(), c.Modified && !c.Saved);
    }
}

TEST(Labeler, CancellingTheCloseKeepsEverythingAsItWas)
{
    TEditor e;
    e.Labeler.FirstShow();
    e.Input().ToolButtonClicked(TTool::Shape, QString());
    e.Click(e.At(101000, 101000));
    const int writes = e.Settings.Backend->Writes;
    e.Host.Window.Bounds = {50, 60, 700, 500};
    {
        TScriptedAnswers answers({mrCancel});
        EXPECT_FALSE(e.Labeler.CloseQuery());
    }
    EXPECT_EQ(e.Settings.Backend->Writes, writes);
    EXPECT_EQ(e.Doc().Count(), 1);
    {
        TScriptedAnswers answers({mrNo});
        ASSERT_TRUE(e.Labeler.CloseQuery());
    }
    e.Labeler.Closed();
    std::array<uint8_t, BoundsRecordSize> record{};
    e.Settings.Store.ReadBinaryData(".frm_labeler.frm_labeler.bounds", record.data(), BoundsRecordSize);
    EXPECT_EQ(BoundsFromRecord(record), (TRect{50, 60, 700, 500}));
}

TEST(Labeler, StoredBoundsAreMovedAndShrunkOntoTheMonitorTheyMeet)
{
    const std::vector<TRect> screens{{0, 0, 1280, 1000}, {1280, 0, 2560, 1000}};
    struct Case {
        TRect Stored;
        std::optional<TRect> Used;
    };
    const Case cases[] = {
        {{100, 100, 900, 700}, TRect{100, 100, 900, 700}},
        {{1200, 100, 1500, 400}, TRect{1280, 100, 1580, 400}},  // mostly on the second screen
        {{-300, -50, 500, 450}, TRect{0, 0, 800, 500}},         // pulled onto the screen
        {{0, 0, 5000, 4000}, TRect{0, 0, 1280, 1000}},          // larger than the screen: shrunk
        {{1000, 600, 1400, 1300}, TRect{880, 300, 1280, 1000}}, // off the bottom right: moved
        {{100, 100, 150, 110}, std::nullopt},                   // smaller than a window can be
        {{900, 900, 100, 100}, std::nullopt},                   // inside out
        {{5000, 5000, 5800, 5600}, std::nullopt},               // on no screen (a monitor removed)
        {{-2147483647, 0, 2147483647, 500}, TRect{0, 0, 1280, 500}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FitToScreen(c.Stored, screens), c.Used) << c.Stored;
}

TEST(Labeler, AFirstStartOpensTheWindowCentredOnMostOfTheScreen)
{
    const std::vector<TRect> screens = MonitorWorkAreas();
    ASSERT_FALSE(screens.empty());
    const TRect area = screens.front();
    struct Case {
        const char *What;
        std::optional<TRect> Stored;
        TRect Expected;
    };
    const TRect centred = CentredInWorkArea(area, FirstWindowShare);
    const Case cases[] = {
        {"no placement", std::nullopt, centred},
        {"on a monitor that is gone", TRect{area.Right + 2000, 0, area.Right + 2600, 400}, centred},
        {"beyond the right edge", TRect{area.Right - 100, area.Top + 10, area.Right + 200, area.Top + 210},
         TRect{area.Right - 300, area.Top + 10, area.Right, area.Top + 210}},
    };
    for (const Case &c : cases) {
        TEditor e;
        if (c.Stored) {
            const auto record = BoundsRecord(*c.Stored);
            e.Settings.Store.WriteBinaryData(QStringLiteral(".frm_labeler.frm_labeler.bounds"), record.data(),
                                             BoundsRecordSize);
        }
        e.Labeler.FirstShow();
        EXPECT_EQ(e.Host.Window.Bounds, c.Expected) << c.What;
    }
    EXPECT_EQ(centred.Width(), int32_t(area.Width() * 0.8));
    EXPECT_EQ(centred.Left - area.Left, area.Right - centred.Right);
}
