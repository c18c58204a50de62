#include "editing/backbuffer.h"

#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "platform/canvas.h"

namespace {

// Non-empty after clipping: Right > Left and Bottom > Top.
bool HasArea(const TRect &r)
{
    return r.Right > r.Left && r.Bottom > r.Top;
}

TRect PanelRect(const TRect &viewport)
{
    return {0, 0, viewport.Right, viewport.Bottom};
}

// The dirty rectangles of the project and of its template, clipped to the panel.
Trectlist DirtyOnPanel(Tdrawlist &document, const TRect &panel)
{
    Trectlist result;
    const auto take = [&](const Trectlist &list) {
        for (int32_t i = 0; i < list.Count(); ++i) {
            const TRect r = ClipToRect(panel, list.GetRect(i));
            if (HasArea(r))
                result.AddRect(r);
        }
    };
    take(document.GetInvalidList());
    if (tlabeltemplate *t = document.GetTemplate())
        take(t->GetInvalidList());
    return result;
}

void ClearDirty(Tdrawlist &document)
{
    document.ClearInvalid();
    if (tlabeltemplate *t = document.GetTemplate())
        t->ClearInvalid();
}

} // namespace

Tbackbuffer::Tbackbuffer(Tdrawlist &document) : Document(document) {}

Trectlist Tbackbuffer::PendingPanelRects(const TRect &viewport)
{
    Trectlist result = DirtyOnPanel(Document, PanelRect(viewport));
    if (result.Count() == 0)
        ClearDirty(Document);
    return result;
}

Trectlist Tbackbuffer::Paint(const TRect &clip, const TRect &viewport, double scale)
{
    const TRect panel = PanelRect(viewport);
    Trectlist local;
    const int32_t width = std::max(panel.Right, 1);
    const int32_t height = std::max(panel.Bottom, 1);
    if (Buffer.width() != width || Buffer.height() != height) {
        // A new buffer holds nothing yet: all of it is painted.
        Buffer = QImage(width, height, QImage::Format_RGB32);
        local.AddRect(panel);
    }
    const TRect clipped = ClipToRect(panel, clip);

    local.AddList(DirtyOnPanel(Document, panel), false);
    ClearDirty(Document);
    if (local.Count() == 0 && HasArea(clipped))
        local.AddRect(clipped);
    if (local.Count() == 0)
        return local;
    // Merged as the painter would merge them, so the white fill covers exactly what is painted
    // and nothing is painted twice.
    local.MergeAll();

    Tcanvas canvas(&Buffer);
    canvas.Brush().SetColor(clWhite);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    for (int32_t i = 0; i < local.Count(); ++i)
        canvas.FillRect(local.GetRect(i));

    bool painted = true;
    if (tlabeltemplate *t = Document.GetTemplate())
        painted = t->Paint(canvas, local, {0, 0}, viewport, scale);
    if (painted)
        painted = Document.Paint(canvas, local, {0, 0}, viewport, scale);
    if (!painted) {
        // Someone is painting already (a paint inside a paint): try again on the next tick.
        for (int32_t i = 0; i < local.Count(); ++i)
            Document.GetInvalidList().AddDirty(local.GetRect(i));
        Document.Invalidate(false);
    }
    return local;
}

void Tbackbuffer::PaintWhole(const TRect &viewport, double scale, bool withDocument)
{
    const int32_t width = std::max(viewport.Right, 1);
    const int32_t height = std::max(viewport.Bottom, 1);
    if (Buffer.width() != width || Buffer.height() != height)
        Buffer = QImage(width, height, QImage::Format_RGB32);
    Tcanvas canvas(&Buffer);
    canvas.Brush().SetColor(clWhite);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    canvas.FillRect({0, 0, width, height});
    if (tlabeltemplate *t = Document.GetTemplate())
        t->PaintRect(canvas, WholeArea, {0, 0}, viewport, scale);
    if (withDocument)
        Document.PaintRect(canvas, WholeArea, {0, 0}, viewport, scale);
    // The buffer no longer holds what the panel shows.
    Document.Invalidate(true);
}
