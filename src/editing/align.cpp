#include "editing/align.h"

#include "document/drawlist.h"
#include "editing/undogroup.h"
#include "platform/messages.h"
#include "platform/rnd.h"

#include <algorithm>
#include <limits>
#include <vector>

const char *const AlignToolCaptions[4] = {"Align Sides", "Edge Align", "Match Sizes", "Change Order"};
const char *const AlignToolDescriptions[4] = {"Align object sides together", "Align objects to label edges",
                                              "Match object sizes to each other",
                                              "Set object front to back order"};
const char *const SizeMatchCaptions[4] = {"Shrink to Shortest", "Grow to Tallest", "Shrink to Thinnest",
                                          "Grow to Widest"};
const char *const OrderChangeCaptions[4] = {"Bring To Front", "Send To Back", "Bring Forward",
                                            "Send Backward"};

const char *const NotANumberMessage = "Please enter a number in Inches.";
const char *const TooFewForSidesMessage =
    "You must have two or more objects selected to align their sides to each other";
const char *const NothingForEdgesMessage =
    "You must have one or more objects selected to align their sides to label edges";

namespace {

std::vector<Tdrawobj *> SelectedObjects(const Tdrawlist &doc)
{
    std::vector<Tdrawobj *> list;
    for (int32_t i = 0; i < doc.Count(); ++i)
        if (doc.GetObject(i)->IsSelected())
            list.push_back(doc.GetObject(i));
    return list;
}

// Moves o so that its side lies dx or dy inside the same side of r (outside when negative).
void MoveToSide(Tdrawobj &o, const TRect &r, int32_t side, int32_t dx, int32_t dy)
{
    switch (side) {
    case asTop:
        o.SetTop(r.Top + dy);
        break;
    case asLeft:
        o.SetLeft(r.Left + dx);
        break;
    case asRight:
        o.SetLeft(r.Right - dx - o.Width());
        break;
    case asBottom:
        o.SetTop(r.Bottom - dy - o.Height());
        break;
    case asHorizontalCentre:
        o.SetLeft(r.Left + (r.Right - r.Left) / 2 - o.Width() / 2);
        break;
    case asVerticalCentre:
        o.SetTop(r.Top + (r.Bottom - r.Top) / 2 - o.Height() / 2);
        break;
    default:
        break;
    }
}

// Moves only o's side to dx or dy inside the same side of r; the centres have no side to move.
void StretchToSide(Tdrawobj &o, const TRect &r, int32_t side, int32_t dx, int32_t dy)
{
    TRect b = o.GetBounds();
    switch (side) {
    case asTop:
        b.Top = r.Top + dy;
        break;
    case asLeft:
        b.Left = r.Left + dx;
        break;
    case asRight:
        b.Right = r.Right - dx;
        break;
    case asBottom:
        b.Bottom = r.Bottom - dy;
        break;
    default:
        return;
    }
    o.SetBounds(b);
}

} // namespace

bool Align(Tdrawlist &doc, TAlignTool tool, bool stretch, int32_t side, double inches)
{
    if (tool != atAlignSides && tool != atEdgeAlign)
        return false;
    const bool toLabel = tool == atEdgeAlign;
    const int32_t selected = doc.SelectedCount();
    if (!toLabel && selected < 2) {
        MessageBox(QString::fromLatin1(TooFewForSidesMessage), TMsgIcon::Information);
        return false;
    }
    if (toLabel && selected < 1) {
        MessageBox(QString::fromLatin1(NothingForEdgesMessage), TMsgIcon::Information);
        return false;
    }
    const int32_t dx = rnd(inches * doc.UnitsPerInchX());
    const int32_t dy = rnd(inches * doc.UnitsPerInchY());
    const Tdrawobj *reference = toLabel ? nullptr : doc.GetSelectedObject();
    // Taken once: aligning never moves the reference.
    const TRect r = toLabel ? doc.GetLabelRect() : reference->GetBounds();

    TUndoGroup group(&doc);
    for (Tdrawobj *o : SelectedObjects(doc)) {
        if (o == reference)
            continue;
        if (stretch)
            StretchToSide(*o, r, side, dx, dy);
        else
            MoveToSide(*o, r, side, dx, dy);
    }
    return true;
}

void MatchSizes(Tdrawlist &doc, TSizeMatch how)
{
    const std::vector<Tdrawobj *> selected = SelectedObjects(doc);
    if (selected.empty())
        return;
    const bool heights = how == smShrinkToShortest || how == smGrowToTallest;
    const bool smallest = how == smShrinkToShortest || how == smShrinkToThinnest;
    int32_t size = smallest ? std::numeric_limits<int32_t>::max() : 0;
    for (const Tdrawobj *o : selected) {
        const int32_t s = heights ? o->Height() : o->Width();
        size = smallest ? std::min(size, s) : std::max(size, s);
    }
    TUndoGroup group(&doc);
    for (Tdrawobj *o : selected) {
        if (heights)
            o->SetHeight(size);
        else
            o->SetWidth(size);
    }
}

void ChangeOrder(Tdrawlist &doc, TOrderChange how)
{
    static constexpr int32_t steps[4] = {ToFront, 0, 1, -1};
    if (how < ocBringToFront || how > ocSendBackward)
        return;
    doc.MoveInOrder(nullptr, steps[how], 0, false);
    doc.Invalidate(true);
}

void Talignpanel::SetTool(TAlignTool tool)
{
    if (tool >= atAlignSides && tool <= atChangeOrder)
        Tool = tool;
}

QString Talignpanel::GetTypeText() const
{
    return QString::fromLatin1(AlignToolDescriptions[Tool]);
}

void Talignpanel::AlignSide(Tdrawlist &doc, int32_t side, std::optional<double> inches) const
{
    if (!inches) {
        MessageBox(QString::fromLatin1(NotANumberMessage), TMsgIcon::Error);
        return;
    }
    Align(doc, Tool, Stretch, side, *inches);
}

void Talignpanel::AlignAll(Tdrawlist &doc, std::optional<double> inches) const
{
    if (!inches) {
        MessageBox(QString::fromLatin1(NotANumberMessage), TMsgIcon::Error);
        return;
    }
    TUndoGroup group(&doc);
    for (int32_t side : {asTop, asLeft, asRight, asBottom})
        if (!Align(doc, Tool, Stretch, side, *inches))
            return;
}
