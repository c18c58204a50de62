#include "labelertest.h"

#include "document/drawlist.h"
#include "document/shape.h"

#include <gmock/gmock.h>

TMemorySettings::TMemorySettings()
{
    SetRootBackend(HKEY_CURRENT_USER, Backend);
    EXPECT_TRUE(Store.OpenKey(QString::fromLatin1(SettingsKeyPath), true));
}

TMemorySettings::~TMemorySettings()
{
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

TEditor::TEditor(const QStringList &arguments)
    : Labeler(Host, Settings.Store, ParseCommandLine(arguments), QStringLiteral("1.2"))
{
    Labeler.ConnectToolbox(&Toolbox, nullptr);
    View().PanelResized(PanelWidth, PanelHeight);
    View().SetZoom(1.0);
    View().UpdateScrollBars();
    // The label's corner (10000, 10000 in world pixels) 100 pixels in from the panel's corner.
    View().SetScrollPosition(false, 9900);
    View().SetScrollPosition(true, 9900);
    Input().SelectTool(TTool::Select);
}

TPoint TEditor::At(int32_t docX, int32_t docY)
{
    const TRect &v = View().GetViewport();
    return {DocToPixel(docX, v.Left, View().GetScale()), DocToPixel(docY, v.Top, View().GetScale())};
}

Tdrawobj *TEditor::AddShape(const TRect &bounds)
{
    auto shape = std::make_unique<Tvnlshape>();
    Tdrawobj *raw = shape.get();
    Doc().AddObject(std::move(shape));
    raw->SetBounds(bounds);
    raw->SetView(View().GetViewport(), View().GetScale());
    // Set-up is not part of what a test undoes.
    Doc().CloseUndoGroup();
    return raw;
}

void TEditor::Drag(const TPoint &from, const TPoint &to, int moves, bool shift, bool ctrl)
{
    Input().MouseDown(TMouseButton::Left, from, ctrl, shift);
    for (int i = 1; i <= moves; ++i)
        Input().MouseMove({from.X + (to.X - from.X) * i / moves, from.Y + (to.Y - from.Y) * i / moves}, ctrl,
                          shift);
    Input().MouseUp(TMouseButton::Left, to, ctrl, shift);
}

void TEditor::Click(const TPoint &p, bool ctrl)
{
    Input().MouseDown(TMouseButton::Left, p, ctrl, false);
    Input().MouseUp(TMouseButton::Left, p, ctrl, false);
}
