#include "widgets/dropmsg.h"

#include "platform/tickcount.h"

#include <QCheckBox>
#include <QDateTime>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

namespace {

constexpr int RefreshMs = 1000;
constexpr int FollowMs = 300;
constexpr int HideBoxWidth = 44;
constexpr int HideBoxHeight = 14;
constexpr int HideBoxRightOffset = 48;
constexpr int HideBoxTop = 3;
// The list's frame, two pixels on each side.
constexpr int ListFrame = 2;
constexpr int TextLeft = 2;
constexpr int TextTop = 1;
constexpr int CaptionLeft = 2;
constexpr double MsPerDay = 86400000.0;

QDateTime DayZero()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

// Draws the lines of the drop-down through its owner.
class TlbDelegate : public QStyledItemDelegate {
public:
    TlbDelegate(const Tf_lb *owner, QObject *parent) : QStyledItemDelegate(parent), Owner(owner) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        Owner->lbDrawItem(*painter, index.row(), option.rect, option.state & QStyle::State_Selected);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return {option.rect.width(), Tf_lb::ItemHeight};
    }

private:
    const Tf_lb *Owner;
};

} // namespace

TTimeStamp SystemTimeStamp()
{
    const QDateTime now = QDateTime::currentDateTime();
    // Days since day zero in local time, as the calendar on the wall counts them.
    const QDateTime local(now.date(), now.time());
    return {GetTickCount(), double(DayZero().msecsTo(local)) / MsPerDay};
}

QString TimeOfDayText(double dateTime)
{
    const double fraction = dateTime - std::floor(dateTime);
    const int ms = std::clamp(int(std::llround(fraction * MsPerDay)), 0, int(MsPerDay) - 1);
    return QTime::fromMSecsSinceStartOfDay(ms).toString(QStringLiteral("HH:mm:ss"));
}

void Ttimestringlist::Add(const QString &text, const TTimeStamp &stamp)
{
    auto entry = std::make_unique<Ttimestringlistentry>();
    entry->Text = text;
    entry->Tick = stamp.Tick;
    entry->DateTime = stamp.DateTime;
    Entries.push_back(std::move(entry));
}

Tf_lb::Tf_lb() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    lb = new QListWidget(this);
    lb->setObjectName(QStringLiteral("lb"));
    lb->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    lb->setUniformItemSizes(true);
    lb->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lb->setFocusPolicy(Qt::NoFocus);
    lb->setItemDelegate(new TlbDelegate(this, lb));
}

void Tf_lb::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    lb->setGeometry(rect());
}

void Tf_lb::lbDrawItem(QPainter &painter, int index, const QRect &rect, bool selected) const
{
    const QPalette &palette = lb->palette();
    painter.fillRect(rect, palette.color(selected ? QPalette::Highlight : QPalette::Base));
    painter.setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QListWidgetItem *item = lb->item(index);
    if (item)
        painter.drawText(rect.adjusted(TextLeft, TextTop, 0, 0),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, item->text());
    if (index % 2 == 0) {
        painter.setPen(palette.color(QPalette::WindowText));
        painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
    }
}

Tpnl_dropmsg::Tpnl_dropmsg(QWidget *parent) : QFrame(parent), DropDown(std::make_unique<Tf_lb>())
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    chk_hide = new QCheckBox(QStringLiteral("Hide"), this);
    chk_hide->setObjectName(QStringLiteral("chk_hide"));
    connect(chk_hide, &QCheckBox::clicked, this, [this] { SetDropped(false); });
    PlaceHideBox();

    tmr_refresh.setInterval(RefreshMs);
    connect(&tmr_refresh, &QTimer::timeout, this, &Tpnl_dropmsg::Refresh);
    tmr_follow.setInterval(FollowMs);
    connect(&tmr_follow, &QTimer::timeout, this, [this] {
        if (Dropped)
            PlaceDropDown();
    });
    tmr_follow.start();
}

Tpnl_dropmsg::~Tpnl_dropmsg() = default;

void Tpnl_dropmsg::SetCaption(const QString &v)
{
    Caption = v;
    update();
}

void Tpnl_dropmsg::AddMessage(const QString &text)
{
    Messages.Add(text, Clock());
    tmr_refresh.start();
    Refresh();
}

void Tpnl_dropmsg::SetDropped(bool flag)
{
    if (flag) {
        PlaceDropDown();
        DropDown->show();
    } else {
        DropDown->hide();
    }
    Dropped = flag;
}

void Tpnl_dropmsg::Refresh()
{
    if (!isVisible() || OpenedByClick)
        return;
    const uint32_t now = Clock().Tick;
    QListWidget *lb = DropDown->lb;
    lb->clear();
    for (int i = 0; i < Messages.Count(); ++i) {
        const Ttimestringlistentry &e = Messages.Get(i);
        if (uint32_t(now - e.Tick) < RecentMs)
            lb->addItem(QStringLiteral("%1:%2").arg(TimeOfDayText(e.DateTime), e.Text));
    }
    if (lb->count() > 0)
        lb->setCurrentRow(lb->count() - 1);
    PlaceDropDown();
    if (lb->count() < 2) {
        SetDropped(false);
        tmr_refresh.stop();
    } else if (!chk_hide->isChecked()) {
        SetDropped(true);
    }
}

void Tpnl_dropmsg::PlaceDropDown()
{
    const int lines = std::min(DropDown->lb->count(), MaxShownLines);
    DropDown->setGeometry(
        QRect(mapToGlobal(QPoint(0, height())), QSize(width(), Tf_lb::ItemHeight * lines + 2 * ListFrame)));
}

void Tpnl_dropmsg::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawText(contentsRect().adjusted(CaptionLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     Caption);
}

void Tpnl_dropmsg::mouseReleaseEvent(QMouseEvent *event)
{
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
}

void Tpnl_dropmsg::moveEvent(QMoveEvent *event)
{
    QFrame::moveEvent(event);
    PlaceDropDown();
}

void Tpnl_dropmsg::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    PlaceDropDown();
    PlaceHideBox();
}

void Tpnl_dropmsg::Click()
{
    OpenedByClick = !Dropped;
    DropDown->lb->clear();
    SetDropped(!Dropped);
}

void Tpnl_dropmsg::PlaceHideBox()
{
    chk_hide->setGeometry(width() - HideBoxRightOffset, HideBoxTop, HideBoxWidth, HideBoxHeight);
}
