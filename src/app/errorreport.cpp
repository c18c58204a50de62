#include "app/errorreport.h"

#include "platform/errors.h"
#include "platform/messages.h"

void ShowErrorReport(const std::exception &e)
{
    MessageBox(ErrorReportText(e), TMsgIcon::Error);
}
