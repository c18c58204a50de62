#include "app/helpwindow.h"
#include "app/labelerwindow.h"
#include "app/program.h"
#include "app/startupdialog.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "document/shape.h"
#include "tools/toolbox.h"
#include "editing/zoom.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "settings/registry.h"
#include "widgets/drawpanel.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <deque>
#include <gmock/gmock.h>

namespace {

class TCountingBackend : public Tmemorybackend {
public:
    int WriteValue(const QString &path, const QString &name, const TRegValue &value) override
    {
        ++Writes;
        return Tmemorybackend::WriteValue(path, name, value);
    }
    int Writes = 0;
};

// The program's start over a store in memory, with modal dialogs and message boxes answered from
// a script.
class Program : public testing::Test {
protected:
    Program()
    {
        SetRootBackend(HKEY_CURRENT_USER, Backend);
        Store.OpenKey(QString::fromLatin1(SettingsKeyPath), true);
        SetModalRunner([this](QDialog &d) {
            Dialogs.push_back(d.objectName());
            return int(QDialog::Rejected);
        });
        SetMessageBoxHook([this](const QString &text, TMsgIcon, TMsgButtons) {
            Messages.push_back(text);
            const int answer = Answers.empty() ? int(mrCancel) : Answers.front();
            if (!Answers.empty())
                Answers.pop_front();
            return answer;
        });
    }
    ~Program() override
    {
        Windows.reset();
        SetMessageBoxHook({});
        SetModalRunner({});
        SetRootBackend(HKEY_CURRENT_USER, nullptr);
    }

    Tfrm_labeler &Start(const QStringList &arguments)
    {
        Windows = StartProgram(ParseCommandLine(arguments), Store, QStringLiteral("1.2 BETA"));
        Windows->Labeler->show();
        QCoreApplication::processEvents();
        return *Windows->Labeler;
    }

    std::shared_ptr<TCountingBackend> Backend = std::make_shared<TCountingBackend>();
    Tregistryex Store;
    std::unique_ptr<TProgramWindows> Windows;
    std::vector<QString> Dialogs;
    std::vector<QString> Messages;
    std::deque<int> Answers;
};

QString SaveProject(const QString &path)
{
    Tdrawlist d;
    d.SetLabelRect({100000, 100000, 104000, 103500});
    auto shape = std::make_unique<Tvnlshape>();
    shape->SetBounds({100100, 100100, 100900, 100900});
    d.AddObject(std::move(shape));
    d.SaveToFile(path);
    return path;
}

QString SaveTemplate(const QString &path)
{
    tlabeltemplate t;
    auto spot = std::make_unique<Tlabelgeometry>();
    spot->SpotWidth = 2.0;
    spot->SpotHeight = 1.0;
    t.Geometry.Add(std::move(spot));
    t.SaveToFile(path);
    return path;
}

} // namespace

TEST_F(Program, QuitCreatesNoWindowAndStoresTheCompactVersion)
{
    const int before = QApplication::topLevelWidgets().size();
    EXPECT_EQ(StartProgram(ParseCommandLine({"--setregversion", "--quit"}), Store, "1.2 BETA"), nullptr);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
    EXPECT_EQ(Store.ReadString(QString::fromLatin1(CurrentVersionSetting)), "1.2BETA");
}

TEST_F(Program, WindowsAreCreatedOnceInTheirOrder)
{
    Tfrm_labeler &w = Start({});
    EXPECT_THAT(Windows->CreationOrder,
                testing::ElementsAre("frm_labeler", "progresswindow", "frm_templateeditor", "frm_toolbox",
                                     "frm_startup", "AboutBox"));
    EXPECT_EQ(Store.ReadString(QString::fromLatin1(CurrentVersionSetting)), "1.2 BETA");
    // Without a file the start-up dialog opens once the window is on screen.
    QTRY_COMPARE(Dialogs.size(), 1u);
    EXPECT_EQ(Dialogs[0], "frm_startup");
    EXPECT_EQ(w.windowTitle(), "Ambrelo Wine Label Software-  1.2 BETA");
}

