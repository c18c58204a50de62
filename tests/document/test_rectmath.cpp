#include "document/rectmath.h"

#include "document/drawlist.h"

#include <gmock/gmock.h>
#include <vector>

using testing::ElementsAre;
using testing::IsEmpty;

TEST(RectMath, TouchingNeedsAreaOrContainment)
{
    struct Case {
        TRect a, b;
        bool touch;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {10, 0, 20, 10}, false}, // shared edge only
        {{0, 0, 10, 10}, {0, 10, 10, 20}, false}, // shared bottom edge
        {{0, 0, 10, 10}, {2, 2, 3, 3}, true},     // containment
        {{2, 2, 3, 3}, {0, 0, 10, 10}, true},     // containment the other way
        {{0, 0, 10, 10}, {5, 5, 15, 15}, true},   // overlap
        {{0, 0, 10, 10}, {0, 0, 10, 10}, true},   // equal
        {{0, 0, 10, 10}, {20, 20, 30, 30}, false}, {{0, 0, 10, 10}, {-5, 3, 15, 6}, true}, // a band across
        {{0, 0, 10, 10}, {3, -5, 6, 15}, true},                                            // a band down
    };
    for (const Case &c : cases)
        EXPECT_EQ(RectsTouch(c.a, c.b), c.touch) << c.a << " " << c.b;
}

TEST(RectMath, ClipIsNotNormalised)
{
    EXPECT_EQ(ClipToRect({0, 0, 10, 10}, {20, 20, 30, 30}), (TRect{20, 20, 10, 10}));
    EXPECT_EQ(ClipToRect({0, 0, 10, 10}, {5, -5, 15, 5}), (TRect{5, 0, 10, 5}));
}

TEST(RectMath, SmallHelpers)
{
    EXPECT_TRUE(IsEmptyRect({}));
    EXPECT_FALSE(IsEmptyRect({0, 0, 0, 1}));
    EXPECT_TRUE(RectWithin({0, 0, 10, 10}, {0, 0, 10, 10}));
    EXPECT_FALSE(RectWithin({0, 0, 11, 10}, {0, 0, 10, 10}));
    EXPECT_EQ(BoundingRect({0, 5, 10, 10}, {-3, 7, 4, 20}), (TRect{-3, 5, 10, 20}));
    EXPECT_EQ(GrowRect({0, 0, 10, 10}, -2), (TRect{2, 2, 8, 8}));
    EXPECT_EQ(ShiftRect({1, 2, 3, 4}, {10, 20, 99, 99}), (TRect{11, 22, 13, 24}));
    // Ties go to the even neighbour: 2.5 -> 2, 7.5 -> 8.
    EXPECT_EQ(ScaleRect({5, 15, 25, 35}, 0.5), (TRect{2, 8, 12, 18}));
    EXPECT_EQ(NegatedOrigin({3, -4, 10, 10}), (TPoint{-3, 4}));
    const TPoint points[] = {{1, 2}, {3, 4}, {5, 6}};
    EXPECT_EQ(SumPoints(points, 1), (TPoint{4, 6}));
}

TEST(RectMath, CutRectOnAnEdgeLeavesTheRectangle)
{
    TRect a{0, 0, 10, 10};
    EXPECT_EQ(CutRect(a, 0, true), (TRect{0, 0, 10, 10}));
    EXPECT_EQ(a, (TRect{0, 0, 10, 10}));
    EXPECT_EQ(CutRect(a, 10, false), (TRect{0, 0, 10, 10}));
    EXPECT_EQ(a, (TRect{0, 0, 10, 10}));

    TRect b{0, 0, 10, 20};
    EXPECT_EQ(CutRect(b, 4, true), (TRect{4, 0, 10, 20}));
    EXPECT_EQ(b, (TRect{0, 0, 4, 20}));
    EXPECT_EQ(CutRect(b, 5, false), (TRect{0, 5, 4, 20}));
    EXPECT_EQ(b, (TRect{0, 0, 4, 5}));
}

