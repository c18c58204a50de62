#pragma once
// Pens, brushes and fonts: plain values that the drawing objects own and the canvas draws with.
// Each has two optional notifications, raised by every property set and by Assign: one before
// the new value is stored, so an owner can keep the old state for undo, and one after.

#include "platform/colors.h"

#include <QString>
#include <cstdint>
#include <functional>

// Stored in files as these ordinals.
enum class TPenStyle : uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
enum class TBrushStyle : uint8_t {
    Solid,
    Clear,
    Horizontal,
    Vertical,
    FDiagonal,
    BDiagonal,
    Cross,
    DiagCross
};
enum class TPenMode : uint8_t {
    Black,
    White,
    Nop,
    Not,
    Copy,
    NotCopy,
    MergePenNot,
    MaskPenNot,
    MergeNotPen,
    MaskNotPen,
    Merge,
    NotMerge,
    Mask,
    NotMask,
    Xor,
    NotXor
};

class Tgraphicsobject {
public:
    std::function<void()> OnChanging; // the old value is still in place
    std::function<void()> OnChange;   // the new value is stored

protected:
    void Changing()
    {
        if (OnChanging)
            OnChanging();
    }
    void Changed()
    {
        if (OnChange)
            OnChange();
    }
};

// A pen: defaults black, solid, copy, 1 pixel wide.
class Tpen : public Tgraphicsobject {
public:
    TColor Color() const { return FColor; }
    TPenStyle Style() const { return FStyle; }
    TPenMode Mode() const { return FMode; }
    int32_t Width() const { return FWidth; }

    void SetColor(TColor c);
    void SetStyle(TPenStyle s);
    void SetMode(TPenMode m);
    void SetWidth(int32_t w);
    // Copies every property (not the notifications) and notifies once before and once after.
    void Assign(const Tpen &other);

private:
    TColor FColor = clBlack;
    TPenStyle FStyle = TPenStyle::Solid;
    TPenMode FMode = TPenMode::Copy;
    int32_t FWidth = 1;
};

// A brush: defaults white, solid.
class Tbrush : public Tgraphicsobject {
public:
    TColor Color() const { return FColor; }
    TBrushStyle Style() const { return FStyle; }

    void SetColor(TColor c);
    void SetStyle(TBrushStyle s);
    void Assign(const Tbrush &other);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = TBrushStyle::Solid;
};

enum TFontStyleBits : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

constexpr uint8_t DEFAULT_CHARSET = 1;

// A font. Height follows the system's sign convention: negative is the character height
// without internal leading, positive the cell height (ascent plus descent), 0 the default.
// The canvas reads the height in pixels of its device.
class Tfont : public Tgraphicsobject {
public:
    const QString &Name() const { return FName; }
    int32_t Height() const { return FHeight; }
    TColor Color() const { return FColor; }
    uint8_t Style() const { return FStyle; }
    uint8_t Charset() const { return FCharset; }
    int32_t PixelsPerInch() const { return FPixelsPerInch; }
    // Size in points, from the height and PixelsPerInch.
    int32_t Size() const;

    void SetName(const QString &name);
    void SetHeight(int32_t h);
    void SetColor(TColor c);
    void SetStyle(uint8_t bits);
    void SetCharset(uint8_t c);
    void SetPixelsPerInch(int32_t ppi);
    void SetSize(int32_t points);
    void Assign(const Tfont &other);
    // Whether every property is other's.
    bool SameAs(const Tfont &other) const;

private:
    QString FName = QStringLiteral("MS Sans Serif");
    int32_t FHeight = -11;
    TColor FColor = clBlack;
    uint8_t FStyle = 0;
    uint8_t FCharset = DEFAULT_CHARSET;
    int32_t FPixelsPerInch = 96;
};
