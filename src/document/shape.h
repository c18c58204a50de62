#pragma once
// Simple figures: ellipse, rectangle, regular polygon, rounded rectangle and four straight
// lines across the bounds, with an outline pen and a fill brush that can each be switched off.
// Lines are a separate object kind without data of their own.

#include "document/drawobj.h"
#include "platform/gdiobjects.h"

#include <vector>

// The figures, by the number a file stores. A stored number past DiagonalDown is kept as it is
// and draws nothing.
enum class TShapeStyle : uint8_t {
    Ellipse = 0,
    Rectangle = 1,
    Polygon = 2,
    RoundRect = 3,
    VerticalLine = 4,
    HorizontalLine = 5,
    DiagonalUp = 6,   // top-right to bottom-left
    DiagonalDown = 7, // top-left to bottom-right
};

// The captions the tool window lists the styles under, by style value.
extern const char *const ShapeStyleCaptions[8];

// The colour pulled towards pure blue, byte by byte: how a figure shows outside the label.
TColor TintTowardsBlue(TColor c);

class Tvnlshape : public Tdrawobj {
public:
    Tvnlshape();

    TShapeStyle GetShapeStyle() const { return ShapeStyle; }
    int32_t GetSideCount() const { return SideCount; }
    double GetAngle() const { return Angle; }
    int32_t GetCurveX() const { return CurveX; }
    int32_t GetCurveY() const { return CurveY; }
    bool GetDrawOutline() const { return DrawOutline; }
    bool GetDrawFill() const { return DrawFill; }
    // The polygon's corners in screen pixels, as last computed.
    const std::vector<TPoint> &GetVertices() const { return Vertices; }
    bool AreVerticesValid() const { return VerticesValid; }

    void SetShapeStyle(TShapeStyle value);
    void SetSideCount(int32_t n);
    void SetAngle(double radians);
    void SetCurveX(int32_t value);
    void SetCurveY(int32_t value);
    void SetDrawFill(bool flag);
    void SetDrawOutline(bool flag);
    // Pen and Brush announce every change before it (so undo keeps the old values) and
    // report it after.
    void PenOrBrushChanging();
    void PenOrBrushChanged();

    // Base
    bool KeepsAspect() const override;
    void ResetCaches() override { VerticesValid = false; }
    bool CanCopy() const override { return true; }
    bool CanPaste() const override;
    void PasteFromClipboard(int32_t format) override;
    void CopyToClipboard(int32_t format) override;
    void SetBounds(const TRect &rect) override;
    void SetView(const TRect &viewport, double scale) override;
    void DrawDraft(Tcanvas &canvas, const TRect &clip, const TRect &viewport, double scale) override;
    void Draw(Tcanvas &canvas, const TRect &clip, bool output, const TRect &viewport, double scale) override;
    void DrawOverhang(Tcanvas &canvas, const TRect &clip, const TRect &labelRect, const TRect &viewport,
                      double scale) override;
    void WriteToStream(QIODevice &stream) const override;
    void ReadFromStream(QIODevice &stream) override;
    uint8_t GetTypeCode() const override { return 1; }

    Tbrush Brush;
    Tpen Pen;

private:
    // The canvas pen and brush for drawing: taken from Pen and Brush, the width scaled to the
    // view, the outline and fill switched as DrawOutline and DrawFill say.
    void PreparePenAndBrush(Tcanvas &canvas, bool output) const;
    int32_t ScreenPenWidth() const;
    void DrawFigure(Tcanvas &canvas);
    void ComputeVertices(int32_t penWidth);

    TShapeStyle ShapeStyle = TShapeStyle::Ellipse;
    bool VerticesValid = false;
    std::vector<TPoint> Vertices;
    double Angle = 0.0;
    int32_t CurveX = 10;
    int32_t CurveY = 10;
    int32_t SideCount = 6;
    bool DrawOutline = false;
    bool DrawFill = false;
};

// A straight line object. It carries nothing beyond the base record and draws as the
// placeholder.
class Tvnlline : public Tdrawobj {
public:
    uint8_t GetTypeCode() const override { return 5; }
};