TEST(RectList, SubtractLeavesFourPiecesInOrder)
{
    Trectlist pieces;
    pieces.Subtract({0, 0, 10, 10}, {3, 3, 6, 6});
    EXPECT_THAT(pieces.Rects(),
                ElementsAre(TRect{3, 0, 6, 3}, TRect{0, 0, 3, 10}, TRect{6, 0, 10, 10}, TRect{3, 6, 6, 10}));
}

TEST(RectList, SubtractCoveringAndDisjointCuts)
{
    Trectlist pieces;
    pieces.Subtract({0, 0, 10, 10}, {-1, -1, 11, 11});
    EXPECT_THAT(pieces.Rects(), IsEmpty());
    pieces.Subtract({0, 0, 10, 10}, {20, 20, 30, 30});
    EXPECT_THAT(pieces.Rects(), ElementsAre(TRect{0, 0, 10, 10}));
}

// The pieces never overlap and cover exactly the part of r outside cut.
TEST(RectList, SubtractPiecesTileTheRest)
{
    const TRect r{0, 0, 12, 9};
    const TRect cuts[] = {{3, 3, 6, 6},  {-2, 2, 5, 20}, {4, -1, 8, 3},
                          {6, 4, 20, 7}, {0, 0, 12, 4},  {2, 2, 3, 3}};
    for (const TRect &cut : cuts) {
        Trectlist pieces;
        pieces.Subtract(r, cut);
        for (int y = -3; y < 12; ++y) {
            for (int x = -3; x < 15; ++x) {
                const auto inside = [&](const TRect &q) {
                    return q.Left <= x && x < q.Right && q.Top <= y && y < q.Bottom;
                };
                int covering = 0;
                for (const TRect &p : pieces.Rects())
                    covering += inside(p);
                EXPECT_EQ(covering, inside(r) && !inside(cut) ? 1 : 0)
                    << "cut " << cut << " at " << x << "," << y;
            }
        }
    }
}

TEST(RectList, MergeJoinsAChainIntoOne)
{
    Trectlist list;
    list.AddRect({0, 0, 10, 10});
    list.AddRect({20, 0, 30, 10});
    list.AddRect({5, 5, 25, 8});
    list.MergeOverlaps();
    EXPECT_THAT(list.Rects(), ElementsAre(TRect{0, 0, 30, 10}));
}

TEST(RectList, MergeKeepsRectanglesThatOnlyShareEdges)
{
    Trectlist list;
    list.AddRect({0, 0, 10, 10});
    list.AddRect({10, 0, 20, 10});
    list.MergeOverlaps();
    EXPECT_EQ(list.Count(), 2);
}

TEST(RectList, MergeWorkIsBounded)
{
    // A chain to the right of the first rectangle, behind a hundred rectangles that touch
    // nothing: every merge rescans them all, so the bound of ten tests per rectangle stops
    // the work before the chain is merged. What is left still covers every rectangle.
    Trectlist list;
    std::vector<TRect> all;
    all.push_back({0, 0, 15, 10});
    for (int i = 0; i < 100; ++i)
        all.push_back({i * 20, 100, i * 20 + 10, 110});
    for (int i = 1; i <= 100; ++i)
        all.push_back({i * 10, 0, i * 10 + 15, 10});
    for (const TRect &r : all)
        list.AddRect(r);
    list.MergeOverlaps();
    EXPECT_GT(list.Count(), 101);
    EXPECT_LT(list.Count(), 201);
    for (const TRect &r : all) {
        bool covered = false;
        for (const TRect &m : list.Rects())
            covered = covered || RectWithin(r, m);
        EXPECT_TRUE(covered) << r;
    }
}

