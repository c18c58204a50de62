#pragma once
// Integer rectangles and points, in pixels or document units as the caller uses them.
// A rectangle (Left, Top, Right, Bottom) covers Left .. Right - 1 across and Top .. Bottom - 1 down.

#include <cstdint>
#include <ostream>

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;

    friend bool operator==(const TPoint &, const TPoint &) = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }

    friend bool operator==(const TRect &, const TRect &) = default;
};

// The mouse buttons the drawing surfaces report; other buttons are not reported.
enum class TMouseButton { Left, Right, Middle };

// Readable values in test failure messages.
inline std::ostream &operator<<(std::ostream &os, const TPoint &p)
{
    return os << "(" << p.X << ", " << p.Y << ")";
}

inline std::ostream &operator<<(std::ostream &os, const TRect &r)
{
    return os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}
