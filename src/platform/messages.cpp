#include "platform/messages.h"

#include <cstdio>

namespace {
TMessageBoxHook &Hook()
{
    static TMessageBoxHook hook;
    return hook;
}

TFlexDlgHook &FlexHook()
{
    static TFlexDlgHook hook;
    return hook;
}

void PrintMessage(const QString &text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    std::fprintf(stderr, "%s\n", lines.toLocal8Bit().constData());
}
} // namespace

void SetMessageBoxHook(TMessageBoxHook hook)
{
    Hook() = std::move(hook);
}

int MessageBox(const QString &text, TMsgIcon icon, TMsgButtons buttons)
{
    if (Hook())
        return Hook()(text, icon, buttons);
    PrintMessage(text);
    return buttons == TMsgButtons::Ok ? mrOk : mrCancel;
}

void SetFlexDlgHook(TFlexDlgHook hook)
{
    FlexHook() = std::move(hook);
}

int ShowFlexDlg(const QString &title, const QString &message, const QString &buttons,
                const QString &buttonIcons, int icon, bool modal, int timeout)
{
    if (FlexHook())
        return FlexHook()(title, message, buttons, buttonIcons, icon, modal, timeout);
    PrintMessage(title + QLatin1Char('\n') + message);
    return FlexDlgNotCreated;
}
