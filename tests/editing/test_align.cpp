#include "document/shape.h"
#include "editing/align.h"
#include "test_toolboxsupport.h"

#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {

// The reference (the primary selection, first in list order) and the object aligned to it or to
// the label (100000, 100000)-(102000, 101000).
constexpr TRect Reference{100400, 100200, 101400, 100700};
constexpr TRect Object{100050, 100850, 100350, 101050}; // 300 wide, 200 high

struct TAlignCase {
    TAlignTool Tool;
    bool Stretch;
    int32_t Side;
    double Inches;
    TRect Expected; // the object's bounds afterwards
};

// Every side with Move and Stretch, both ways of the distance, against the reference object and
// against the label's edges. Stretching past the opposite side turns the rectangle over.
const TAlignCase AlignCases[] = {
    {atAlignSides, false, asTop, 0.1, {100050, 100300, 100350, 100500}},
    {atAlignSides, false, asTop, -0.1, {100050, 100100, 100350, 100300}},
    {atAlignSides, false, asLeft, 0.1, {100500, 100850, 100800, 101050}},
    {atAlignSides, false, asLeft, -0.1, {100300, 100850, 100600, 101050}},
    {atAlignSides, false, asRight, 0.1, {101000, 100850, 101300, 101050}},
    {atAlignSides, false, asRight, -0.1, {101200, 100850, 101500, 101050}},
    {atAlignSides, false, asBottom, 0.1, {100050, 100400, 100350, 100600}},
    {atAlignSides, false, asBottom, -0.1, {100050, 100600, 100350, 100800}},
    {atAlignSides, false, asHorizontalCentre, 0.1, {100750, 100850, 101050, 101050}},
    {atAlignSides, false, asHorizontalCentre, -0.1, {100750, 100850, 101050, 101050}},
    {atAlignSides, false, asVerticalCentre, 0.1, {100050, 100350, 100350, 100550}},
    {atAlignSides, false, asVerticalCentre, -0.1, {100050, 100350, 100350, 100550}},
    {atAlignSides, true, asTop, 0.1, {100050, 100300, 100350, 101050}},
    {atAlignSides, true, asTop, -0.1, {100050, 100100, 100350, 101050}},
    {atAlignSides, true, asLeft, 0.1, {100350, 100850, 100500, 101050}},
    {atAlignSides, true, asLeft, -0.1, {100300, 100850, 100350, 101050}},
    {atAlignSides, true, asRight, 0.1, {100050, 100850, 101300, 101050}},
    {atAlignSides, true, asRight, -0.1, {100050, 100850, 101500, 101050}},
    {atAlignSides, true, asBottom, 0.1, {100050, 100600, 100350, 100850}},
    {atAlignSides, true, asBottom, -0.1, {100050, 100800, 100350, 100850}},
    {atAlignSides, true, asHorizontalCentre, 0.1, Object},
    {atAlignSides, true, asVerticalCentre, 0.1, Object},
    {atEdgeAlign, false, asTop, 0.1, {100050, 100100, 100350, 100300}},
    {atEdgeAlign, false, asTop, -0.1, {100050, 99900, 100350, 100100}},
    {atEdgeAlign, false, asLeft, 0.1, {100100, 100850, 100400, 101050}},
    {atEdgeAlign, false, asLeft, -0.1, {99900, 100850, 100200, 101050}},
    {atEdgeAlign, false, asRight, 0.1, {101600, 100850, 101900, 101050}},
    {atEdgeAlign, false, asRight, -0.1, {101800, 100850, 102100, 101050}},
    {atEdgeAlign, false, asBottom, 0.1, {100050, 100700, 100350, 100900}},
    {atEdgeAlign, false, asBottom, -0.1, {100050, 100900, 100350, 101100}},
    {atEdgeAlign, false, asHorizontalCentre, 0.1, {100850, 100850, 101150, 101050}},
    {atEdgeAlign, false, asVerticalCentre, -0.1, {100050, 100400, 100350, 100600}},
    {atEdgeAlign, true, asTop, 0.1, {100050, 100100, 100350, 101050}},
    {atEdgeAlign, true, asTop, -0.1, {100050, 99900, 100350, 101050}},
    {atEdgeAlign, true, asLeft, 0.1, {100100, 100850, 100350, 101050}},
    {atEdgeAlign, true, asLeft, -0.1, {99900, 100850, 100350, 101050}},
    {atEdgeAlign, true, asRight, 0.1, {100050, 100850, 101900, 101050}},
    {atEdgeAlign, true, asRight, -0.1, {100050, 100850, 102100, 101050}},
    {atEdgeAlign, true, asBottom, 0.1, {100050, 100850, 100350, 100900}},
    {atEdgeAlign, true, asBottom, -0.1, {100050, 100850, 100350, 101100}},
    {atEdgeAlign, true, asHorizontalCentre, 0.1, Object},
    {atEdgeAlign, true, asVerticalCentre, -0.1, Object},
};

} // namespace

