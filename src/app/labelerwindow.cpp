#include "app/labelerwindow.h"

#include "app/aboutbox.h"
#include "app/appicons.h"
#include "app/errorreport.h"
#include "app/helpwindow.h"
#include "app/startupdialog.h"
#include "document/alphabitmap.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/text.h"
#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/stringstream.h"
#include "settings/filetypes.h"
#include "widgets/drawpanel.h"
#include "widgets/dropmsg.h"
#include "widgets/windowkeeper.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QWindow>

namespace {

// Runs a command of a menu: its failure is reported and the window goes on.
void RunReported(const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &e) {
        ShowErrorReport(e);
    }
}

TModalRunner &ModalRunner()
{
    static TModalRunner runner;
    return runner;
}

// The dots per inch at which the canvas's handles have their own size.
constexpr double ScreenBaseDpi = 96.0;
// Repaint requests within this many milliseconds are painted together.
constexpr int RepaintDelay = 30;
// The vertical scroll bar's width, and the height of the strip under the canvas.
constexpr int ScrollBarSize = 16;
// The client area at design size.
constexpr QSize DesignClientSize{856, 599};

QRect ToQRect(const TRect &r)
{
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

void ApplyScrollBar(QScrollBar &bar, const TScrollBarState &state)
{
    const QSignalBlocker block(&bar);
    // Qt's range is that of the thumb's position; its page step serves clicks in the trough.
    bar.setRange(state.Min, state.MaxPosition());
    bar.setPageStep(state.LargeChange);
    bar.setSingleStep(state.SmallChange);
    bar.setValue(state.Position);
}

// The image tool's icon on the button face: what an empty picture shows in its middle.
void DrawEmptyPictureIcon()
{
    QImage icon(ToolIconSize, ToolIconSize, QImage::Format_RGB32);
    icon.fill(ToQColor(clBtnFace));
    QPainter painter(&icon);
    painter.drawImage(0, 0,
                      RenderIconFile(QStringLiteral("tool-newimage.svg"), {ToolIconSize, ToolIconSize}));
    painter.end();
    Talphabitmap &scratch = ScratchBitmap();
    scratch.SetSize(ToolIconSize, ToolIconSize);
    scratch.Canvas().SetCopyMode(TCopyMode::SrcCopy);
    scratch.Canvas().Draw(0, 0, icon);
}

QFont EditorFont(const Tfont &font)
{
    QImage probe(1, 1, QImage::Format_RGB32);
    Tcanvas canvas(&probe);
    canvas.SetFont(font);
    return canvas.ResolvedFont();
}

} // namespace

void SetModalRunner(TModalRunner runner)
{
    ModalRunner() = std::move(runner);
}

int RunModal(QDialog &dialog)
{
    if (ModalRunner())
        return ModalRunner()(dialog);
    return dialog.exec();
}