TEST_F(Program, AProjectAndATemplateOnTheCommandLineAreBothLoaded)
{
    QTemporaryDir dir;
    SaveProject(dir.filePath("label.wlp"));
    SaveTemplate(dir.filePath("plan.wlt"));
    Tfrm_labeler &w = Start({dir.filePath("label.wlp"), dir.filePath("plan.wlt")});
    EXPECT_THAT(w.windowTitle().toStdString(), testing::EndsWith(" - label"));
    EXPECT_EQ(w.Logic().Document().Count(), 1);
    EXPECT_EQ(w.Logic().Template().GetLabelWidth(), 2.0);
    QTest::qWait(20);
    EXPECT_TRUE(Dialogs.empty());
}

TEST_F(Program, CancelInTheSavePromptKeepsTheWindowOpenAndWritesNothing)
{
    QTemporaryDir dir;
    const QString path = SaveProject(dir.filePath("label.wlp"));
    Tfrm_labeler &w = Start({path});
    // New Shape, then a click on the canvas: the label has changed.
    w.ToolBarButtons[tlShape]->click();
    QTest::mouseClick(w.dpnl_canvas, Qt::LeftButton, {}, {200, 200});
    ASSERT_EQ(w.Logic().Document().Count(), 2);
    const int writes = Backend->Writes;
    Answers = {mrCancel};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Backend->Writes, writes);
    EXPECT_THAT(Messages, testing::ElementsAre("Would you like to save before exiting?"));
    Answers = {mrYes};
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    Tdrawlist saved;
    saved.LoadFromFile(path);
    EXPECT_EQ(saved.Count(), 2);
}

TEST_F(Program, TheWheelAnywhereInTheWindowZooms)
{
    QTemporaryDir dir;
    Tfrm_labeler &w = Start({SaveProject(dir.filePath("label.wlp"))});
    const QPoint centre = w.dpnl_canvas->rect().center();
    QWheelEvent forward(centre, w.dpnl_canvas->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.dpnl_canvas, &forward);
    EXPECT_EQ(w.Logic().View().GetZoom(), 1.5);
    QWheelEvent back(QPoint(5, 5), w.sb_vert->mapToGlobal(QPoint(5, 5)), {}, {0, -120}, Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.sb_vert, &back);
    EXPECT_EQ(w.Logic().View().GetZoom(), 1.0);
    EXPECT_EQ(Windows->Toolbox->Logic().GetZoomText(), ZoomText(1.0));
}

TEST_F(Program, SetRegVersionEndsAsSoonAsTheMessageLoopRuns)
{
    Windows = StartProgram(ParseCommandLine({"--setregversion"}), Store, QStringLiteral("1.2 BETA"));
    EXPECT_EQ(RunMessageLoop(*Windows), 0);
    EXPECT_TRUE(Dialogs.empty());
    // The window's creation writes the version again, blanks and all.
    EXPECT_EQ(Store.ReadString(QString::fromLatin1(CurrentVersionSetting)), "1.2 BETA");
}

TEST_F(Program, HelpOpensAtTheTopicWithItsContentsBeside)
{
    Tfrm_help help;
    ASSERT_TRUE(help.ShowTopic(QStringLiteral(AMBRELO_HELP_FOLDER), QStringLiteral("introduction.rtf")));
    EXPECT_THAT(help.Browser->source().toLocalFile().toStdString(), testing::EndsWith("/introduction.html"));
    ASSERT_NE(help.lb_contents->currentItem(), nullptr);
    EXPECT_EQ(help.lb_contents->currentItem()->text(), "Getting started");
    EXPECT_GE(help.lb_contents->count(), 7);
    // Every page of the contents exists.
    for (int i = 0; i < help.lb_contents->count(); ++i)
        EXPECT_TRUE(QFileInfo::exists(help.lb_contents->item(i)->data(Qt::UserRole).toString()))
            << help.lb_contents->item(i)->text().toStdString();

    // Without the pages the message dialog says where to get them.
    std::vector<QString> titles;
    SetFlexDlgHook(
        [&](const QString &title, const QString &, const QString &, const QString &, int, bool, int) {
            titles.push_back(title);
            return int(mrOk);
        });
    QTemporaryDir empty;
    SetProgramFolder(empty.path());
    ShowHelp(help, QStringLiteral("all"));
    SetProgramFolder(QString());
    SetFlexDlgHook({});
    EXPECT_THAT(titles, testing::ElementsAre("ERROR: help file not found"));
}
