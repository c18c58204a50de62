#pragma once
// Integer rectangle helpers and the rectangle list on which the repaint bookkeeping rests.
// Nothing here normalises a rectangle: Left > Right can come out of ClipToRect and is kept.

#include "platform/types.h"

#include <vector>

bool SameRect(const TRect &a, const TRect &b);
bool IsEmptyRect(const TRect &a);
// a lies inside b; coinciding edges count as inside.
bool RectWithin(const TRect &a, const TRect &b);
// An edge of b runs through the inside of a.
bool EdgesCross(const TRect &a, const TRect &b);
// Overlap with positive area, or one inside the other; a shared edge alone does not touch.
bool RectsTouch(const TRect &a, const TRect &b);
TRect BoundingRect(const TRect &a, const TRect &b);
TRect ClipToRect(const TRect &bounds, const TRect &r);
TRect GrowRect(const TRect &a, int32_t d);
TRect ShiftRect(const TRect &a, const TRect &b);
TRect ScaleRect(const TRect &a, double factor);
TPoint NegatedOrigin(const TRect &a);
// The sum of the first n + 1 points.
TPoint SumPoints(const TPoint *points, int n);
// Cuts a along x = position (vertical) or y = position; a keeps the left or upper part and
// the other part is returned. When the line is not strictly inside a, a stays as it is and
// the result is (0, 0, 10, 10).
TRect CutRect(TRect &a, int32_t position, bool vertical);

// A dirty list keeps at most this many rectangles apart; more are painted as their bounding
// rectangle, so a repaint never tests every object against hundreds of rectangles.
constexpr int32_t MaxDirtyRects = 8;

// A list of rectangles whose storage is never released when it shrinks, so a dirty list
// emptied after every paint reuses its memory.
class Trectlist {
public:
    int32_t Count() const { return FCount; }
    int32_t LastIndex() const { return FCount - 1; }
    const TRect &GetRect(int32_t index) const { return Storage[index]; }
    void PutRect(int32_t index, const TRect &r) { Storage[index] = r; }
    void SetRight(int32_t index, int32_t value) { Storage[index].Right = value; }
    void SetBottom(int32_t index, int32_t value) { Storage[index].Bottom = value; }
    void SetCount(int32_t n);
    void AddRect(const TRect &r);
    void AddList(const Trectlist &other, bool merge);
    void AssignList(const Trectlist &other);
    void DeleteRect(int32_t index, TRect &removed);
    void MergeOverlaps();
    // One of the rectangles holds r whole.
    bool Covers(const TRect &r) const;
    // Adds a rectangle as a dirty list takes it: nothing when it lies inside one the list holds;
    // otherwise touching rectangles merge, and a list of more than MaxDirtyRects becomes their
    // bounding rectangle.
    void AddDirty(const TRect &r);
    // Merges until no two rectangles touch (more than MaxDirtyRects become their bounding
    // rectangle first), so no area is painted twice and painting covers no more than the list.
    void MergeAll();
    void SplitBy(TRect &r, const TRect &cut, bool keepRest);
    void Subtract(const TRect &r, const TRect &cut);

    // The rectangles in use, for iteration and tests.
    std::vector<TRect> Rects() const;
    int32_t Capacity() const { return static_cast<int32_t>(Storage.size()); }

private:
    int32_t FCount = 0;
    std::vector<TRect> Storage;
};