Tfrm_labeler::Tfrm_labeler(Tregistryex &store, const TCommandLine &commandLine, const QString &version)
    : ZoomInCursor(ZoomCursor(true)), ZoomOutCursor(ZoomCursor(false))
{
    setObjectName(QStringLiteral("frm_labeler"));
    setWindowIcon(ProgramIcon());
    // Handles grow with a screen set to more than 96 dots per inch.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        HandleScale = std::max(1.0, screen->logicalDotsPerInch() / ScreenBaseDpi);
    DrawEmptyPictureIcon();
    setMinimumSize(MinWindowSize.X, MinWindowSize.Y);
    resize(DesignClientSize);
    BuildToolBar();
    BuildCanvas();
    statusBar();
    tmr_invalid.setInterval(RepaintDelay);
    tmr_invalid.setSingleShot(true);
    connect(&tmr_invalid, &QTimer::timeout, this, [this] { RepaintTimerFired(); });

    Labeler = std::make_unique<Tlabeler>(static_cast<Tlabelerhost &>(*this), store, commandLine, version);
    BuildMenus();
    setAcceptDrops(true);
    Labeler->Input().OnShowToolWindow = [this](bool visible) {
        if (OnShowToolWindow)
            OnShowToolWindow(visible);
    };
    WirePanel();
    // The window sees the keys and the wheel of all of its parts first.
    qApp->installEventFilter(this);
    if (Labeler->EndsAtOnce()) {
        Ending = true;
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
}

Tfrm_labeler::~Tfrm_labeler()
{
    qApp->removeEventFilter(this);
    tmr_invalid.stop();
    Labeler.reset();
}

void Tfrm_labeler::BuildToolBar()
{
    tbr_buttons = new QToolBar(this);
    tbr_buttons->setObjectName(QStringLiteral("tbr_buttons"));
    tbr_buttons->setMovable(false);
    tbr_buttons->setIconSize({ToolIconSize, ToolIconSize});
    tbr_buttons->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbr_buttons->setFocusPolicy(Qt::StrongFocus);
    addToolBar(Qt::TopToolBarArea, tbr_buttons);
    for (const TToolButton &b : ToolButtons) {
        auto *button = new QToolButton(tbr_buttons);
        button->setObjectName(QStringLiteral("tb_") + QString::fromLatin1(b.Name));
        button->setIcon(ToolIcon(QString::fromLatin1(b.Name)));
        button->setText(QString::fromLatin1(b.Caption));
        button->setToolTip(ToolButtonHint(b.Hint));
        button->setCheckable(b.IsTool);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        QAction *slot = tbr_buttons->addWidget(button);
        slot->setVisible(b.Visible);
        ToolBarButtons.push_back(button);
        const int32_t image = b.Image;
        const QString hint = ToolButtonHint(b.Hint);
        if (b.IsTool)
            connect(button, &QToolButton::clicked, this,
                    [this, image, hint] { Labeler->Input().ToolButtonClicked(TTool(image), hint); });
        else if (image == CenterScreenImage)
            connect(button, &QToolButton::clicked, this, [this] { Labeler->View().CenterScreen(); });
        else
            connect(button, &QToolButton::clicked, this, [this] { Labeler->ShowPrintWizard(); });
    }
}

void Tfrm_labeler::BuildCanvas()
{
    pnl_messages = new Tpnl_dropmsg(this);
    pnl_messages->setObjectName(QStringLiteral("pnl_messages"));
    pnl_messages->SetCaption(QStringLiteral(" Messages"));
    pnl_messages->hide();

    pnl_canvas_contnr = new QWidget(this);
    pnl_canvas_contnr->setObjectName(QStringLiteral("pnl_canvas_contnr"));
    pnl_canvas_contnr->setFocusPolicy(Qt::StrongFocus);
    dpnl_canvas = new Tvnldrawpanel(pnl_canvas_contnr);
    dpnl_canvas->setObjectName(QStringLiteral("dpnl_canvas"));
    sb_vert = new QScrollBar(Qt::Vertical, pnl_canvas_contnr);
    sb_vert->setObjectName(QStringLiteral("sb_vert"));
    sb_vert->setFixedWidth(ScrollBarSize);
    pnl_bottomscroll = new QWidget(pnl_canvas_contnr);
    pnl_bottomscroll->setObjectName(QStringLiteral("pnl_bottomscroll"));
    pnl_bottomscroll->setFixedHeight(ScrollBarSize);
    sb_horiz = new QScrollBar(Qt::Horizontal, pnl_bottomscroll);
    sb_horiz->setObjectName(QStringLiteral("sb_horiz"));
    pnl_spacer = new QWidget(pnl_bottomscroll);
    pnl_spacer->setObjectName(QStringLiteral("pnl_spacer"));
    pnl_spacer->setFixedWidth(ScrollBarSize);
    // The scroll bars never keep the focus.
    sb_vert->setFocusPolicy(Qt::NoFocus);
    sb_horiz->setFocusPolicy(Qt::NoFocus);
    auto *bottom = new QHBoxLayout(pnl_bottomscroll);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    bottom->addWidget(sb_horiz, 1);
    bottom->addWidget(pnl_spacer);
    auto *grid = new QGridLayout(pnl_canvas_contnr);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(dpnl_canvas, 0, 0);
    grid->addWidget(sb_vert, 0, 1);
    grid->addWidget(pnl_bottomscroll, 1, 0, 1, 2);
    setCentralWidget(pnl_canvas_contnr);

    mem_edittext = new QPlainTextEdit(dpnl_canvas);
    mem_edittext->setObjectName(QStringLiteral("mem_edittext"));
    mem_edittext->setFrameShape(QFrame::NoFrame);
    mem_edittext->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mem_edittext->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mem_edittext->document()->setDocumentMargin(0);
    mem_edittext->hide();
    // Files dropped on the editor go to the window, as on the rest of the canvas.
    mem_edittext->setAcceptDrops(false);
    mem_edittext->viewport()->installEventFilter(this);
    connect(mem_edittext, &QPlainTextEdit::textChanged, this, [this] {
        if (SettingEditorText)
            return;
        Labeler->Input().TextEdited(mem_edittext->toPlainText());
        FitTextEditorWidget(EditorRect);
    });

    connect(sb_horiz, &QScrollBar::valueChanged, this,
            [this](int value) { Labeler->View().SetScrollPosition(false, value); });
    connect(sb_vert, &QScrollBar::valueChanged, this,
            [this](int value) { Labeler->View().SetScrollPosition(true, value); });
}

QAction *Tfrm_labeler::Command(const QString &caption, const QString &category,
                               const std::function<void()> &command, const QKeySequence &shortcut)
{
    auto *action = new QAction(caption, this);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [command] { RunReported(command); });
    return AddAction(action, category);
}