TEST(Align, EverySideMovesOrStretchesToItsEdgeAndUndoesInOneStep)
{
    for (const TAlignCase &c : AlignCases) {
        TLabelDocument label;
        Tdrawobj &reference = label.Add<Tvnlshape>(Reference);
        Tdrawobj &object = label.Add<Tvnlshape>(Object);
        Tdrawobj &unselected = label.Add<Tvnlshape>(Object, false);
        const int32_t steps = label.Doc.GetUndoList().GroupCount();

        EXPECT_TRUE(Align(label.Doc, c.Tool, c.Stretch, c.Side, c.Inches));

        const std::string what = std::string(AlignToolCaptions[c.Tool]) + (c.Stretch ? " stretch" : " move") +
                                 " side " + std::to_string(c.Side) + " by " + std::to_string(c.Inches);
        EXPECT_EQ(object.GetBounds(), c.Expected) << what;
        EXPECT_EQ(unselected.GetBounds(), Object) << what;
        if (c.Tool == atAlignSides) {
            EXPECT_EQ(reference.GetBounds(), Reference) << what;
        } else if (!c.Stretch) { // against the label the first object moves too, keeping its size
            EXPECT_EQ(reference.Width(), 1000) << what;
            EXPECT_NE(reference.GetBounds(), Reference) << what;
        }
        if (c.Expected == Object) // nothing moved, nothing to undo
            continue;
        label.Doc.Undo();
        EXPECT_EQ(label.Doc.GetUndoList().GroupCount(), steps) << what;
        EXPECT_EQ(object.GetBounds(), Object) << what;
        EXPECT_EQ(reference.GetBounds(), Reference) << what;
    }
}

TEST(Align, TooFewObjectsOrNoNumberTellTheUserAndChangeNothing)
{
    struct Case {
        TAlignTool Tool;
        int Selected;
        std::optional<double> Inches;
        const char *Message;
        TMsgIcon Icon;
    };
    const Case cases[] = {
        {atAlignSides, 1, 0.0, TooFewForSidesMessage, TMsgIcon::Information},
        {atEdgeAlign, 0, 0.0, NothingForEdgesMessage, TMsgIcon::Information},
        {atEdgeAlign, 2, std::nullopt, NotANumberMessage, TMsgIcon::Error},
    };
    for (const Case &c : cases) {
        TLabelDocument label;
        Tdrawobj &a = label.Add<Tvnlshape>(Reference, c.Selected > 0);
        label.Add<Tvnlshape>(Object, c.Selected > 1);
        const int32_t steps = label.Doc.GetUndoList().Count();
        Talignpanel panel;
        panel.SetTool(c.Tool);
        TMessageRecorder log;
        panel.AlignSide(label.Doc, asLeft, c.Inches);
        panel.AlignAll(label.Doc, c.Inches); // reported once, not once per side
        EXPECT_THAT(log.Texts, ElementsAre(QString::fromLatin1(c.Message), QString::fromLatin1(c.Message)))
            << c.Message;
        EXPECT_THAT(log.Icons, ElementsAre(c.Icon, c.Icon));
        EXPECT_EQ(a.GetBounds(), Reference);
        EXPECT_EQ(label.Doc.GetUndoList().Count(), steps);
    }
}

