#pragma once
// A code on the label: a bar code or a matrix code of one of the symbologies the encoder offers,
// drawn from its vector description, never from a scaled bitmap. Where a module is a pixel or
// more, its width is a whole number of pixels of the target (the code shrinks rather than blurs),
// so every module edge falls on a device pixel on screen, in print and in PDF. Data that does not
// encode shows as a crossed box with the reason on screen and is never printed.

#include "document/codesymbol.h"
#include "document/drawobj.h"
#include "platform/colors.h"

#include <QImage>
#include <optional>

class Tcanvas;

// Where a symbol lies in a box of pixels: the size of a module, the top-left of the symbol,
// and, for a linear code, how far its bars reach (they fill the height the text leaves).
struct TCodePlacement {
    double Module = 0;    // pixels per module
    bool Snapped = false; // Module is a whole number of pixels
    double Left = 0, Top = 0;
    double BarsHeight = 0;        // pixels the bar zone covers
    double Width = 0, Height = 0; // the whole symbol with its quiet zones, in pixels

    // A length in modules down from the symbol's top, in pixels from the box's top.
    double Y(double modules, const TCodeVector &v) const;
    double X(double modules) const { return Left + modules * Module; }
};

// The placement of a symbol in box: a matrix code as large as fits, square modules, centred; a
// linear code as wide as fits, centred across, its bars down to where its text zone leaves the
// box's bottom. For output a module of a pixel or more is snapped to whole pixels (the code
// shrinks); on screen too, unless that would shrink it below ScreenSnapShare of its size, when
// it is drawn as it falls, its edges on the nearest pixels, so that it shows its real size.
constexpr double ScreenSnapShare = 0.85;
TCodePlacement PlaceCode(const TCodeVector &vector, bool linear, const TRect &box, bool output);

// Draws the symbol placed in its box in one colour; its text in the symbology's font.
void DrawCodeVector(Tcanvas &canvas, const TCodeVector &vector, const TCodePlacement &place, TColor color,
                    uint8_t symbology);

// The share of its nominal size below which a retail code gets a warning.
constexpr double SmallestMagnification = 0.8;

class Tvnlcode : public Tdrawobj {
public:
    Tvnlcode();

    const TCodeSpec &GetSpec() const { return Spec; }
    TColor GetColor() const { return Color; }

    // Each announces a change of its own (one undo step) unless the value is the one held.
    void SetSymbology(uint8_t symbology);
    void SetData(const QString &data);
    void SetQrLevel(uint8_t level);
    void SetShowText(bool show);
    void SetColor(TColor color);

    // The encoder's answer for what the code holds, kept until that changes; while a paint
    // fills fields (FieldFill), for the data filled.
    const TCodeResult &Encoded() const;
    // The symbology's facts, or nullptr for one this program does not know.
    const TSymbologyInfo *Info() const { return SymbologyInfo(Spec.Symbology); }
    // The module's width in thousandths of an inch at the code's size; 0 without a symbol.
    double ModuleSize() const;
    // The module's width as a share of the symbology's nominal one; 0 where there is none.
    double Magnification() const;
    // What the tool window warns of although the code prints: a retail code below 80 % of its
    // nominal size. Empty when there is nothing to say.
    QString SizeWarning() const;
    // The symbol on white at modulePixels a module, for other programs; null without a symbol.
    QImage RenderImage(int32_t modulePixels) const;

    // Base
    QString PrintProblem() const override;
    QStringList Fields() const override;
    int32_t FileVersionNeeded() const override;
    TPoint GetDefaultSize(int32_t labelWidth) const override;
    void ResetAspect() override;
    void ResetCaches() override
    {
        Encoding.reset();
        FilledEncoding.reset();
    }
    bool CanCopy() const override { return true; }
    bool CanPaste() const override;
    // The copied code's whole record, its bounds included.
    void PasteFromClipboard(int32_t format) override;
    // The code for this program, its data as text and its symbol as an image for others.
    void CopyToClipboard(int32_t format) override;
    void DrawDraft(Tcanvas &canvas, const TRect &clip, const TRect &viewport, double scale) override;
    void Draw(Tcanvas &canvas, const TRect &clip, bool output, const TRect &viewport, double scale) override;
    void DrawOverhang(Tcanvas &canvas, const TRect &clip, const TRect &labelRect, const TRect &viewport,
                      double scale) override;
    void WriteToStream(QIODevice &stream) const override;
    void ReadFromStream(QIODevice &stream) override;
    uint8_t GetTypeCode() const override { return otCode; }

private:
    void Paint(Tcanvas &canvas, bool output, TColor color);
    // The crossed box with the reason, on screen only.
    void DrawRefusal(Tcanvas &canvas, const QString &reason);
    void Announce(const char *what);

    TCodeSpec Spec;
    TColor Color = clBlack;
    // Option bits as the record holds them (bit 0: the human-readable text), unknown ones kept.
    uint8_t Flags = 1;
    mutable std::optional<TCodeResult> Encoding;
    mutable std::optional<TCodeResult> FilledEncoding;
    mutable QString FilledData;
};
