#pragma once
// The thumbnailer's work: the PNG thumbnail of a project's or template's header, decoded,
// scaled and written. Plain C++ and libpng, so the program starts in a few milliseconds.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// An 8-bit RGB picture, rows top to bottom.
struct TPixels {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Rgb;
};

// A local path, or the path of a file: URI (%u) with its escapes undone.
std::string LocalPath(const std::string &argument);

// The thumbnail the header of a project or template file carries: version 1 or 2, the signature
// of either kind, then the PNG. Nothing, with problem saying why, for a file that cannot be read,
// is no label file, has no thumbnail in its header (version 0) or a damaged or implausibly large
// one. Only the header is read.
std::optional<TPixels> ReadHeaderThumbnail(const std::string &path, std::string &problem);

// The picture scaled so that its longer side is size pixels (the shorter at least one): averaged
// over each target pixel's area when it shrinks, interpolated when it grows.
TPixels Fitted(const TPixels &picture, int size);

// Writes the picture as PNG through a file beside path that takes its place only when complete,
// so a failure leaves no output.
bool WritePng(const std::string &path, const TPixels &picture, std::string &problem);
