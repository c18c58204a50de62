#pragma once
// Text laid out for the canvas: lines of a paragraph wrapped to a box width in one font, as
// DrawTextEx lays them out. Kept by whoever draws the same text again, so that an unchanged
// text is not laid out anew on every paint.

#include <QFont>
#include <QString>
#include <QTextLayout>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QPaintDevice;

// Text laid out in lines that lie LineHeight apart, without extra leading. Each line keeps
// its layout's handle; the layouts live as long as this.
class Ttextlayout {
public:
    Ttextlayout(const QString &text, const QFont &font, const QPaintDevice *device, int32_t boxWidth,
                uint32_t flags);
    Ttextlayout(const Ttextlayout &) = delete;
    Ttextlayout &operator=(const Ttextlayout &) = delete;

    // What the layout was made for: a layout serves again while these stay the same.
    const QString &Text() const { return FText; }
    const QFont &Font() const { return FFont; }
    int DeviceDpi() const { return FDeviceDpi; }
    int32_t BoxWidth() const { return FBoxWidth; }
    uint32_t Flags() const { return FFlags; }
    // How many layouts have been made in this process, to show that repaints reuse them.
    static int64_t LayoutsMade() { return Made.load(); }

    struct TLine {
        QTextLine Line;
        // The advance of the line in whole pixels: blanks where the line wraps do not count,
        // blanks before a line break or the end do. Never wider than the box when wrapping.
        int Width = 0;
    };

    const std::vector<TLine> &Lines() const { return FLines; }
    int LineHeight() const { return FLineHeight; }
    int Ascent() const { return FAscent; }
    int Height() const { return int(FLines.size()) * FLineHeight; }
    int Width() const;

private:
    std::vector<std::unique_ptr<QTextLayout>> Layouts;
    std::vector<TLine> FLines;
    int FLineHeight = 0;
    int FAscent = 0;
    QString FText;
    QFont FFont;
    int FDeviceDpi = 0;
    int32_t FBoxWidth = 0;
    uint32_t FFlags = 0;
    static std::atomic<int64_t> Made;
};