TEST(Align, StretchingAllSidesToTheLabelCoversItInsideTheDistanceInOneStep)
{
    TLabelDocument label;
    Tdrawobj &a = label.Add<Tvnlshape>(Reference);
    Tdrawobj &b = label.Add<Tvnlshape>(Object);
    Talignpanel panel;
    panel.SetTool(atEdgeAlign);
    panel.SetStretch(true);
    panel.AlignAll(label.Doc, 0.1);
    const TRect inside{100100, 100100, 101900, 100900};
    EXPECT_EQ(a.GetBounds(), inside);
    EXPECT_EQ(b.GetBounds(), inside);
    label.Doc.Undo();
    EXPECT_EQ(a.GetBounds(), Reference);
    EXPECT_EQ(b.GetBounds(), Object);
}

TEST(Align, MatchSizesTakesTheSmallestOrLargestKeepingTopLeft)
{
    const TRect start[] = {{100000, 100000, 100300, 100400},  // 300 by 400
                           {100500, 100100, 101700, 100200},  // 1200 by 100
                           {101000, 100600, 101800, 101500}}; // 800 by 900
    struct Case {
        TSizeMatch How;
        int32_t Width, Height; // 0: as it was
    };
    const Case cases[] = {{smShrinkToShortest, 0, 100},
                          {smGrowToTallest, 0, 900},
                          {smShrinkToThinnest, 300, 0},
                          {smGrowToWidest, 1200, 0}};
    for (const Case &c : cases) {
        TLabelDocument label;
        std::vector<Tdrawobj *> objects;
        for (const TRect &r : start)
            objects.push_back(&label.Add<Tvnlshape>(r));
        MatchSizes(label.Doc, c.How);
        for (size_t i = 0; i < objects.size(); ++i) {
            const TRect &r = start[i];
            EXPECT_EQ(objects[i]->GetBounds(), (TRect{r.Left, r.Top, c.Width ? r.Left + c.Width : r.Right,
                                                      c.Height ? r.Top + c.Height : r.Bottom}))
                << SizeMatchCaptions[c.How] << " object " << i;
        }
        label.Doc.Undo();
        EXPECT_EQ(objects[1]->GetBounds(), start[1]) << SizeMatchCaptions[c.How];
    }
}

TEST(Align, OrderButtonsMoveTheSelectionTogether)
{
    // Five objects 0..4 bottom to top, 1 and 3 selected.
    struct Case {
        TOrderChange How;
        std::vector<int> Order; // bottom to top afterwards
    };
    const Case cases[] = {{ocBringToFront, {0, 2, 4, 1, 3}},
                          {ocSendToBack, {1, 3, 0, 2, 4}},
                          {ocBringForward, {0, 2, 1, 4, 3}},
                          {ocSendBackward, {1, 0, 3, 2, 4}}};
    for (const Case &c : cases) {
        TLabelDocument label;
        std::vector<Tdrawobj *> objects;
        for (int i = 0; i < 5; ++i)
            objects.push_back(&label.Add<Tvnlshape>({100000, 100000, 100100, 100100}, i == 1 || i == 3));
        ChangeOrder(label.Doc, c.How);
        std::vector<int> order;
        for (int32_t i = 0; i < label.Doc.Count(); ++i)
            order.push_back(
                int(std::find(objects.begin(), objects.end(), label.Doc.GetObject(i)) - objects.begin()));
        EXPECT_EQ(order, c.Order) << OrderChangeCaptions[c.How];
    }
}