void Tfrm_labeler::BuildActions()
{
    Tlabeler &l = *Labeler;
    const QString none;
    const QString zorder = QStringLiteral("zorder");
    const QString templ = QStringLiteral("Template");
    act_cut = Command(
        QStringLiteral("C&ut"), none, [&l] { l.Cut(); }, QKeySequence(Qt::CTRL | Qt::Key_X));
    act_copy = Command(
        QStringLiteral("&Copy"), none, [&l] { l.Copy(); }, QKeySequence(Qt::CTRL | Qt::Key_C));
    act_paste = Command(
        QStringLiteral("&Paste"), none, [&l] { l.Paste(); }, QKeySequence(Qt::CTRL | Qt::Key_V));
    // Delete is the canvas's key (on release), not a shortcut.
    act_delete = Command(QStringLiteral("&Delete"), none, [&l] { l.Delete(); });
    act_undo = Command(
        QStringLiteral("&Undo"), none, [&l] { l.Undo(); }, QKeySequence(Qt::CTRL | Qt::Key_Z));
    act_redo = Command(
        QStringLiteral("&Redo"), none, [&l] { l.Redo(); }, QKeySequence(Qt::CTRL | Qt::Key_Y));
    // Redo stays out of the menus; its keys, as desktop programs have them, belong to an action
    // of the window's own that no menu shows.
    act_redo->setVisible(false);
    act_redokeys = Command(QStringLiteral("Redo"), none, [&l] { l.Redo(); });
    act_redokeys->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    addAction(act_redokeys);
    act_zforward = Command(QStringLiteral("&Bring Forward"), zorder, [&l] { l.ChangeOrder(ocBringForward); });
    act_zbackward =
        Command(QStringLiteral("&Send Backward"), zorder, [&l] { l.ChangeOrder(ocSendBackward); });
    act_zfront = Command(QStringLiteral("Bring to &Front"), zorder, [&l] { l.ChangeOrder(ocBringToFront); });
    act_zback = Command(QStringLiteral("Send to &Back"), zorder, [&l] { l.ChangeOrder(ocSendToBack); });
    act_movetotemplate = Command(QStringLiteral("&Move To Template"), templ, [&l] { l.MoveToTemplate(); });
    act_movealltotemplate =
        Command(QStringLiteral("Move &All To Template"), templ, [&l] { l.MoveAllToTemplate(); });
    act_movefromtemplate =
        Command(QStringLiteral("Move &From Template"), templ, [&l] { l.MoveFromTemplate(); });
    act_cleartemplate = Command(QStringLiteral("C&lear Template"), templ, [&l] { l.ClearTemplate(); });
    act_edittemplate = Command(QStringLiteral("&Edit Template"), templ, [&l] { l.EditTemplate(); });
    act_savetemplate = Command(QStringLiteral("Save &Template"), templ, [&l] { l.SaveTemplate(); });
    act_saveastemplate = Command(QStringLiteral("Save As T&emplate"), templ, [&l] { l.SaveAsTemplate(); });
    act_regfiletype = Command(QStringLiteral("Register File Types"), templ, [] { RegisterFileTypes(); });
    act_newversionconv =
        Command(QStringLiteral("&Convert To New Version"), templ, [&l] { l.ConvertToNewVersion(); });
    // Until the first show decides, the template commands show as they do at design.
    for (QAction *a : {act_movetotemplate, act_movealltotemplate, act_cleartemplate, act_edittemplate})
        a->setVisible(false);
    act_about = Command(QStringLiteral("&About"), none, [this] { ShowAboutBox(); });
    act_help =
        Command(QStringLiteral("&Help"), none, [this] { ShowHelpTopic(QStringLiteral("introduction.rtf")); });
    act_helpcontents =
        Command(QStringLiteral("Help &Contents"), none, [this] { ShowHelpTopic(QStringLiteral("all")); });
}

