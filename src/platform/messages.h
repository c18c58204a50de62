#pragma once
// The platform's standard message box, reached by the layers that link no widgets through a
// hook that the application installs at start-up (and tests replace with a scripted answerer).

#include <QString>
#include <functional>

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
    mrNo = 7
};

using TMessageBoxHook = std::function<int(const QString &text, TMsgIcon icon, TMsgButtons buttons)>;

// Installs the implementation; an empty hook restores the fallback.
void SetMessageBoxHook(TMessageBoxHook hook);

// Shows text and returns the button pressed. Without a hook the text goes to standard error
// and the answer is the safe one: OK for a message, Cancel for a question.
int MessageBox(const QString &text, TMsgIcon icon, TMsgButtons buttons = TMsgButtons::Ok);
