#include "platform/progress.h"

namespace {
Tprogressreport *&Installed()
{
    static Tprogressreport *window = nullptr;
    return window;
}
} // namespace

void SetProgressWindow(Tprogressreport *window)
{
    Installed() = window;
}

Tprogressreport *ProgressWindow()
{
    return Installed();
}
