#include "widgets/flexdlg.h"

#include "platform/tickcount.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFontMetrics>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace {

constexpr int DesignClientWidth = 503;
constexpr int DesignClientHeight = 210;
constexpr int MinimumClientWidth = 366;
constexpr int MinimumClientHeight = 128;
constexpr int IconStripWidth = 57;
constexpr int IconOffset = 16;
constexpr int IconSize = 32;
constexpr int MessageBorder = 6;
constexpr int ButtonStripHeight = 46;
constexpr int ButtonRowBorder = 10;
constexpr int ButtonRowHeight = 25;
constexpr int ButtonImageSize = 16;
constexpr int CaptionPadWidth = 10;
constexpr double MessageWidthAllowance = 1.2;
constexpr double MaximumScreenWidthShare = 0.9;
constexpr int CountdownTickMs = 50;
constexpr int DialogFontPixels = 11;
// The text box shows its scroll bar unless it is a pixel higher than its lines.
constexpr int TextBoxSlack = 1;

const QLatin1Char CaptionPadFill('M');
const QLatin1String CaptionPadExtra("MM");

struct TNamedValue {
    const char *Name;
    int Value;
};

constexpr std::array<TNamedValue, 18> ResultNames{{
    {"mrnone", 0},
    {"mrok", 1},
    {"mrcancel", 2},
    {"mrabort", 3},
    {"mrretry", 4},
    {"mrignore", 5},
    {"mryes", 6},
    {"mrno", 7},
    {"mrall", 8},
    {"idnone", 0},
    {"idok", 1},
    {"idcancel", 2},
    {"idabort", 3},
    {"idretry", 4},
    {"idignore", 5},
    {"idyes", 6},
    {"idno", 7},
    {"idall", 8},
}};

constexpr std::array<const char *, 25> ImageNames{
    "COMMENT",     "GREENLIGHTSM", "REDLIGHTSM", "CHECK",       "CHECKGRAY", "ARROWDOWN",   "LIGHTY_OFF",
    "LIGHTY_GRAY", "LIGHTY_ON",    "LIGHTR_OFF", "LIGHTR_GRAY", "ARROWRED",  "LIGHTR_ON",   "LIGHTG_ON",
    "LIGHTG_OFF",  "LIGHTG_GRAY",  "PADLOCK",    "PADLOCKGRAY", "PADUNLOCK", "ARROWYELLOW", "KESTARN",
    "TRASH",       "TRASHGRAY",    "CANCEL",     "CANCELGRAY"};

bool IsBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// The text before the first "=", or nullopt when there is none.
std::optional<QString> NameOf(const QString &item)
{
    const qsizetype equals = item.indexOf(QLatin1Char('='));
    return equals < 0 ? std::nullopt : std::optional<QString>(item.left(equals));
}

// The text after the first "=" of the first item named name (case aside); only items with a "="
// have a name.
std::optional<QString> ValueOf(const QStringList &items, const QString &name)
{
    for (const QString &item : items) {
        const auto itemName = NameOf(item);
        if (itemName && itemName->compare(name, Qt::CaseInsensitive) == 0)
            return item.mid(itemName->size() + 1);
    }
    return std::nullopt;
}

std::optional<int> DecimalInteger(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString CaptionOf(const QString &item)
{
    return NameOf(item).value_or(item);
}

QStyle::StandardPixmap StandardIconOf(int icon)
{
    switch (icon) {
    case fiWarning:
        return QStyle::SP_MessageBoxWarning;
    case fiError:
        return QStyle::SP_MessageBoxCritical;
    case fiInformation:
        return QStyle::SP_MessageBoxInformation;
    default:
        return QStyle::SP_MessageBoxQuestion;
    }
}

// The lines of a text as a list of lines counts them: CR LF, CR or LF end a line, and a line break
// at the very end adds no empty line.
QStringList LinesOf(const QString &text)
{
    QString unified = text;
    unified.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = unified.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.pop_back();
    return lines;
}

QRect PrimaryScreenGeometry()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, DesignClientWidth, DesignClientHeight);
}

