#include "platform/messages.h"

#include <cstdio>

namespace {
TMessageBoxHook &Hook()
{
    static TMessageBoxHook hook;
    return hook;
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
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    return buttons == TMsgButtons::Ok ? mrOk : mrCancel;
}
