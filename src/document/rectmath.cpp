#include "document/rectmath.h"

#include "platform/rnd.h"

#include <algorithm>

bool SameRect(const TRect &a, const TRect &b)
{
    return a == b;
}

bool IsEmptyRect(const TRect &a)
{
    return a.Left == 0 && a.Top == 0 && a.Right == 0 && a.Bottom == 0;
}

bool RectWithin(const TRect &a, const TRect &b)
{
    return a.Left >= b.Left && a.Right <= b.Right && a.Top >= b.Top && a.Bottom <= b.Bottom;
}

bool EdgesCross(const TRect &a, const TRect &b)
{
    const bool verticalEdgeInside =
        (a.Left < b.Left && b.Left < a.Right) || (a.Left < b.Right && b.Right < a.Right);
    const bool horizontalEdgeInside =
        (a.Top < b.Top && b.Top < a.Bottom) || (a.Top < b.Bottom && b.Bottom < a.Bottom);
    return (verticalEdgeInside && b.Top < a.Bottom && a.Top < b.Bottom) ||
           (horizontalEdgeInside && b.Left < a.Right && a.Left < b.Right);
}

bool RectsTouch(const TRect &a, const TRect &b)
{
    return RectWithin(a, b) || RectWithin(b, a) || EdgesCross(a, b);
}