void Tfrm_labeler::BuildMenus()
{
    BuildActions();
    Tlabeler &l = *Labeler;
    // A menu item that is no action of the action list: enabled whether or not the window is active.
    const auto item = [this](QMenu *menu, const QString &caption, const std::function<void()> &command,
                             const QKeySequence &shortcut = {}) {
        QAction *action = menu->addAction(caption);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, [command] { RunReported(command); });
        return action;
    };

    mnu_file = menuBar()->addMenu(QStringLiteral("&File"));
    mnu_new = item(
        mnu_file, QStringLiteral("&New"), [&l] { l.NewLabel(); }, QKeySequence(Qt::CTRL | Qt::Key_N));
    mnu_open = item(
        mnu_file, QStringLiteral("&Open"), [&l] { l.OpenLabel(); }, QKeySequence(Qt::CTRL | Qt::Key_O));
    mnu_save = item(
        mnu_file, QStringLiteral("&Save"), [&l] { l.SaveLabel(); }, QKeySequence(Qt::CTRL | Qt::Key_S));
    mnu_recent = new QMenu(QStringLiteral("Open &Recent"), mnu_file);
    mnu_recent->setObjectName(QStringLiteral("mnu_recent"));
    mnu_recent->setToolTipsVisible(true);
    mnu_file->insertMenu(mnu_save, mnu_recent);
    connect(mnu_recent, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    mnu_saveas = item(mnu_file, QStringLiteral("Save &As"), [&l] { l.SaveLabelAs(); });
    mnu_file->addAction(act_savetemplate);
    mnu_file->addAction(act_newversionconv);
    mnu_file->addSeparator();
    mnu_print = item(
        mnu_file, QStringLiteral("&Print and Preview"), [&l] { l.ShowPrintWizard(); },
        QKeySequence(Qt::CTRL | Qt::Key_P));
    mnu_printersetup = item(mnu_file, QStringLiteral("P&rinter Setup"), [this] {
        if (OnPrinterSetup)
            OnPrinterSetup();
    });
    mnu_file->addSeparator();
    mnu_exit = item(
        mnu_file, QStringLiteral("E&xit"), [this] { close(); }, QKeySequence(Qt::CTRL | Qt::Key_Q));

    mnu_edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnu_edit->addActions({act_cut, act_copy, act_paste, act_delete});
    mnu_edit->addSeparator();
    mnu_edit->addActions({act_movealltotemplate, act_movetotemplate, act_movefromtemplate});
    mnu_edit->addSeparator();
    mnu_edit->addActions({act_undo, act_redo});
    mnu_edit->addSeparator();
    mnu_edit->addActions({act_edittemplate, act_cleartemplate});
    WireEditMenu(mnu_edit);

    mnu_select = menuBar()->addMenu(QStringLiteral("Select"));
    mnu_selectall = item(mnu_select, QStringLiteral("Select &All"), [&l] { l.SelectAll(); });
    mnu_invertselection =
        item(mnu_select, QStringLiteral("&Invert Selection"), [&l] { l.InvertSelection(); });
    mnu_selectnone = item(mnu_select, QStringLiteral("Select &None"), [&l] { l.SelectNone(); });

    mnu_view = menuBar()->addMenu(QStringLiteral("&View"));
    mnu_toolwindow = item(mnu_view, QStringLiteral("Tool Window"),
                          [this, &l] { mnu_toolwindow->setChecked(l.ToggleToolWindow()); });
    mnu_toolwindow->setCheckable(true);
    mnu_buttontext = item(mnu_view, QStringLiteral("Button Text"),
                          [this, &l] { mnu_buttontext->setChecked(l.ToggleButtonCaptions()); });
    mnu_buttontext->setCheckable(true);
    mnu_showdata = item(mnu_view, QStringLiteral("Show Data"),
                        [this, &l] { mnu_showdata->setChecked(l.ToggleShowData()); });
    mnu_showdata->setCheckable(true);
    connect(mnu_view, &QMenu::aboutToShow, this, [this, &l] {
        mnu_showdata->setChecked(l.IsShowingData());
        mnu_toolwindow->setChecked(l.IsToolWindowChecked());
        mnu_buttontext->setChecked(tbr_buttons->toolButtonStyle() != Qt::ToolButtonIconOnly);
    });

    mnu_help = menuBar()->addMenu(QStringLiteral("&Help"));
    mnu_help->addActions({act_about, act_help, act_helpcontents, act_regfiletype});
    BuildContextMenu();
}

void Tfrm_labeler::BuildContextMenu()
{
    pm_canvas = new QMenu(this);
    pm_canvas->setObjectName(QStringLiteral("pm_canvas"));
    pm_canvas->addActions({act_cut, act_copy, act_paste, act_delete});
    pm_canvas->addSeparator();
    mnu_changeorder = pm_canvas->addMenu(QStringLiteral("Change &Order"));
    mnu_changeorder->addActions({act_zforward, act_zbackward, act_zfront, act_zback});
    pm_canvas->addSeparator();
    pm_canvas->addActions({act_movetotemplate, act_movealltotemplate, act_movefromtemplate});
    pm_canvas->addSeparator();
    pm_canvas->addActions({act_undo, act_redo});
    pm_canvas->addSeparator();
    pm_canvas->addActions({act_cleartemplate, act_edittemplate});
    WireEditMenu(pm_canvas);
}

