#pragma once
// The message dialog whose buttons a text describes ("Yes=mryes,No=mrno"): a stay-on-top window
// with a title, a message of any length, a standard icon and a row of buttons with their results.

#include "platform/messages.h"

#include <QDialog>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

// Splits text into items as a comma-separated list does: leading blanks (codes 1 to 32) are
// skipped; a quoted item runs to its closing quote, "" inside standing for one quote; any other
// item ends at a comma or a blank; a comma that is the text's last character adds an empty item.
QStringList SplitFlexItems(const QString &text);

// The value of a result name ("mryes" gives 6, "IDCANCEL" 2); nullopt for any other text.
std::optional<int> FlexResultByName(const QString &name);
// The index of a button image name ("CHECK" gives 3); nullopt for any other text.
std::optional<int> FlexImageByName(const QString &name);

// One button of a button text, its result resolved.
struct TFlexButton {
    QString Caption;
    int Result = mrOk;
    bool Default = false;
    bool Cancel = false;
};

// The buttons a button text describes, in order. Each result is that of the first "caption=result" item
// with the same caption (case aside); a "*" in it makes a default button; a result name or a decimal
// integer gives the value, anything else 1; a result of 2 also makes the cancel button.
std::vector<TFlexButton> ParseFlexButtons(const QString &buttons);
std::vector<TFlexButton> ParseFlexItems(const QStringList &items);

// text with (width - length) div 2 fill characters on each side when it is shorter than width.
QString PadCentre(const QString &text, int width, QChar fill);

class Tvnlflexdlg : public QDialog {
    Q_OBJECT

public:
    explicit Tvnlflexdlg(QWidget *parent = nullptr);
    ~Tvnlflexdlg() override;

    // One call of the message dialog (see ShowFlexDlg in platform/messages.h): makes a window,
    // fills and shows it, and destroys it again. FlexDlgBusy while another call's window shows;
    // FlexDlgNotCreated when there is no QApplication to make a window with.
    static int ShowFlexDlg(const QString &title, const QString &message, const QString &buttons,
                           const QString &buttonIcons, int icon, bool modal, int timeout);

    int FillAndShow(const QString &title, const QString &message, const QString &buttons,
                    const QString &buttonIcons, int icon, bool modal, int timeout);

    struct TCaptionItem {
        QString Key;
        QPushButton *Button;
        int Result;
        bool Default;
        bool Cancel;
    };
    // The buttons of the current fill in creation order, each under its caption.
    const std::vector<TCaptionItem> &GetCaptionList() const { return CaptionList; }
    bool IsIconShown() const { return IconShown; }
    int GetIcon() const { return Icon; }
    // The text the message box shows, lines separated by "\n".
    QString GetMessageText() const;

    // The minimum gap in pixels between two buttons.
    int btnspacing = 6;

    QWidget *pnl_icon = nullptr;
    QLabel *img_icon = nullptr;
    QWidget *Panel4 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QScrollArea *ScrollBox1 = nullptr;
    QWidget *Panel2 = nullptr;
    QWidget *Panel1 = nullptr;

public slots:
    // Escape: presses the cancel button, if there is one.
    void reject() override;

protected:
    // Base
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetMessage(const QString &text);
    void ShowIcon(int icon);
    void ClearButtons();
    int EstimateRowWidth(const QStringList &items) const;
    void FitWindowToMessage(const QString &message);
    void FitWindowToRow(int estimate);
    void CreateButtons(const QStringList &items, const QStringList &imageItems, int estimate);
    QPixmap ButtonImage(int index, const QString &caption, const QStringList &imageItems);
    void SetTabOrderAndDefaults();
    void FocusDefaultButtons();
    void Arrange();
    int RunModeless(int timeout);
    void ShowCountdown(int timeout);

    uint32_t StartTime = 0;
    std::vector<TCaptionItem> CaptionList;
    int Icon = fiNone;
    bool IconShown = false;
    QString Message;
    QString ShownCountdown;
    int RowBorder;
    int RowExtent = 0;
    int RowHeight = 0;
};
