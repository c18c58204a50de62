// The sheet drawing: every spot of a template filled with the label rendered once at the
// sheet's scale, marked spots under a tint, and the tint itself.

#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "platform/canvas.h"
#include "platform/rnd.h"
#include "platform/scopedvalue.h"

#include <QRandomGenerator>
#include <algorithm>
#include <limits>

namespace {
// The lightest half of each channel, so that spots stay pale behind their outlines.
constexpr int LightChannelBase = 128;
constexpr int LightChannelRange = 128;

// Red, green and blue drawn in that order.
TColor RandomLightColor()
{
    QRandomGenerator &random = *QRandomGenerator::global();
    const int red = LightChannelBase + int(random.bounded(LightChannelRange));
    const int green = LightChannelBase + int(random.bounded(LightChannelRange));
    const int blue = LightChannelBase + int(random.bounded(LightChannelRange));
    return TColor(red + green * 256 + blue * 65536);
}

// The spot's place on the canvas: its edges on the sheet at scale, moved by origin.
TRect SpotRect(const Tlabelgeometry &spot, const TPoint &origin, double scale)
{
    return {SaturatedAdd(rnd(spot.SpotLeft * scale), origin.X),
            SaturatedAdd(rnd(spot.SpotTop * scale), origin.Y),
            SaturatedAdd(rnd((spot.SpotLeft + spot.SpotWidth) * scale), origin.X),
            SaturatedAdd(rnd((spot.SpotTop + spot.SpotHeight) * scale), origin.Y)};
}

// The label at w by h pixels into LabelCache, in output mode (put back on every way out):
// the document's own objects over white. Drawn into a bitmap of its own and handed over when
// done: an object drawn for the first time reports its pending change, and the document's
// invalidation then empties LabelCache in the middle of the paint.
bool RenderLabel(Tdrawlist &document, Talphabitmap &labelCache, Talphabitmap &sheetCache, int32_t w,
                 int32_t h)
{
    Talphabitmap label;
    label.SetSize(w, h);
    label.Fill(0xFFFFFFFFu);
    sheetCache.SetSize(w, h);
    bool painted = false;
    {
        const TScopedValue<bool> output(document.OutputMode, true);
        const TRect whole{0, 0, w, h};
        painted = document.PaintRect(label.Canvas(), whole, {}, whole, -1);
    }
    label.Canvas().Unbind();
    labelCache.Assign(label.GetImage());
    return painted;
}
} // namespace

void Tdrawlist::TintRect(Tcanvas &canvas, const TRect &rect, uint32_t tint)
{
    if (tint == 0 || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    const TColor color = tint & 0x00FFFFFFu;
    const uint8_t alpha = uint8_t(tint >> 24);
    Talphabitmap scratch;
    scratch.SetSize(rect.Width(), rect.Height());
    scratch.Fill(0xFF000000u | (uint32_t(GetRValue(color)) << 16) | (uint32_t(GetGValue(color)) << 8) |
                 GetBValue(color));
    canvas.AlphaBlend(rect, scratch.GetImage(), scratch.ClientRect(), alpha, false);
}

bool PaintSheet(Tdrawlist &document, const TPoint &origin, bool outlines, uint32_t tint, Tcanvas &canvas,
                double scale)
{
    tlabeltemplate *own = document.AsTemplate();
    tlabeltemplate *source = own ? own : document.GetTemplate();
    if (!source)
        return false;
    Tlabelgeometrylist &spots = source->Geometry;

    const int32_t w = rnd(document.GetLabelWidth() * scale);
    const int32_t h = rnd(document.GetLabelHeight() * scale);
    const bool rendered = RenderLabel(document, document.LabelCache, document.SheetCache, w, h);

    // The marked look: the label under the tint.
    Talphabitmap &marked = document.SheetCache;
    marked.Canvas().Draw(0, 0, document.LabelCache.GetImage());
    Tdrawlist::TintRect(marked.Canvas(), marked.ClientRect(), tint);

    for (int32_t i = 0; i < spots.Count(); ++i) {
        Tlabelgeometry &spot = *spots.GetSpot(i);
        if (spot.SpotColor == 0)
            spot.SpotColor = RandomLightColor();
        canvas.Brush().SetColor(spot.SpotColor);
        canvas.Brush().SetStyle(TBrushStyle::Solid);
        const TRect r = SpotRect(spot, origin, scale);
        if (outlines)
            canvas.Rectangle(r);
        const Talphabitmap &label = spot.Marked ? marked : document.LabelCache;
        canvas.CopyRect(r, label.GetImage(), label.ClientRect());
    }
    return rendered;
}