TRect BoundingRect(const TRect &a, const TRect &b)
{
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

TRect ClipToRect(const TRect &bounds, const TRect &r)
{
    return {std::max(r.Left, bounds.Left), std::max(r.Top, bounds.Top), std::min(r.Right, bounds.Right),
            std::min(r.Bottom, bounds.Bottom)};
}

TRect GrowRect(const TRect &a, int32_t d)
{
    return {a.Left - d, a.Top - d, a.Right + d, a.Bottom + d};
}

TRect ShiftRect(const TRect &a, const TRect &b)
{
    return {a.Left + b.Left, a.Top + b.Top, a.Right + b.Left, a.Bottom + b.Top};
}

TRect ScaleRect(const TRect &a, double factor)
{
    return {rnd(a.Left * factor), rnd(a.Top * factor), rnd(a.Right * factor), rnd(a.Bottom * factor)};
}

TPoint NegatedOrigin(const TRect &a)
{
    return {-a.Left, -a.Top};
}

TPoint SumPoints(const TPoint *points, int n)
{
    TPoint sum;
    for (int i = 0; i <= n; ++i) {
        sum.X += points[i].X;
        sum.Y += points[i].Y;
    }
    return sum;
}

TRect CutRect(TRect &a, int32_t position, bool vertical)
{
    TRect piece = a;
    if (vertical && a.Left < position && position < a.Right) {
        piece.Left = position;
        a.Right = position;
    } else if (!vertical && a.Top < position && position < a.Bottom) {
        piece.Top = position;
        a.Bottom = position;
    } else {
        piece = {0, 0, 10, 10};
    }
    return piece;
}

void Trectlist::SetCount(int32_t n)
{
    if (Capacity() < n)
        Storage.resize(std::max<size_t>(static_cast<size_t>(n), Storage.size() * 2));
    FCount = n;
}

void Trectlist::AddRect(const TRect &r)
{
    SetCount(FCount + 1);
    Storage[LastIndex()] = r;
}

void Trectlist::AddList(const Trectlist &other, bool merge)
{
    // Read the count first: other may be this list.
    const int32_t n = other.Count();
    for (int32_t i = 0; i < n; ++i)
        AddRect(other.GetRect(i));
    if (merge)
        MergeOverlaps();
}

void Trectlist::AssignList(const Trectlist &other)
{
    if (&other == this)
        return;
    SetCount(0);
    AddList(other, false);
}

void Trectlist::DeleteRect(int32_t index, TRect &removed)
{
    index = std::min(index, LastIndex());
    if (FCount == 0 || index < 0)
        return;
    removed = Storage[index];
    std::copy(Storage.begin() + index + 1, Storage.begin() + FCount, Storage.begin() + index);
    SetCount(FCount - 1);
}

void Trectlist::MergeOverlaps()
{
    // Bounded to ten tests per rectangle present at the start; pairs that still touch when
    // the bound stops the scan only mean an area is painted twice.
    const int32_t limit = 10 * FCount;
    int32_t tests = 0;
    int32_t i = 0;
    while (i <= LastIndex() && tests < limit) {
        if (i < 0)
            i = 0;
        for (int32_t j = i + 1; j <= LastIndex(); ++j) {
            ++tests;
            if (RectsTouch(Storage[i], Storage[j])) {
                Storage[i] = BoundingRect(Storage[i], Storage[j]);
                TRect removed;
                DeleteRect(j, removed);
                i = -1;
                break;
            }
        }
        ++i;
    }
}

bool Trectlist::Covers(const TRect &r) const
{
    return std::any_of(Storage.begin(), Storage.begin() + FCount,
                       [&](const TRect &s) { return RectWithin(r, s); });
}

void Trectlist::AddDirty(const TRect &r)
{
    if (Covers(r))
        return;
    AddRect(r);
    MergeOverlaps();
    if (FCount > MaxDirtyRects)
        MergeAll();
}

void Trectlist::MergeAll()
{
    if (FCount > MaxDirtyRects) {
        TRect bounds = Storage[0];
        for (int32_t i = 1; i < FCount; ++i)
            bounds = BoundingRect(bounds, Storage[i]);
        SetCount(1);
        Storage[0] = bounds;
    }
    // At most MaxDirtyRects - 1 merges, each after at most one scan of the pairs.
    for (bool merged = true; merged;) {
        merged = false;
        for (int32_t i = 0; i < FCount && !merged; ++i)
            for (int32_t j = i + 1; j < FCount && !merged; ++j)
                if (RectsTouch(Storage[i], Storage[j])) {
                    Storage[i] = BoundingRect(Storage[i], Storage[j]);
                    TRect removed;
                    DeleteRect(j, removed);
                    merged = true;
                }
    }
}

void Trectlist::SplitBy(TRect &r, const TRect &cut, bool keepRest)
{
    SetCount(0);
    int cuts = 0;
    const auto cutAcross = [&](int32_t x) {
        if (r.Left < x && x < r.Right && cut.Top < r.Bottom && cut.Bottom > r.Top) {
            AddRect(CutRect(r, x, true));
            ++cuts;
        }
    };
    const auto cutDown = [&](int32_t y) {
        if (r.Top < y && y < r.Bottom && cut.Left < r.Right && cut.Right > r.Left) {
            AddRect(CutRect(r, y, false));
            ++cuts;
        }
    };
    cutAcross(cut.Left);
    cutAcross(cut.Right);
    cutDown(cut.Top);
    cutDown(cut.Bottom);
    if (keepRest)
        AddRect(r);
    if (cuts == 0)
        return;
    const int32_t last = LastIndex();
    for (int32_t k = 0; k <= last; ++k) {
        if (!EdgesCross(Storage[k], cut))
            continue;
        Trectlist pieces;
        TRect p = Storage[k];
        pieces.SplitBy(p, cut, false);
        Storage[k] = p;
        AddList(pieces, false);
    }
}

void Trectlist::Subtract(const TRect &r, const TRect &cut)
{
    Trectlist scratch;
    TRect rest = r;
    scratch.SplitBy(rest, cut, true);
    SetCount(0);
    for (int32_t i = 0; i < scratch.Count(); ++i)
        if (!RectWithin(scratch.GetRect(i), cut))
            AddRect(scratch.GetRect(i));
}

std::vector<TRect> Trectlist::Rects() const
{
    return {Storage.begin(), Storage.begin() + FCount};
}
