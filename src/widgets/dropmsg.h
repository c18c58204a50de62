#pragma once
// The message panel: a thin captioned bar that collects time-stamped messages and, while at
// least two of them are recent, drops a list of them down below itself.

#include <QFrame>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QListWidget;
class QPainter;

// When a message was posted: the millisecond tick count and the local date and time in days
// since 30 December 1899.
struct TTimeStamp {
    uint32_t Tick = 0;
    double DateTime = 0;
};

// The moment now, as the system clock gives it.
TTimeStamp SystemTimeStamp();

// The time of day of a date and time as "HH:MM:SS", 24 hours.
QString TimeOfDayText(double dateTime);

struct Ttimestringlistentry {
    QString Text;
    uint32_t Tick = 0;
    double DateTime = 0;
};

// Every message posted, oldest first; the list owns its entries and never drops one.
class Ttimestringlist {
public:
    void Add(const QString &text, const TTimeStamp &stamp);
    int Count() const { return int(Entries.size()); }
    const Ttimestringlistentry &Get(int index) const { return *Entries[size_t(index)]; }

private:
    std::vector<std::unique_ptr<Ttimestringlistentry>> Entries;
};

// The drop-down of the message panel: a borderless window on top of the others whose only
// control is lb, the list of recent messages in lines ItemHeight pixels high.
class Tf_lb : public QWidget {
    Q_OBJECT

public:
    static constexpr int ItemHeight = 13;

    Tf_lb();

    // Line index: its text 2 pixels from the left and 1 from the top of rect; a line with an
    // even index also gets a rule along its top edge.
    void lbDrawItem(QPainter &painter, int index, const QRect &rect, bool selected) const;

    QListWidget *lb = nullptr;

protected:
    // Base
    void resizeEvent(QResizeEvent *event) override;
};

class Tpnl_dropmsg : public QFrame {
    Q_OBJECT

public:
    static constexpr uint32_t RecentMs = 10000;
    static constexpr int MaxShownLines = 10;

    explicit Tpnl_dropmsg(QWidget *parent = nullptr);
    ~Tpnl_dropmsg() override;

    const QString &GetCaption() const { return Caption; }
    void SetCaption(const QString &v);

    // Appends text stamped now, starts the refresh timer and refreshes at once.
    void AddMessage(const QString &text);
    const Ttimestringlist &GetMessages() const { return Messages; }

    bool IsDropped() const { return Dropped; }
    void SetDropped(bool flag);

    // Shows the messages younger than RecentMs in the drop-down, which drops down while there
    // are two or more (unless "Hide" is ticked) and goes away, stopping the refresh timer,
    // when fewer remain. Does nothing while the bar is hidden or a click opened the drop-down.
    void Refresh();
    // Puts the drop-down right under the bar, as wide as the bar and as high as its lines
    // (MaxShownLines at most).
    void PlaceDropDown();

    // The time source; tests replace it to drive the panel's clock.
    std::function<TTimeStamp()> Clock = SystemTimeStamp;

    QTimer tmr_refresh;
    QTimer tmr_follow;
    const std::unique_ptr<Tf_lb> DropDown;
    QCheckBox *chk_hide = nullptr;

protected:
    // Base
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Click();
    void PlaceHideBox();

    QString Caption;
    bool Dropped = false;
    bool OpenedByClick = false;
    Ttimestringlist Messages;
};
