// Painting a document and keeping its dirty rectangles: objects bottom to top for each dirty
// rectangle, draft decisions for slow objects, the editing decorations and the thumbnail.

#include "codecs/png.h"
#include "document/drawlist.h"
#include "document/fields.h"
#include "document/globals.h"
#include "document/labeltemplate.h"
#include "platform/canvas.h"
#include "platform/rnd.h"
#include "platform/scopedvalue.h"
#include "platform/textlayout.h"
#include "platform/threadtimer.h"
#include "platform/tickcount.h"

#include <QBuffer>
#include <algorithm>
#include <limits>

namespace {
constexpr int32_t DraftTimerInterval = 750;
// An object whose own drawing has taken this long in total falls back to draft drawing.
constexpr int32_t DraftTimeLimit = 100;

const QString UsageHint = QStringLiteral("Click the buttons at the top of the screen to add text, shapes and "
                                         "images. Use the tool window to edit them.");
constexpr uint32_t HintFormat = DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
// The edge of a label without a template, on screen.
const TColor EmptyLabelOutline = RGB(160, 160, 160);

TRect Offset(const TRect &r, const TPoint &by)
{
    return {SaturatedAdd(r.Left, by.X), SaturatedAdd(r.Top, by.Y), SaturatedAdd(r.Right, by.X),
            SaturatedAdd(r.Bottom, by.Y)};
}

// Eight marks continuing the rectangle's edges outward from its corners, from near to far.
void DrawCropMarks(Tcanvas &canvas, const TRect &rect, int32_t nearDist, int32_t farDist)
{
    canvas.Pen().SetColor(clBlack);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetStyle(TPenStyle::Solid);
    const auto line = [&](int x1, int y1, int x2, int y2) {
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    const auto [l, t, r, b] = rect;
    line(l - farDist, t, l - nearDist, t);
    line(l, t - nearDist, l, t - farDist);
    line(r + farDist, t, r + nearDist, t);
    line(r, t - nearDist, r, t - farDist);
    line(l - farDist, b, l - nearDist, b);
    line(l, b + nearDist, l, b + farDist);
    line(r + farDist, b, r + nearDist, b);
    line(r, b + nearDist, r, b + farDist);
}
} // namespace

void Tdrawlist::Invalidate(bool all)
{
    // Once the whole area is dirty, nothing more is added.
    if (all && !InvalidList.Covers(WholeArea))
        InvalidList.AddRect(WholeArea);
    if (OnChange)
        OnChange(this);
    LabelCache.SetSize(0, 0);
}

void Tdrawlist::InvalidateRects(Trectlist &list)
{
    if (QuietDraftChanges)
        return;
    for (int32_t i = 0; i < list.Count(); ++i)
        InvalidList.AddDirty(list.GetRect(i));
    Invalidate(false);
}

double Tdrawlist::FitScale(const TRect &viewport) const
{
    const int32_t width = LabelRect.Right - LabelRect.Left;
    if (width == 0)
        return 0.1;
    return double(viewport.Right) / width;
}

TRect Tdrawlist::LabelScreenRect(const TRect &viewport, double scale) const
{
    const TRect grown = GrowRect(LabelRect, rnd(UnitsPerInchX() / 16));
    return {DocToPixel(grown.Left, viewport.Left, scale), DocToPixel(grown.Top, viewport.Top, scale),
            DocToPixel(grown.Right, viewport.Left, scale), DocToPixel(grown.Bottom, viewport.Top, scale)};
}

int32_t Tdrawlist::ExtentRight() const
{
    int32_t extent = DocToPixel(LabelRect.Right, 0, LastScale);
    for (const auto &o : Objects)
        extent = std::max(extent, DocToPixel(o->Bounds.Right, 0, LastScale));
    return extent;
}

int32_t Tdrawlist::ExtentBottom() const
{
    int32_t extent = DocToPixel(LabelRect.Bottom, 0, LastScale);
    for (const auto &o : Objects)
        extent = std::max(extent, DocToPixel(o->Bounds.Bottom, 0, LastScale));
    return extent;
}

int32_t Tdrawlist::ExtentLeft() const
{
    int32_t extent = DocToPixel(LabelRect.Left, 0, LastScale);
    for (const auto &o : Objects)
        extent = std::min(extent, DocToPixel(o->Bounds.Left, 0, LastScale));
    return std::max(extent, 0);
}

int32_t Tdrawlist::ExtentTop() const
{
    int32_t extent = DocToPixel(LabelRect.Top, 0, LastScale);
    for (const auto &o : Objects)
        extent = std::min(extent, DocToPixel(o->Bounds.Top, 0, LastScale));
    return std::max(extent, 0);
}

void Tdrawlist::StartDraftTiming(int32_t budget)
{
    DraftBudget = budget;
    PaintStart = static_cast<int32_t>(GetTickCount());
    DraftActive = false;
    Invalidate(true);
}

bool Tdrawlist::DraftTimerEnabled() const
{
    return DraftTimer && DraftTimer->Enabled();
}

void Tdrawlist::DraftTimerTick()
{
    DraftTimer->SetEnabled(false);
    SetDraftAll(false);
    Invalidate(true);
}

bool Tdrawlist::PaintRect(Tcanvas &canvas, const TRect &rect, const TPoint &offset, const TRect &viewport,
                          double scale)
{
    Trectlist dirty;
    dirty.AddRect(rect);
    return Paint(canvas, dirty, offset, viewport, scale);
}

bool Tdrawlist::Paint(Tcanvas &canvas, Trectlist &dirty, const TPoint &offset, TRect viewport, double scale)
{
    if (Painting)
        return false;
    Painting = true;
    // Restored on every way out, also when drawing an object fails.
    const TScopeEnd paintEnd([this] {
        if (DraftAll && !DraftTimerEnabled()) {
            if (!DraftTimer) {
                DraftTimer = std::make_unique<Tthreadtimer>();
                DraftTimer->SetInterval(DraftTimerInterval);
                DraftTimer->SetOnTimer([this](Tthreadtimer *) { DraftTimerTick(); });
            }
            DraftTimer->SetEnabled(true);
        }
        Painting = false;
    });
    // For output the label's own top-left becomes pixel (0, 0).
    const TScopedValue<TPoint> origin(OutputOrigin,
                                      OutputMode ? TPoint{LabelRect.Left, LabelRect.Top} : TPoint{});
    const TScopedValue<const TFieldValues *> fill(FieldFill, Fill);
    PaintStart = static_cast<int32_t>(GetTickCount());
    if (scale == -1)
        scale = FitScale(viewport);
    LastScale = scale;
    if (scale == -1)
        scale = 1.0;
    viewport.Left -= offset.X;
    viewport.Top -= offset.Y;
    const TRect labelScreen = LabelScreenRect(viewport, scale);
    // The panel the canvas shows (the viewport's Right and Bottom are its width and height).
    const TRect panel{offset.X, offset.Y, SaturatedAdd(offset.X, viewport.Right),
                      SaturatedAdd(offset.Y, viewport.Bottom)};

    canvas.Brush().SetColor(clWhite);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    if (!OutputMode) {
        const int32_t centre = labelScreen.Right - (labelScreen.Right - labelScreen.Left) / 2;
        TRect box{centre - 100, labelScreen.Bottom + 30, centre + 100, labelScreen.Bottom + 300};
        canvas.DrawLayout(canvas.CachedLayout(HintLayout, UsageHint, box.Width(), HintFormat), box,
                          HintFormat);
    }
    canvas.Font().SetColor(clBlack);

    dirty.MergeOverlaps();
    const bool unclippedByLabel = OutputMode || AsTemplate() != nullptr;
    const bool showOverhang = ShowOverhang && !OutputMode && Template && !Template->GetFileName().isEmpty();
    for (int32_t i = 0; i < dirty.Count(); ++i) {
        const TRect clip = Offset(dirty.GetRect(i), offset);
        canvas.SetClipRect(clip);
        for (auto &owned : Objects) {
            Tdrawobj &o = *owned;
            o.SetView(viewport, scale);
            const TRect objClip = unclippedByLabel ? clip : ClipToRect(labelScreen, clip);
            canvas.Brush().SetColor(clWhite);
            canvas.Brush().SetStyle(TBrushStyle::Solid);
            canvas.Font().SetColor(clBlack);
            const TRect screen = o.GetScreenRect();
            const bool touches = RectsTouch(clip, screen);
            // While every object draws in draft (a zoom), an object whose every part on the panel
            // lies in this rectangle is painted whole in the form the next paint would give it
            // too: what its draft changes would report is up to date already.
            const bool paintedWhole =
                touches && DraftAll && !OutputMode && RectWithin(ClipToRect(panel, screen), clip);
            if (touches) {
                {
                    const TScopedValue<bool> quiet(QuietDraftChanges, paintedWhole);
                    o.SetDraft((o.Draft || DraftAll) && !OutputMode);
                }
                if (o.Draft) {
                    o.DrawDraft(canvas, o.GetScreenRect(), viewport, scale);
                } else {
                    // On screen a project's objects show only on the label (grown by 1/16
                    // inch); what lies outside is shown by the overhang pass.
                    if (objClip != clip)
                        canvas.SetClipRect(objClip);
                    o.Draw(canvas, objClip, OutputMode, viewport, scale);
                    if (objClip != clip)
                        canvas.SetClipRect(clip);
                }
                if (DraftActive && o.DrawTime > DraftBudget)
                    o.DraftTime += o.DrawTime;
                else
                    o.DraftTime = 0;
            }
            if (showOverhang && RectsTouch(clip, o.GetScreenRect()) && !o.Draft) {
                canvas.SetClipRect(clip);
                canvas.ExcludeClipRect(labelScreen);
                o.DrawOverhang(canvas, clip, LabelRect, viewport, scale);
                canvas.SetClipRect(clip);
            }
            const TScopedValue<bool> quiet(QuietDraftChanges, paintedWhole);
            o.SetDraft(DraftActive && o.DrawTime > DraftBudget && o.DraftTime >= DraftTimeLimit);
        }
        canvas.RemoveClip();
    }

    if (!OutputMode)
        for (auto &o : Objects)
            if (o->Selected)
                o->DrawSelection(canvas, Tool);
    if (ShowScreenMarks && !OutputMode)
        for (auto &o : Objects)
            o->DrawScreenMarks(canvas);
    if (ShowLabelSize && Template && !OutputMode)
        DrawLabelSize(canvas, viewport, scale, Template->GetFileName().isEmpty());
    canvas.Brush().SetColor(clWhite);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    if (GetTickCount() - static_cast<uint32_t>(PaintStart) > static_cast<uint32_t>(DraftBudget) &&
        DraftBudget > 0)
        DraftActive = true;
    return true;
}

void Tdrawlist::DrawLabelSize(Tcanvas &canvas, const TRect &viewport, double scale, bool outline)
{
    const TRect label{LabelRect.Left - OutputOrigin.X, LabelRect.Top - OutputOrigin.Y,
                      LabelRect.Right - OutputOrigin.X, LabelRect.Bottom - OutputOrigin.Y};
    const TRect r{DocToPixel(label.Left, viewport.Left, scale), DocToPixel(label.Top, viewport.Top, scale),
                  DocToPixel(label.Right, viewport.Left, scale),
                  DocToPixel(label.Bottom, viewport.Top, scale)};
    const int32_t sixteenth = DocToPixel(rnd(UnitsPerInchX() * 0.0625), 0, scale);
    if (outline) {
        // A label without a template has no frame of its own: its edge shows where to draw.
        canvas.Brush().SetStyle(TBrushStyle::Solid);
        canvas.Brush().SetColor(EmptyLabelOutline);
        canvas.FrameRect({r.Left, r.Top, r.Right + 1, r.Bottom + 1});
    }
    DrawCropMarks(canvas, r, 0, sixteenth + 20);
    DrawCropMarks(canvas, GrowRect(r, sixteenth), 0, 20);
    canvas.Brush().SetColor(clWhite);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    canvas.Font().SetColor(clBlack);
    const QString size = QString::asprintf("%.2fin,%.2fin", LabelWidth, LabelHeight);
    canvas.TextOut(r.Right + sixteenth + 2, r.Bottom + sixteenth + 2, size);
}

void Tdrawlist::MakeThumbnail()
{
    ThumbnailStream.buffer().clear();
    ThumbnailStream.seek(0);
    // A label without width has no thumbnail: the pixels per inch would divide by zero.
    if (!(LabelWidth > 0)) {
        ClearThumbnail();
        return;
    }
    const int32_t width = ThumbnailWidth;
    // A label more than MaxThumbnailAspect times as tall as wide (a damaged template's spot
    // 0.001 inch wide and 100 high) shows its top part, not a picture of millions of rows.
    const int32_t height =
        rnd(std::min(LabelHeight / LabelWidth, double(MaxThumbnailAspect)) * std::max(width, 0));
    QImage bitmap(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    if (bitmap.isNull()) {
        ClearThumbnail();
        return;
    }
    bitmap.fill(Qt::white);
    {
        Tcanvas canvas(&bitmap);
        const double pixelsPerInch = width / LabelWidth;
        const TRect view{0, 0, rnd(LabelWidth * pixelsPerInch), rnd(LabelHeight * pixelsPerInch)};
        const TScopedValue<bool> output(OutputMode, true);
        // The file's picture shows the label as stored, its fields as written.
        const TScopedValue<const TFieldValues *> asWritten(Fill, nullptr);
        if (Template) {
            const TScopedValue<bool> templateOutput(Template->OutputMode, true);
            Template->PaintRect(canvas, WholeArea, {}, view, -1);
        }
        PaintRect(canvas, WholeArea, {}, view, -1);
        // A template shows what a new label made from it starts as: its starter objects over
        // its background.
        if (tlabeltemplate *own = AsTemplate()) {
            const TScopedValue<bool> starterOutput(own->StarterObjects.OutputMode, true);
            own->StarterObjects.PaintRect(canvas, WholeArea, {}, view, LastScale);
        }
    }
    ThumbnailBitmap = bitmap;
    ThumbnailStream.buffer() = EncodePng(bitmap);
    ThumbnailStream.seek(0);
}

const QImage &Tdrawlist::GetThumbnail()
{
    ThumbnailStream.seek(0);
    const QByteArray &bytes = ThumbnailStream.buffer();
    if (bytes.isEmpty()) {
        ClearThumbnail();
        return ThumbnailBitmap;
    }
    ThumbnailBitmap = DecodePng(bytes);
    return ThumbnailBitmap;
}