QString ImageFileError(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString());
    return QStringLiteral("The file \"%1\" is not a valid image.").arg(path);
}

bool Busy = false;

// Clears the busy flag on every way out of a call.
struct TBusyGuard {
    TBusyGuard() { Busy = true; }
    ~TBusyGuard() { Busy = false; }
    TBusyGuard(const TBusyGuard &) = delete;
    TBusyGuard &operator=(const TBusyGuard &) = delete;
};

} // namespace

QStringList SplitFlexItems(const QString &text)
{
    QStringList items;
    const qsizetype nul = text.indexOf(QChar(0));
    const QString t = nul < 0 ? text : text.left(nul);
    const qsizetype n = t.size();
    qsizetype p = 0;
    while (p < n && IsBlank(t[p]))
        ++p;
    while (p < n) {
        QString item;
        if (t[p] == QLatin1Char('"')) {
            for (++p; p < n; ++p) {
                if (t[p] == QLatin1Char('"')) {
                    if (p + 1 < n && t[p + 1] == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        ++p;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += t[p];
            }
        } else {
            const qsizetype start = p;
            while (p < n && t[p].unicode() > 32 && t[p] != QLatin1Char(','))
                ++p;
            item = t.mid(start, p - start);
        }
        items.push_back(item);
        while (p < n && IsBlank(t[p]))
            ++p;
        if (p < n && t[p] == QLatin1Char(',')) {
            if (p + 1 == n)
                items.push_back(QString());
            do
                ++p;
            while (p < n && IsBlank(t[p]));
        }
    }
    return items;
}

std::optional<int> FlexResultByName(const QString &name)
{
    for (const TNamedValue &entry : ResultNames)
        if (name.compare(QLatin1String(entry.Name), Qt::CaseInsensitive) == 0)
            return entry.Value;
    return std::nullopt;
}

std::optional<int> FlexImageByName(const QString &name)
{
    for (size_t i = 0; i < ImageNames.size(); ++i)
        if (name.compare(QLatin1String(ImageNames[i]), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return std::nullopt;
}

std::vector<TFlexButton> ParseFlexButtons(const QString &buttons)
{
    return ParseFlexItems(SplitFlexItems(buttons));
}

std::vector<TFlexButton> ParseFlexItems(const QStringList &items)
{
    std::vector<TFlexButton> result;
    for (const QString &item : items) {
        TFlexButton button;
        button.Caption = CaptionOf(item);
        QString text = ValueOf(items, button.Caption).value_or(QString());
        if (const qsizetype star = text.indexOf(QLatin1Char('*')); star >= 0) {
            text.remove(star, 1);
            button.Default = true;
        }
        button.Result = FlexResultByName(text).value_or(DecimalInteger(text).value_or(mrOk));
        button.Cancel = button.Result == mrCancel;
        result.push_back(button);
    }
    return result;
}

QString PadCentre(const QString &text, int width, QChar fill)
{
    if (text.size() >= width)
        return text;
    const QString side(static_cast<qsizetype>((width - text.size()) / 2), fill);
    return side + text + side;
}

Tvnlflexdlg::Tvnlflexdlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      RowBorder(ButtonRowBorder)
{
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setPixelSize(DialogFontPixels);
    setFont(dialogFont);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    pnl_icon = new QWidget(this);
    pnl_icon->setObjectName(QStringLiteral("pnl_icon"));
    img_icon = new QLabel(pnl_icon);
    img_icon->setObjectName(QStringLiteral("img_icon"));
    img_icon->setGeometry(IconOffset, IconOffset, IconSize, IconSize);

    Panel4 = new QWidget(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Memo1 = new QPlainTextEdit(Panel4);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Memo1->document()->setDocumentMargin(0);
    Memo1->installEventFilter(this);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox1->setWidgetResizable(false);
    Panel2 = new QWidget(ScrollBox1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel1 = new QWidget(Panel2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    ScrollBox1->setWidget(Panel2);

    resize(DesignClientWidth, DesignClientHeight);
}

Tvnlflexdlg::~Tvnlflexdlg() = default;

int Tvnlflexdlg::ShowFlexDlg(const QString &title, const QString &message, const QString &buttons,
                             const QString &buttonIcons, int icon, bool modal, int timeout)
{
    if (Busy)
        return FlexDlgBusy;
    TBusyGuard busy;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return FlexDlgNotCreated;
    std::unique_ptr<Tvnlflexdlg> dialog;
    try {
        dialog = std::make_unique<Tvnlflexdlg>();
    } catch (const std::exception &) {
        return FlexDlgNotCreated;
    }
    return dialog->FillAndShow(title, message, buttons, buttonIcons, icon, modal, timeout);
}

int Tvnlflexdlg::FillAndShow(const QString &title, const QString &message, const QString &buttons,
                             const QString &buttonIcons, int icon, bool modal, int timeout)
{
    StartTime = GetTickCount();
    Icon = icon;
    setWindowTitle(title);
    SetMessage(message);

    const QStringList items = SplitFlexItems(buttons);
    const QStringList imageItems = SplitFlexItems(buttonIcons);
    setEnabled(!buttons.trimmed().isEmpty());
    ShowIcon(icon);
    ClearButtons();

    RowBorder = ButtonRowBorder;
    const int estimate = EstimateRowWidth(items);
    FitWindowToMessage(message);
    if (estimate > 0)
        FitWindowToRow(estimate);
    CreateButtons(items, imageItems, estimate);

    const int screenHeight = PrimaryScreenGeometry().height();
    setFixedSize(width(), std::min(height(), screenHeight - screenHeight / 4));
    Arrange();
    SetTabOrderAndDefaults();
    move(QGuiApplication::primaryScreen()->availableGeometry().center() - rect().center());

    if (modal)
        return exec();
    return RunModeless(timeout);
}

QString Tvnlflexdlg::GetMessageText() const
{
    return Memo1->toPlainText();
}

void Tvnlflexdlg::SetMessage(const QString &text)
{
    Message = text;
    Memo1->setPlainText(LinesOf(text).join(QLatin1Char('\n')));
}

void Tvnlflexdlg::ShowIcon(int icon)
{
    IconShown = icon != fiNone;
    pnl_icon->setVisible(IconShown);
    img_icon->clear();
    if (icon >= fiWarning && icon <= fiQuestion)
        img_icon->setPixmap(
            style()->standardIcon(StandardIconOf(icon), nullptr, this).pixmap(IconSize, IconSize));
}

void Tvnlflexdlg::ClearButtons()
{
    for (const TCaptionItem &item : CaptionList)
        delete item.Button;
    CaptionList.clear();
    RowExtent = 0;
    RowHeight = ButtonRowHeight;
}

int Tvnlflexdlg::EstimateRowWidth(const QStringList &items) const
{
    const QFontMetrics metrics(font());
    int width = 0;
    for (const QString &item : items)
        width += metrics.horizontalAdvance(
                     PadCentre(NameOf(item).value_or(QString()), CaptionPadWidth, CaptionPadFill)) +
                 metrics.horizontalAdvance(CaptionPadExtra) + ButtonImageSize;
    return width + (static_cast<int>(items.size()) - 1) * btnspacing;
}

void Tvnlflexdlg::FitWindowToMessage(const QString &message)
{
    const QFontMetrics metrics(font());
    const QStringList lines = LinesOf(message);
    int widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int lineHeight = static_cast<int>(std::ceil(QFontMetricsF(font()).lineSpacing()));
    const int required = lineHeight * static_cast<int>(lines.size()) + TextBoxSlack;
    const QRect screen = PrimaryScreenGeometry();
    const int messageLeft = IconShown ? IconStripWidth : 0;

    int height = MinimumClientHeight;
    const int boxHeight = height - ButtonStripHeight - 2 * MessageBorder;
    if (boxHeight < required)
        height = std::min(height + required - boxHeight, screen.height());

    int width = MinimumClientWidth;
    const int boxWidth = width - messageLeft - 2 * MessageBorder;
    const int wanted = static_cast<int>(widest * MessageWidthAllowance);
    if (wanted > boxWidth)
        width += wanted - boxWidth;
    width = std::min(width, static_cast<int>(screen.width() * MaximumScreenWidthShare));
    resize(std::max(width, MinimumClientWidth), height);
}

void Tvnlflexdlg::FitWindowToRow(int estimate)
{
    const int widest = static_cast<int>(PrimaryScreenGeometry().width() * MaximumScreenWidthShare);
    const int width = std::min(std::max(this->width(), estimate + 2 * RowBorder), widest);
    resize(std::max(width, MinimumClientWidth), height());
    if (estimate + 2 * RowBorder > this->width())
        RowBorder = 0;
}

QPixmap Tvnlflexdlg::ButtonImage(int index, const QString &caption, const QStringList &imageItems)
{
    auto image = ValueOf(imageItems, QString::number(index));
    if (!image)
        image = ValueOf(imageItems, caption);
    if (!image)
        return {};
    QPixmap blank(ButtonImageSize, ButtonImageSize);
    blank.fill(Qt::transparent);
    if (FlexImageByName(*image) || DecimalInteger(*image))
        return blank; // the button image list holds no pictures
    QImageReader reader(*image);
    const QImage loaded = reader.read();
    if (!loaded.isNull())
        return QPixmap::fromImage(loaded);
    Message += QStringLiteral("\r\nFlex dialog input:") + ImageFileError(*image);
    Memo1->setPlainText(LinesOf(Message).join(QLatin1Char('\n')));
    return blank;
}

void Tvnlflexdlg::CreateButtons(const QStringList &items, const QStringList &imageItems, int estimate)
{
    const QFontMetrics metrics(font());
    const std::vector<TFlexButton> buttons = ParseFlexItems(items);
    const int n = static_cast<int>(buttons.size());
    const int innerWidth = std::max(width() - 2 * RowBorder, estimate);
    int previousRight = 0;
    for (int i = 0; i < n; ++i) {
        const TFlexButton &described = buttons[static_cast<size_t>(i)];
        auto *button = new QPushButton(described.Caption, Panel1);
        button->setAutoDefault(true);
        const QPixmap image = ButtonImage(i, described.Caption, imageItems);
        if (!image.isNull()) {
            button->setIcon(QIcon(image));
            button->setIconSize(image.size());
        }
        const int buttonWidth =
            metrics.horizontalAdvance(PadCentre(described.Caption, CaptionPadWidth, CaptionPadFill)) +
            metrics.horizontalAdvance(CaptionPadExtra) + (image.isNull() ? 0 : image.width());
        const int slot = static_cast<int>(std::trunc(static_cast<double>(estimate) / n * i));
        const int left = i == 0 ? static_cast<int>(std::trunc(innerWidth / 2.0 - estimate / 2.0)) + RowBorder
                                : std::max(previousRight + btnspacing, slot) + RowBorder;
        const int buttonHeight = std::max(image.isNull() ? 0 : image.height(), ButtonRowHeight);
        button->setGeometry(left, 0, buttonWidth, buttonHeight);
        previousRight = left + buttonWidth;
        RowExtent = std::max(RowExtent, previousRight);
        RowHeight = std::max(RowHeight, buttonHeight);
        const int result = described.Result;
        connect(button, &QPushButton::clicked, this, [this, result] {
            if (result != mrNone)
                done(result);
        });
        CaptionList.push_back(
            {described.Caption, button, described.Result, described.Default, described.Cancel});
    }
}

void Tvnlflexdlg::SetTabOrderAndDefaults()
{
    std::vector<QPushButton *> order;
    for (const TCaptionItem &item : CaptionList)
        if (item.Default)
            order.push_back(item.Button);
    for (const TCaptionItem &item : CaptionList)
        if (!item.Default)
            order.push_back(item.Button);
    for (size_t i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    if (!order.empty())
        setTabOrder(order.back(), Memo1);
    for (auto item = CaptionList.rbegin(); item != CaptionList.rend(); ++item)
        if (item->Default) {
            item->Button->setDefault(true);
            break;
        }
}

void Tvnlflexdlg::FocusDefaultButtons()
{
    bool focused = false;
    for (const TCaptionItem &item : CaptionList)
        if (item.Default) {
            item.Button->setFocus();
            focused = true;
        }
    if (!focused && !CaptionList.empty())
        CaptionList.front().Button->setFocus();
}

void Tvnlflexdlg::Arrange()
{
    const int stripTop = height() - ButtonStripHeight;
    const int messageLeft = IconShown ? IconStripWidth : 0;
    pnl_icon->setGeometry(0, 0, IconStripWidth, stripTop);
    Panel4->setGeometry(messageLeft, 0, width() - messageLeft, stripTop);
    Memo1->setGeometry(MessageBorder, MessageBorder, Panel4->width() - 2 * MessageBorder,
                       Panel4->height() - 2 * MessageBorder);
    ScrollBox1->setGeometry(0, stripTop, width(), ButtonStripHeight);
    const int rowWidth = std::max(width() - 2 * RowBorder, RowExtent);
    const bool scrolls = rowWidth + 2 * RowBorder > width();
    const int visibleHeight =
        ButtonStripHeight - (scrolls ? ScrollBox1->horizontalScrollBar()->sizeHint().height() : 0);
    Panel2->resize(rowWidth + 2 * RowBorder, std::max(visibleHeight, RowHeight + 2 * RowBorder));
    Panel1->setGeometry(RowBorder, RowBorder, rowWidth, RowHeight);
}

int Tvnlflexdlg::RunModeless(int timeout)
{
    setResult(mrNone);
    show();
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    if (timeout != -1) {
        connect(&tick, &QTimer::timeout, this, [this, timeout] { ShowCountdown(timeout); });
        ShowCountdown(timeout);
        tick.start(CountdownTickMs);
    }
    if (result() == mrNone)
        loop.exec();
    hide();
    return result();
}

void Tvnlflexdlg::ShowCountdown(int timeout)
{
    const int64_t elapsed = static_cast<uint32_t>(GetTickCount() - StartTime);
    const int64_t remaining = static_cast<int64_t>(timeout) - elapsed;
    const QString text = QStringLiteral("%1\r\n%2").arg(Message).arg(remaining > 0 ? remaining / 1000 : 0);
    if (text != ShownCountdown) {
        ShownCountdown = text;
        Memo1->setPlainText(LinesOf(text).join(QLatin1Char('\n')));
    }
    if (remaining < 0)
        done(FlexDlgTimedOut);
}

void Tvnlflexdlg::reject()
{
    for (const TCaptionItem &item : CaptionList)
        if (item.Cancel && item.Button->isEnabled()) {
            item.Button->click();
            return;
        }
}

void Tvnlflexdlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FocusDefaultButtons();
}

void Tvnlflexdlg::closeEvent(QCloseEvent *event)
{
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    event->accept();
    done(mrCancel);
}

void Tvnlflexdlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Arrange();
}

bool Tvnlflexdlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Memo1 && event->type() == QEvent::FocusIn && !CaptionList.empty())
        CaptionList.front().Button->setFocus();
    return QDialog::eventFilter(watched, event);
}
