#pragma once
// A text box: a word-wrapped text in one font, aligned three ways across and three ways down
// inside its bounds. While its text is empty it shows a prompt on screen, never on paper.

#include "document/alphabitmap.h"
#include "document/drawobj.h"
#include "platform/gdiobjects.h"
#include "platform/textlayout.h"

#include <memory>

// The alignments across and down, by the numbers a file stores. A stored number the box does not
// know is kept as it is: across it reads as left, down it keeps the text where it last stood.
enum class THorizontalAlign : uint8_t { Left = 0, Right = 1, Centre = 2 };
enum class TVerticalAlign : uint8_t { Top = 0, Middle = 1, Bottom = 2 };

// The prompt an empty box shows when it has none of its own.
extern const QString DefaultTextPrompt;
// The side of the overset mark in screen pixels, and its colour.
constexpr int32_t OversetMarkSize = 11;
constexpr TColor OversetMarkColor = 0x000000E0; // red

class Tvnltext : public Tdrawobj {
public:
    Tvnltext();

    const QString &GetText() const { return Text; }
    const QString &GetPlaceholderText() const { return PlaceholderText; }
    THorizontalAlign GetHAlign() const { return HAlign; }
    TVerticalAlign GetVAlign() const { return VAlign; }
    int32_t GetTextHeight() const { return TextHeight; }
    int32_t GetTextOffset() const { return TextOffset; }

    void SetText(const QString &s);
    // The prompt; a text that does not begin with an asterisk is put between asterisks.
    void SetPlaceholderText(const QString &s);
    // Stored only: they announce nothing and do not repaint.
    void SetHAlign(THorizontalAlign value) { HAlign = value; }
    void SetVAlign(TVerticalAlign value) { VAlign = value; }
    // Font announces every change before it, so undo keeps the old font. It does not repaint:
    // whoever changes the font repaints the text afterwards.
    void FontChanging();

    bool IsShowingPlaceholder() const;
    THorizontalAlign EffectiveHAlign() const;
    TVerticalAlign EffectiveVAlign() const;
    QString DisplayText() const;
    // The canvas font for drawing under the current view.
    void ApplyFont(Tcanvas &canvas) const;
    // The font the text is drawn in at the current view, for an edit box laid over it.
    Tfont GetScaledFont();
    // The point lies on the text's lines rather than elsewhere in the box.
    bool TextAreaContains(const TPoint &p);
    // What the last paint on screen found: the lines with text that did not fit above the box
    // bottom and were cut (0 when the whole text shows), and the height the whole text needs,
    // past the box bottom too, in pixels.
    int32_t GetHiddenLines() const { return HiddenLines; }
    int32_t GetFullTextHeight() const { return FullTextHeight; }
    // The same measurement for paper, at scale pixels per document unit, whatever the screen
    // last showed: the lines with text cut at the box bottom (0 for an empty box, which prints
    // nothing). Changes nothing the screen shows.
    int32_t HiddenLinesAt(double scale);
    // The overset mark: a small square with a plus over the box's bottom-right corner, the same
    // size at every zoom, shown on screen while text is cut.
    TRect OversetMarkRect() const;

    // Base
    void DrawSelection(Tcanvas &canvas, TTool tool) override;
    void DrawScreenMarks(Tcanvas &canvas) override;
    TRect GetInvalidRect() const override;
    QStringList Fields() const override;
    bool CanCopy() const override { return true; }
    bool CanPaste() const override;
    // Replaces the whole text with the clipboard's.
    void PasteFromClipboard(int32_t format) override;
    void CopyToClipboard(int32_t format) override;
    void DrawDraft(Tcanvas &canvas, const TRect &clip, const TRect &viewport, double scale) override;
    void Draw(Tcanvas &canvas, const TRect &clip, bool output, const TRect &viewport, double scale) override;
    void DrawOverhang(Tcanvas &canvas, const TRect &clip, const TRect &labelRect, const TRect &viewport,
                      double scale) override;
    void WriteToStream(QIODevice &stream) const override;
    void ReadFromStream(QIODevice &stream) override;
    uint8_t GetTypeCode() const override { return 2; }

    Tfont Font;

private:
    uint32_t DrawingFormat() const;

    bool DrawingForOutput = false;
    Talphabitmap MeasureBitmap;
    int32_t TextHeight = 0;
    int32_t TextOffset = 0;
    int32_t FullTextHeight = 0;
    int32_t HiddenLines = 0;
    QString PlaceholderText;
    QString Text;
    THorizontalAlign HAlign = THorizontalAlign::Left;
    TVerticalAlign VAlign = TVerticalAlign::Top;
    // Laying text out is the costliest part of a paint: the last layouts are kept.
    std::unique_ptr<Ttextlayout> MeasuredLayout;
    std::unique_ptr<Ttextlayout> DrawnLayout;
};