void Tfrm_labeler::WireEditMenu(QMenu *menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this] { UpdateEditActions(); });
    // The narrowing holds while the menu shows. Afterwards the window is still the active one,
    // whose actions are all enabled, so a shortcut never stays dead because a menu once opened
    // (each command does nothing when there is nothing to do).
    connect(menu, &QMenu::aboutToHide, this, [this] {
        QTimer::singleShot(0, this, [this] {
            // Some platforms leave the closed menu as the active window instead of this one.
            const QWidget *active = QApplication::activeWindow();
            if ((active == this || active == pm_canvas || active == mnu_edit) && !pm_canvas->isVisible() &&
                !mnu_edit->isVisible())
                SetActionsEnabled(true);
        });
    });
}

void Tfrm_labeler::FillRecentMenu()
{
    mnu_recent->clear();
    const QStringList files = Labeler->RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString file = files[i];
        // The access key is the entry's number; a file that is gone shows greyed.
        QAction *entry = mnu_recent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
            ShownFileText(QFileInfo(file).fileName()).replace(QLatin1Char('&'), QStringLiteral("&&"))));
        entry->setToolTip(ShownFileText(file));
        entry->setEnabled(QFileInfo(file).isFile());
        connect(entry, &QAction::triggered, this,
                [this, file] { RunReported([this, file] { Labeler->OpenRecent(file); }); });
    }
    if (files.isEmpty())
        mnu_recent->addAction(QStringLiteral("(none)"))->setEnabled(false);
}

void Tfrm_labeler::UpdateEditActions()
{
    const TEditActions actions = Labeler->UpdateEditActions();
    act_paste->setText(actions.PasteCaption);
    act_paste->setEnabled(actions.Paste);
    act_copy->setEnabled(actions.Copy);
    act_cut->setEnabled(actions.Cut);
    act_undo->setEnabled(actions.Undo);
    act_redo->setEnabled(actions.Redo);
    act_delete->setEnabled(actions.Delete);
}

void Tfrm_labeler::WirePanel()
{
    Tcanvasinput &input = Labeler->Input();
    dpnl_canvas->onpaint = [this](Tvnldrawpanel *) { PaintPanel(); };
    dpnl_canvas->onmousedown = [&input](Tvnldrawpanel *, TMouseButton b, TPoint p, bool ctrl, bool shift) {
        input.MouseDown(b, p, ctrl, shift);
    };
    dpnl_canvas->onmousemove = [&input](Tvnldrawpanel *, TPoint p, bool ctrl, bool shift) {
        input.MouseMove(p, ctrl, shift);
    };
    dpnl_canvas->onmouseup = [&input](Tvnldrawpanel *, TMouseButton b, TPoint p, bool ctrl, bool shift) {
        input.MouseUp(b, p, ctrl, shift);
    };
    dpnl_canvas->installEventFilter(this);
}

QAction *Tfrm_labeler::AddAction(QAction *action, const QString &category)
{
    action->setProperty("category", category);
    ActionList.push_back(action);
    return action;
}

void Tfrm_labeler::SetCategoryVisible(const QString &category, bool visible)
{
    for (QAction *a : ActionList)
        if (a->property("category").toString() == category)
            a->setVisible(visible);
}

bool Tfrm_labeler::RunShortcut(const QKeySequence &keys)
{
    std::vector<QAction *> candidates(ActionList.begin(), ActionList.end());
    for (QAction *menu : menuBar()->actions())
        if (menu->menu())
            for (QAction *a : menu->menu()->actions())
                candidates.push_back(a);
    for (QAction *a : candidates) {
        if (!a->shortcuts().contains(keys) || (!a->isVisible() && a != act_redokeys))
            continue;
        // The editor's actions are disabled while another window is active; this one press runs
        // the command as the editor's own key would.
        const bool enabled = a->isEnabled();
        a->setEnabled(true);
        a->trigger();
        a->setEnabled(enabled);
        return true;
    }
    return false;
}

void Tfrm_labeler::SetActionsEnabled(bool enabled)
{
    for (QAction *a : ActionList)
        a->setEnabled(enabled);
}

void Tfrm_labeler::ConnectToolbox(Ttoolbox *toolbox, Ttoolwindowplacement *placement)
{
    Labeler->ConnectToolbox(toolbox, placement);
}

