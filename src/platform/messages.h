#pragma once
// The two ways a message reaches the user: the platform's standard message box and the message
// dialog whose buttons a text describes. The layers that link no widgets reach both through hooks
// that the application installs at start-up (and tests replace with a scripted answerer).

#include <QString>
#include <cstdint>
#include <functional>
#include <limits>

enum class TMsgIcon { Error, Warning, Information, Confirmation };
enum class TMsgButtons { Ok, OkCancel, YesNoCancel };

// Dialog results.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8
};

using TMessageBoxHook = std::function<int(const QString &text, TMsgIcon icon, TMsgButtons buttons)>;

// Installs the implementation; an empty hook restores the fallback.
void SetMessageBoxHook(TMessageBoxHook hook);

// Shows text and returns the button pressed. Without a hook the text goes to standard error
// and the answer is the safe one: OK for a message, Cancel for a question.
int MessageBox(const QString &text, TMsgIcon icon, TMsgButtons buttons = TMsgButtons::Ok);

// Icon selectors of the message dialog; 0 and above name entries of the dialog's own icon list.
enum TFlexIcon : int {
    fiWarning = -5,
    fiError = -4,
    fiInformation = -3,
    fiQuestion = -2,
    fiNone = -1,
};

// ShowFlexDlg's answer to a call made while a dialog is showing.
constexpr int FlexDlgBusy = -1;
// ShowFlexDlg's answer when no window could be made; nothing was shown.
constexpr int FlexDlgNotCreated = std::numeric_limits<int32_t>::min();
// What a non-modal dialog returns once its time is up.
constexpr int FlexDlgTimedOut = mrCancel;

using TFlexDlgHook = std::function<int(const QString &title, const QString &message, const QString &buttons,
                                       const QString &buttonIcons, int icon, bool modal, int timeout)>;

// Installs the implementation; an empty hook restores the fallback.
void SetFlexDlgHook(TFlexDlgHook hook);

// Shows the message dialog: buttons describes the buttons, as in "Yes=mryes,No=mrno",
// buttonIcons the images of the buttons (empty for none), icon a TFlexIcon, timeout the
// milliseconds after which a non-modal dialog closes itself (-1 for never). Returns the pressed
// button's result. Without a hook the title and message go to standard error and the answer is
// FlexDlgNotCreated.
int ShowFlexDlg(const QString &title, const QString &message, const QString &buttons,
                const QString &buttonIcons, int icon, bool modal, int timeout);
