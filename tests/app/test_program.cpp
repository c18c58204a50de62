#include "app/helpwindow.h"
#include "app/labelerwindow.h"
#include "app/program.h"
#include "app/startupdialog.h"
#include "common/fakes.h"
#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "document/shape.h"
#include "editing/zoom.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "settings/registry.h"
#include "tools/toolwindow.h"
#include "widgets/drawpanel.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <deque>
#include <gmock/gmock.h>

namespace {

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
    }
    ~Program() override
    {
        Windows.reset();
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
    // Message boxes: answered from the script, then Cancel.
    TMessageRecorder Boxes{{}, mrCancel};
    std::vector<QString> &Messages = Boxes.Texts;
    std::deque<int> &Answers = Boxes.Answers;
    std::unique_ptr<TProgramWindows> Windows;
    std::vector<QString> Dialogs;
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
                testing::ElementsAre("frm_labeler", "frm_printdialog", "progresswindow", "frm_templateeditor",
                                     "frm_toolbox", "frm_showpreview", "frm_startup", "AboutBox"));
    EXPECT_EQ(Store.ReadString(QString::fromLatin1(CurrentVersionSetting)), "1.2 BETA");
    // Without a file the start-up dialog opens once the window is on screen.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Dialogs.size() == 1u; }));
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
    w.ToolBarButtons[ToolNumber(TTool::Shape)]->click();
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

    // An installed program finds its pages among its data, not beside itself in bin/.
    QTemporaryDir prefix;
    const QString data = prefix.filePath(QStringLiteral("share/ambrelo"));
    ASSERT_TRUE(QDir().mkpath(prefix.filePath(QStringLiteral("bin"))));
    ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("/help")));
    for (const QString &page : {QStringLiteral("index.html"), QStringLiteral("introduction.html")})
        ASSERT_TRUE(QFile::copy(QStringLiteral(AMBRELO_HELP_FOLDER "/") + page,
                                data + QStringLiteral("/help/") + page));
    SetProgramFolder(prefix.filePath(QStringLiteral("bin")));
    ASSERT_EQ(DataFolder(), QDir::cleanPath(data));
    ShowHelp(help, QStringLiteral("introduction.rtf"));
    EXPECT_EQ(help.Browser->source().toLocalFile(), data + QStringLiteral("/help/introduction.html"));
    SetProgramFolder(QString());
    SetFlexDlgHook({});
    EXPECT_THAT(titles, testing::ElementsAre("ERROR: help file not found"));
}

namespace {

// A menu as the user sees it: each shown item's caption with its access key, "Caption >" for a
// submenu, "-" for a separator (the separators of hidden sections collapse, as on screen).
QStringList Shown(const QMenu *menu)
{
    QStringList items;
    for (QAction *a : menu->actions()) {
        if (!a->isVisible())
            continue;
        if (!a->isSeparator())
            items << a->text() + (a->menu() ? QStringLiteral(" >") : QString());
        else if (!items.isEmpty() && items.last() != QLatin1String("-"))
            items << QStringLiteral("-");
    }
    if (!items.isEmpty() && items.last() == QLatin1String("-"))
        items.removeLast();
    return items;
}

QStringList MenuBar(Tfrm_labeler &w)
{
    QStringList menus;
    for (QAction *a : w.menuBar()->actions())
        menus << a->text() + QStringLiteral(": ") + Shown(a->menu()).join(QLatin1Char(','));
    return menus;
}

// Answers the modal dialog the next command opens by closing it, and notes its name.
void CloseNextModal(QStringList &opened)
{
    QTimer::singleShot(0, qApp, [&opened] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            opened << dialog->objectName();
            dialog->reject();
        } else {
            CloseNextModal(opened);
        }
    });
}

} // namespace

TEST_F(Program, TheMenusListTheirCommandsAndTemplateModeAddsItsOwn)
{
    struct Case {
        QStringList Arguments;
        QStringList Menus;
        QStringList Context;
    };
    const Case cases[] = {
        {{},
         {"&File: &New,&Open,Open &Recent >,&Save,Save &As,-,&Print and Preview,P&rinter Setup,-,E&xit",
          "&Edit: C&ut,&Copy,&Paste,&Delete,-,&Undo", "Select: Select &All,&Invert Selection,Select &None",
          "&View: Tool Window,Button Text,Show Data", "&Help: &About,&Help,Help &Contents"},
         {"C&ut", "&Copy", "&Paste", "&Delete", "-", "Change &Order >", "-", "&Undo"}},
        {{"-edittemplate", "trelko"},
         {"&File: &New,&Open,Open &Recent >,&Save,Save &As,Save &Template,&Convert To New Version,-,&Print "
          "and Preview,P&rinter Setup,-,E&xit",
          "&Edit: C&ut,&Copy,&Paste,&Delete,-,Move &All To Template,&Move To Template,Move &From Template,-,"
          "&Undo,-,&Edit Template,C&lear Template",
          "Select: Select &All,&Invert Selection,Select &None", "&View: Tool Window,Button Text,Show Data",
          "&Help: &About,&Help,Help &Contents,Register File Types"},
         {"C&ut", "&Copy", "&Paste", "&Delete", "-", "Change &Order >", "-", "&Move To Template",
          "Move &All To Template", "Move &From Template", "-", "&Undo", "-", "C&lear Template",
          "&Edit Template"}},
    };
    for (const Case &c : cases) {
        Tfrm_labeler &w = Start(c.Arguments);
        EXPECT_EQ(MenuBar(w), c.Menus) << c.Arguments.join(' ').toStdString();
        EXPECT_EQ(Shown(w.pm_canvas), c.Context) << c.Arguments.join(' ').toStdString();
        EXPECT_EQ(Shown(w.mnu_changeorder),
                  QStringList({"&Bring Forward", "&Send Backward", "Bring to &Front", "Send to &Back"}));
        Windows.reset();
    }
}