void Tfrm_labeler::ConnectStartupDialog(Tfrm_startup *dialog)
{
    StartupDialog = dialog;
    if (!dialog)
        return;
    dialog->OnNewLabel = [this](Tfrm_startup *) { Labeler->NewLabel(); };
    dialog->OnOpenLabel = [this](Tfrm_startup *) { Labeler->OpenLabel(); };
    dialog->OnOpenRecentLabel = [this](Tfrm_startup *) { Labeler->OpenLastFile(); };
}

void Tfrm_labeler::ConnectAboutBox(TAboutBox *about)
{
    AboutBox = about;
}

void Tfrm_labeler::ShowHelpTopic(const QString &topic)
{
    if (!HelpWindow) {
        HelpWindow = std::make_unique<Tfrm_help>();
        // The first time over the editor; afterwards where the user left it.
        CentreOver(*HelpWindow, *this);
    }
    ShowHelp(*HelpWindow, topic);
}

void Tfrm_labeler::ShowAboutBox()
{
    if (!AboutBox)
        return;
    AboutBox->SetVersion(Labeler->Version());
    RunModal(*AboutBox);
}

bool Tfrm_labeler::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::WindowActivate:
        SetActionsEnabled(true);
        break;
    case QEvent::WindowDeactivate:
        // The shortcuts work only while this window is active; a press cut short ends here.
        SetActionsEnabled(false);
        Labeler->Input().CancelPress();
        break;
    default:
        break;
    }
    return QMainWindow::event(e);
}

bool Tfrm_labeler::IsInThisWindow(QObject *object) const
{
    auto *widget = qobject_cast<QWidget *>(object);
    return widget && widget->window() == this;
}

bool Tfrm_labeler::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::Expose && !Placed && watched == windowHandle() && windowHandle()->isExposed()) {
        Placed = true;
        QTimer::singleShot(0, this, [this] {
            if (OnFirstPlaced)
                OnFirstPlaced();
            if (StartupPending)
                RunStartupDialog();
        });
        return false;
    }
    if (watched == dpnl_canvas && e->type() == QEvent::Resize) {
        Labeler->View().PanelResized(dpnl_canvas->width(), dpnl_canvas->height());
        return false;
    }
    if (watched == mem_edittext->viewport()) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
            Labeler->Input().EditorMouseDown();
            break;
        case QEvent::MouseMove:
            Labeler->Input().EditorMouseMove();
            break;
        case QEvent::MouseButtonRelease:
            Labeler->Input().EditorMouseUp();
            break;
        default:
            break;
        }
        return false;
    }
    if (e->type() == QEvent::Wheel && IsInThisWindow(watched)) {
        // The wheel zooms anywhere in the window; each widget gets it once (not again from its parent).
        auto *wheel = static_cast<QWheelEvent *>(e);
        if (watched->isWidgetType() && wheel->angleDelta().y() != 0) {
            Labeler->Wheel(wheel->angleDelta().y());
            return true;
        }
    }
    if (e->type() == QEvent::KeyRelease && IsInThisWindow(watched) &&
        watched == QApplication::focusWidget()) {
        auto *key = static_cast<QKeyEvent *>(e);
        if (!key->isAutoRepeat())
            Labeler->Input().KeyUp(key->key());
    }
    return QMainWindow::eventFilter(watched, e);
}

void Tfrm_labeler::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (FirstShown)
        return;
    FirstShown = true;
    setCursor(Qt::ArrowCursor);
    Labeler->View().PanelResized(dpnl_canvas->width(), dpnl_canvas->height());
    Labeler->FirstShow();
}

void Tfrm_labeler::hideEvent(QHideEvent *e)
{
    QMainWindow::hideEvent(e);
    if (!e->spontaneous())
        Labeler->WindowHidden();
}

void Tfrm_labeler::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    Labeler->WindowResized();
}

void Tfrm_labeler::closeEvent(QCloseEvent *e)
{
    // Whatever goes wrong in the prompt keeps the window and the label.
    e->ignore();
    if (!Labeler->CloseQuery())
        return;
    Labeler->Closed();
    e->accept();
}

