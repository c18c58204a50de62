#pragma once
// The platform's standard message box on QMessageBox: an error, warning, information or
// confirmation icon with OK, OK and Cancel, or Yes, No and Cancel. main() installs it as the hook.

#include "platform/messages.h"

#include <QString>

// The box's title for each icon: "Error", "Warning", "Information", "Confirm".
QString MessageBoxTitle(TMsgIcon icon);

// Shows the box modally and returns mrOk, mrCancel, mrYes or mrNo; Escape and closing the window
// give Cancel where there is one, else OK.
int ShowMessageBox(const QString &text, TMsgIcon icon, TMsgButtons buttons);
