#pragma once
// SVG drawings, the form logos come in, rendered by Qt Svg to a bitmap of 300 pixels for every
// inch of the size the drawing declares, transparent where it draws nothing.

#include "codecs/decoding.h"

#include <QByteArray>

constexpr int SvgPixelsPerInch = 300;

// Lengths without a unit, and in px, are CSS pixels: 96 to the inch.
constexpr double CssPixelsPerInch = 96;

// The largest rendering, in pixels: 64 megapixels (256 MB), a drawing of 27 by 27 inches at
// 300 pixels per inch, beyond any label. A drawing that declares more is rendered to this many
// pixels at a lower resolution rather than refused: its size is a number in a text file, not a
// promise of detail.
constexpr qint64 SvgMaxPixels = qint64(1) << 26;

// Renders an SVG drawing into a Format_ARGB32 image. Its size in inches comes from the root
// element's width and height in absolute units (in, cm, mm, Q, pt, pc, px, none); a side given
// in relative units (%, em) or not at all follows from the viewBox and the other side, and the
// viewBox alone counts in CSS pixels. The image records its resolution in its dots per meter.
TDecodeResult ReadSvg(const QByteArray &bytes);

// Whether the bytes start like an SVG document: markup whose first kilobytes hold "<svg".
bool LooksLikeSvg(const QByteArray &bytes);
