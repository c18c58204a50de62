#pragma once
// The editor window's logic without a window, for benchmarks: a host that shows nothing, a
// settings store in memory, and the labeler over a 1280 x 900 panel at zoom 1.

#include "document/drawlist.h"
#include "editing/labeler.h"
#include "editing/labelerhost.h"
#include "settings/formplacement.h"
#include "settings/registry.h"

#include <memory>

constexpr int32_t PanelWidth = 1280;
constexpr int32_t PanelHeight = 900;

class TNoWindow : public Tplacementtarget {
public:
    QString Name() const override { return QStringLiteral("frm_labeler"); }
    QString OwnerName() const override { return QString(); }
    bool IsForm() const override { return true; }
    TWindowState GetWindowState() const override { return wsNormal; }
    void SetWindowState(TWindowState) override {}
    TRect GetBounds() const override { return {0, 0, 1300, 1000}; }
    void SetBounds(const TRect &) override {}
};

// The window's part done by nobody: what the logic measures is the logic and the painting.
class TNoHost : public Tlabelerhost {
public:
    void ViewportChanged(const TRect &) override {}
    void ScrollBarsChanged(const TScrollBarState &, const TScrollBarState &) override {}
    void RequestRepaint() override {}
    void SetCanvasCursor(TCanvasCursor) override {}
    void TextEditorChanged(const TTextEditorState &) override {}
    void FocusTextEditor() override {}
    void FocusCanvas() override {}
    void ShowContextMenu(const TPoint &) override {}
    void ToolButtonsChanged(TTool) override {}
    void SetCaption(const QString &) override {}
    void SetTemplateActionsVisible(bool) override {}
    void SetButtonCaptions(bool) override {}
    Tplacementtarget &MainPlacement() override { return Window; }
    bool IsEnding() const override { return false; }
    void ShowStartupDialog(const QString &) override {}

    TNoWindow Window;
};

// The editor's logic on an empty 4 x 3.5 inch label. ShowLabel puts the view at zoom 1 with the
// label in the middle of the panel and paints the panel whole.
struct TEditorHarness {
    TEditorHarness()
    {
        SetRootBackend(HKEY_CURRENT_USER, Backend);
        Store.OpenKey(QString::fromLatin1(SettingsKeyPath), true);
        Labeler = std::make_unique<Tlabeler>(Host, Store, TCommandLine{}, QStringLiteral("1.0"));
    }
    ~TEditorHarness()
    {
        Labeler.reset();
        SetRootBackend(HKEY_CURRENT_USER, nullptr);
    }
    TEditorHarness(const TEditorHarness &) = delete;
    TEditorHarness &operator=(const TEditorHarness &) = delete;

    void ShowLabel()
    {
        Tlabelview &view = Labeler->View();
        view.PanelResized(PanelWidth, PanelHeight);
        view.SetZoom(1.0);
        view.CenterScreen();
        PaintAll();
    }
    // A document point as a panel point under the current view.
    TPoint At(int32_t x, int32_t y)
    {
        const TRect &v = Labeler->View().GetViewport();
        const double scale = Labeler->View().GetScale();
        return {DocToPixel(x, v.Left, scale), DocToPixel(y, v.Top, scale)};
    }
    void PaintAll() { Labeler->PaintCanvas({0, 0, PanelWidth, PanelHeight}); }

    std::shared_ptr<Tmemorybackend> Backend = std::make_shared<Tmemorybackend>();
    Tregistryex Store;
    TNoHost Host;
    std::unique_ptr<Tlabeler> Labeler;
};