TEST_F(Program, ShortcutsBelongToTheirCommandsAndRedoStaysHidden)
{
    Tfrm_labeler &w = Start({});
    const std::pair<QAction *, QKeySequence> shortcuts[] = {
        {w.act_cut, QKeySequence(Qt::CTRL | Qt::Key_X)},   {w.act_copy, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {w.act_paste, QKeySequence(Qt::CTRL | Qt::Key_V)}, {w.act_undo, QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {w.act_redo, QKeySequence(Qt::CTRL | Qt::Key_Y)},  {w.act_delete, QKeySequence()},
        {w.mnu_save, QKeySequence(Qt::CTRL | Qt::Key_S)},
    };
    for (const auto &[action, keys] : shortcuts)
        EXPECT_EQ(action->shortcut(), keys) << action->text().toStdString();
    EXPECT_FALSE(w.act_redo->isVisible());
    EXPECT_EQ(w.act_zforward->property("category").toString(), "zorder");
}

TEST_F(Program, TheContextMenuOpensOnARightPressAndShowsWhatCanBeDone)
{
    QTemporaryDir dir;
    Tfrm_labeler &w = Start({SaveProject(dir.filePath("label.wlp"))});
    QApplication::clipboard()->clear();
    QTest::mousePress(w.dpnl_canvas, Qt::RightButton, {}, {50, 50});
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.pm_canvas->isVisible(); }));
    EXPECT_EQ(w.act_paste->text(), "&Paste ");
    EXPECT_FALSE(w.act_paste->isEnabled());
    EXPECT_FALSE(w.act_copy->isEnabled());
    EXPECT_TRUE(w.act_undo->isVisible());
    w.pm_canvas->close();
    QTest::mouseRelease(w.dpnl_canvas, Qt::RightButton, {}, {50, 50});
    // With the Zoom tool a right press zooms out instead.
    for (size_t i = 0; i < w.ToolBarButtons.size(); ++i)
        if (ToolButtons[i].Image == ToolNumber(TTool::Zoom))
            w.ToolBarButtons[i]->click();
    ASSERT_EQ(w.Logic().Input().CurrentTool(), TTool::Zoom);
    QTest::mousePress(w.dpnl_canvas, Qt::RightButton, {}, {50, 50});
    QTest::mouseRelease(w.dpnl_canvas, Qt::RightButton, {}, {50, 50});
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.pm_canvas->isVisible());
}

TEST_F(Program, PrintAndEditTemplateOpenTheirWindowsModallyOnTheLabel)
{
    QTemporaryDir dir;
    Tfrm_labeler &w = Start({"-edittemplate", "trelko", SaveProject(dir.filePath("label.wlp"))});
    QStringList opened;
    CloseNextModal(opened);
    w.mnu_print->trigger();
    CloseNextModal(opened);
    w.ToolBarButtons[PrintImage - 1]->click();
    // The wizard's offsets and quality are written whatever it ended with.
    EXPECT_TRUE(Store.ValueExists(QStringLiteral("nudge.x")));
    EXPECT_TRUE(Store.ValueExists(QStringLiteral("highquality_printing")));
    // The editor is active again once the wizard has gone (the offscreen platform leaves that to
    // the program), and with it its actions.
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.act_edittemplate->isEnabled(); }));
    CloseNextModal(opened);
    w.act_edittemplate->trigger();
    EXPECT_THAT(opened, testing::ElementsAre("frm_printdialog", "frm_printdialog", "frm_templateeditor"));
}

TEST_F(Program, FilesDroppedOnTheWindowBecomePicturesOrOpen)
{
    QTemporaryDir dir;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkRed);
    ASSERT_TRUE(image.save(dir.filePath("grapes.png")));
    QFile damaged(dir.filePath("damaged.jpg"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("\xFF\xD8\xFF\xE0 not much of a photograph");
    damaged.close();
    const QString other = SaveProject(dir.filePath("other.wlp"));
    Tfrm_labeler &w = Start({SaveProject(dir.filePath("label.wlp"))});
    Tdrawlist &doc = w.Logic().Document();
    // A drag of one file to a point of a widget of the window: whether it may drop there, then the drop.
    const auto drop = [&w](QWidget *over, const QString &file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        const QPoint at = over->mapTo(&w, over->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &move);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &dropped);
        QCoreApplication::processEvents();
        return move.isAccepted();
    };
    EXPECT_TRUE(drop(w.dpnl_canvas, dir.filePath("grapes.png")));
    ASSERT_EQ(doc.Count(), 2);
    EXPECT_EQ(doc.GetObject(1)->GetTypeCode(), 3);
    EXPECT_EQ(doc.GetObject(1)->GetBounds().Width(), 400);
    EXPECT_TRUE(drop(w.dpnl_canvas, dir.filePath("damaged.jpg")));
    EXPECT_EQ(doc.Count(), 2);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_THAT(Messages[0].toStdString(), testing::HasSubstr("damaged.jpg"));
    // Off the canvas only projects and templates drop; a project opens after the save prompt.
    EXPECT_FALSE(drop(w.tbr_buttons, dir.filePath("grapes.png")));
    Answers = {mrNo};
    EXPECT_TRUE(drop(w.tbr_buttons, other));
    EXPECT_EQ(doc.Count(), 1);
    EXPECT_EQ(doc.GetFileName(), other);
}