QStringList Tfrm_labeler::DraggedFiles(const QMimeData *data)
{
    QStringList files;
    if (data && data->hasUrls())
        for (const QUrl &url : data->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
    return files;
}

std::optional<TPoint> Tfrm_labeler::CanvasPoint(const QPointF &windowPoint) const
{
    const QPoint p = dpnl_canvas->mapFrom(this, windowPoint.toPoint());
    if (!dpnl_canvas->rect().contains(p))
        return std::nullopt;
    return TPoint{p.x(), p.y()};
}

void Tfrm_labeler::dragEnterEvent(QDragEnterEvent *e)
{
    // Whether it may drop depends on where: the moves decide.
    if (Tlabeler::AcceptsDrop(DraggedFiles(e->mimeData()), true))
        e->acceptProposedAction();
}

void Tfrm_labeler::dragMoveEvent(QDragMoveEvent *e)
{
    if (Tlabeler::AcceptsDrop(DraggedFiles(e->mimeData()), CanvasPoint(e->position()).has_value()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void Tfrm_labeler::dropEvent(QDropEvent *e)
{
    const QStringList files = DraggedFiles(e->mimeData());
    if (files.isEmpty())
        return;
    e->acceptProposedAction();
    // The drop's source waits until the drop returns; the files are taken once it has.
    const std::optional<TPoint> at = CanvasPoint(e->position());
    QTimer::singleShot(0, this, [this, files, at] {
        try {
            Labeler->DropFiles(files, at);
        } catch (const std::exception &ex) {
            ShowErrorReport(ex);
        }
    });
}

void Tfrm_labeler::RepaintTimerFired()
{
    const Trectlist rects = Labeler->PendingPanelRects();
    QRegion region;
    for (int32_t i = 0; i < rects.Count(); ++i)
        region += ToQRect(rects.GetRect(i));
    if (region.isEmpty())
        return;
    // Qt leaves out of a paint what the in-place editor covers, but the text under it must still
    // be drawn into the buffer: its measure sizes the editor while the user types.
    if (mem_edittext->isVisible() && region.intersects(mem_edittext->geometry())) {
        const QRect bounds = region.boundingRect();
        const Trectlist painted = Labeler->PaintCanvas(
            {bounds.left(), bounds.top(), bounds.left() + bounds.width(), bounds.top() + bounds.height()});
        for (int32_t i = 0; i < painted.Count(); ++i)
            PendingCopy += ToQRect(painted.GetRect(i));
        region += PendingCopy;
    }
    dpnl_canvas->repaint(region);
}

void Tfrm_labeler::PaintPanel()
{
    // Qt lets a paint reach only the region it asks for. What the buffer holds already (painted
    // earlier, waiting in PendingCopy) is only copied; what else this paint brings up to date is
    // copied by the next one.
    const QRegion region = dpnl_canvas->PaintRegion();
    const QRect exposed = (region - PendingCopy).boundingRect();
    const Trectlist painted = Labeler->PaintCanvas(
        {exposed.left(), exposed.top(), exposed.left() + exposed.width(), exposed.top() + exposed.height()});
    const QImage &buffer = Labeler->BackBuffer().Image();
    QPainter painter(dpnl_canvas);
    for (const QRect &r : region)
        painter.drawImage(r.topLeft(), buffer, r);
    for (int32_t i = 0; i < painted.Count(); ++i)
        PendingCopy += ToQRect(painted.GetRect(i));
    PendingCopy -= region;
    if (!PendingCopy.isEmpty())
        dpnl_canvas->update(PendingCopy);
}

// ---- Tlabelerhost

void Tfrm_labeler::ViewportChanged(const TRect &viewport)
{
    dpnl_canvas->SetViewport(viewport, false);
}

void Tfrm_labeler::ScrollBarsChanged(const TScrollBarState &horizontal, const TScrollBarState &vertical)
{
    ApplyScrollBar(*sb_horiz, horizontal);
    ApplyScrollBar(*sb_vert, vertical);
}

void Tfrm_labeler::RequestRepaint()
{
    if (!tmr_invalid.isActive())
        tmr_invalid.start();
}

void Tfrm_labeler::SetCanvasCursor(TCanvasCursor cursor)
{
    switch (cursor) {
    case TCanvasCursor::ZoomIn:
        dpnl_canvas->setCursor(ZoomInCursor);
        break;
    case TCanvasCursor::ZoomOut:
        dpnl_canvas->setCursor(ZoomOutCursor);
        break;
    case TCanvasCursor::SizeNWSE:
        dpnl_canvas->setCursor(Qt::SizeFDiagCursor);
        break;
    case TCanvasCursor::SizeNESW:
        dpnl_canvas->setCursor(Qt::SizeBDiagCursor);
        break;
    case TCanvasCursor::SizeWE:
        dpnl_canvas->setCursor(Qt::SizeHorCursor);
        break;
    case TCanvasCursor::SizeNS:
        dpnl_canvas->setCursor(Qt::SizeVerCursor);
        break;
    case TCanvasCursor::IBeam:
        dpnl_canvas->setCursor(Qt::IBeamCursor);
        break;
    case TCanvasCursor::SizeAll:
        dpnl_canvas->setCursor(Qt::SizeAllCursor);
        break;
    case TCanvasCursor::Arrow:
        dpnl_canvas->setCursor(Qt::ArrowCursor);
        break;
    }
}

void Tfrm_labeler::TextEditorChanged(const TTextEditorState &editor)
{
    const QFont font = EditorFont(editor.Font);
    if (mem_edittext->font() != font)
        mem_edittext->setFont(font);
    QPalette palette = mem_edittext->palette();
    palette.setColor(QPalette::Base, ToQColor(editor.Background));
    palette.setColor(QPalette::Text, ToQColor(editor.Font.Color()));
    if (palette != mem_edittext->palette())
        mem_edittext->setPalette(palette);
    if (mem_edittext->toPlainText() != editor.Text) {
        SettingEditorText = true;
        mem_edittext->setPlainText(editor.Text);
        SettingEditorText = false;
    }
    const Qt::Alignment align = editor.Alignment == THorizontalAlign::Right    ? Qt::AlignRight
                                : editor.Alignment == THorizontalAlign::Centre ? Qt::AlignHCenter
                                                                               : Qt::AlignLeft;
    QTextOption option = mem_edittext->document()->defaultTextOption();
    if (option.alignment() != align) {
        option.setAlignment(align);
        mem_edittext->document()->setDefaultTextOption(option);
    }
    if (mem_edittext->isVisible() != editor.Visible)
        mem_edittext->setVisible(editor.Visible);
    EditorRect = ToQRect(editor.Rect);
    FitTextEditorWidget(EditorRect);
}

void Tfrm_labeler::FitTextEditorWidget(QRect rect)
{
    const QRect before = mem_edittext->geometry();
    if (before.topLeft() != rect.topLeft() || before.width() != rect.width())
        mem_edittext->setGeometry(rect);
    // The editor shows every line of the text. Its lines may be a little taller than those the
    // label draws, so it grows by what its own layout needs.
    int32_t lines = 0;
    for (QTextBlock block = mem_edittext->document()->begin(); block.isValid(); block = block.next())
        lines += std::max(block.layout() ? block.layout()->lineCount() : 1, 1);
    const int32_t frame = mem_edittext->height() - mem_edittext->viewport()->height();
    rect.setHeight(std::max(rect.height(), lines * QFontMetrics(mem_edittext->font()).lineSpacing() + frame));
    if (mem_edittext->geometry() == before && before == rect)
        return;
    mem_edittext->setGeometry(rect);
    // A line the editor scrolled away while it was shorter comes back into sight: going to the
    // start scrolls to the top, and the caret goes back where it was.
    const QTextCursor caret = mem_edittext->textCursor();
    mem_edittext->moveCursor(QTextCursor::Start);
    mem_edittext->setTextCursor(caret);
}

void Tfrm_labeler::FocusTextEditor()
{
    mem_edittext->setFocus();
}

void Tfrm_labeler::FocusCanvas()
{
    pnl_canvas_contnr->setFocus();
}

void Tfrm_labeler::ShowContextMenu(const TPoint &panelPoint)
{
    pm_canvas->popup(dpnl_canvas->mapToGlobal(QPoint(panelPoint.X, panelPoint.Y)));
}

void Tfrm_labeler::ToolButtonsChanged(TTool tool)
{
    for (size_t i = 0; i < ToolBarButtons.size(); ++i)
        if (ToolButtons[i].IsTool)
            ToolBarButtons[i]->setChecked(ToolButtons[i].Image == ToolNumber(tool));
}

void Tfrm_labeler::SetCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void Tfrm_labeler::SetTemplateActionsVisible(bool visible)
{
    SetCategoryVisible(QStringLiteral("Template"), visible);
}

void Tfrm_labeler::SetButtonCaptions(bool visible)
{
    tbr_buttons->setToolButtonStyle(visible ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    for (QToolButton *b : ToolBarButtons)
        b->setToolButtonStyle(tbr_buttons->toolButtonStyle());
}

bool Tfrm_labeler::IsEnding() const
{
    return Ending || QCoreApplication::closingDown();
}

void Tfrm_labeler::ShowStartupDialog(const QString &recentLabelName)
{
    if (!StartupDialog)
        return;
    StartupDialog->RecentLabelName = recentLabelName;
    // Once the window is on screen where the window manager put it, so that the dialog sits over it.
    StartupPending = true;
}

void Tfrm_labeler::RunStartupDialog()
{
    StartupPending = false;
    if (IsEnding() || !StartupDialog)
        return;
    StartupDialog->CentreOn(*this);
    RunModal(*StartupDialog);
}