TEST(RectList, DeleteClampsAndShrinkingKeepsStorage)
{
    Trectlist list;
    TRect removed{1, 1, 1, 1};
    list.DeleteRect(0, removed);
    EXPECT_EQ(removed, (TRect{1, 1, 1, 1}));

    list.AddRect({0, 0, 1, 1});
    list.AddRect({1, 1, 2, 2});
    list.AddRect({2, 2, 3, 3});
    list.DeleteRect(99, removed);
    EXPECT_EQ(removed, (TRect{2, 2, 3, 3}));
    list.DeleteRect(0, removed);
    EXPECT_THAT(list.Rects(), ElementsAre(TRect{1, 1, 2, 2}));

    const int32_t capacity = list.Capacity();
    list.SetCount(0);
    EXPECT_EQ(list.Capacity(), capacity);
    EXPECT_GE(capacity, 3);
}

TEST(RectList, AddListMergesOnRequestAndAssignCopies)
{
    Trectlist a, b;
    a.AddRect({0, 0, 10, 10});
    b.AddRect({5, 5, 15, 15});
    b.AddRect({40, 40, 50, 50});
    a.AddList(b, true);
    EXPECT_THAT(a.Rects(), ElementsAre(TRect{0, 0, 15, 15}, TRect{40, 40, 50, 50}));
    a.AssignList(b);
    EXPECT_THAT(a.Rects(), ElementsAre(TRect{5, 5, 15, 15}, TRect{40, 40, 50, 50}));
    a.AddList(a, false);
    EXPECT_EQ(a.Count(), 4);
}

TEST(RectList, ADirtyListTakesWhatItLacksAndStaysSmall)
{
    struct Case {
        const char *Name;
        std::vector<TRect> Added;
        std::vector<TRect> Expected;
    };
    std::vector<TRect> scattered;
    for (int i = 0; i <= MaxDirtyRects; ++i)
        scattered.push_back({i * 100, i * 10, i * 100 + 20, i * 10 + 20});
    const Case cases[] = {
        {"inside one it holds", {{0, 0, 100, 100}, {10, 10, 20, 20}}, {{0, 0, 100, 100}}},
        {"the whole area swallows the rest", {WholeArea, {5, 5, 50, 50}, {100, 0, 200, 9}}, {WholeArea}},
        {"touching ones merge", {{0, 0, 10, 10}, {5, 5, 15, 15}}, {{0, 0, 15, 15}}},
        {"a shared edge keeps both", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 10, 10}, {10, 0, 20, 10}}},
        {"as many as it keeps apart",
         {scattered.begin(), scattered.end() - 1},
         {scattered.begin(), scattered.end() - 1}},
        {"one more becomes their bounds",
         scattered,
         {{0, 0, MaxDirtyRects * 100 + 20, MaxDirtyRects * 10 + 20}}},
    };
    for (const Case &c : cases) {
        Trectlist list;
        for (const TRect &r : c.Added)
            list.AddDirty(r);
        EXPECT_EQ(list.Rects(), c.Expected) << c.Name;
    }
}

TEST(RectList, MergeAllLeavesNoTwoTouchingAndCoversEveryRectangle)
{
    // The chain that stops the bounded merge (see MergeWorkIsBounded), and a few apart.
    for (int n : {3, MaxDirtyRects, 120}) {
        Trectlist list;
        std::vector<TRect> all;
        for (int i = 0; i < n; ++i)
            all.push_back({i * 10, 0, i * 10 + 15, 10});
        all.push_back({0, 100, 10, 110});
        all.push_back({10, 100, 20, 110});
        for (const TRect &r : all)
            list.AddRect(r);
        list.MergeAll();
        EXPECT_LE(list.Count(), MaxDirtyRects) << n;
        for (int32_t i = 0; i < list.Count(); ++i)
            for (int32_t j = i + 1; j < list.Count(); ++j)
                EXPECT_FALSE(RectsTouch(list.GetRect(i), list.GetRect(j))) << n << ": " << i << ", " << j;
        for (const TRect &r : all) {
            bool covered = false;
            for (const TRect &m : list.Rects())
                covered = covered || RectWithin(r, m);
            EXPECT_TRUE(covered) << n << ": " << r;
        }
    }
}
