#pragma once
// The alignment tools of the tool window: aligning the selected objects' sides to one reference
// object or to the label's edges (moving them or stretching one side, a distance in inches away),
// matching their sizes and changing their drawing order. Each pass is one undo step.

#include <QString>
#include <cstdint>
#include <optional>

class Tdrawlist;

// The tools of the "Alignment Tool" group, in its order.
enum TAlignTool : int32_t { atAlignSides = 0, atEdgeAlign = 1, atMatchSizes = 2, atChangeOrder = 3 };
extern const char *const AlignToolCaptions[4];
// The line under the group that names the chosen tool.
extern const char *const AlignToolDescriptions[4];

// The side an alignment works on.
enum TAlignSide : int32_t {
    asTop = 0,
    asLeft = 1,
    asRight = 2,
    asBottom = 3,
    asHorizontalCentre = 4, // the "Center" of the row with "Right" and "Left"
    asVerticalCentre = 5,   // the "Center" of the row with "Top" and "Bottom"
};

enum TSizeMatch : int32_t {
    smShrinkToShortest = 0,
    smGrowToTallest = 1,
    smShrinkToThinnest = 2,
    smGrowToWidest = 3,
};
extern const char *const SizeMatchCaptions[4];

enum TOrderChange : int32_t {
    ocBringToFront = 0,
    ocSendToBack = 1,
    ocBringForward = 2,
    ocSendBackward = 3,
};
extern const char *const OrderChangeCaptions[4];

// The messages of the alignment tools.
extern const char *const NotANumberMessage;
extern const char *const TooFewForSidesMessage;
extern const char *const NothingForEdgesMessage;

// One alignment pass of tool atAlignSides or atEdgeAlign over the selection, inches away from the
// reference edge (inside it when positive, outside when negative). "Align Sides" takes the primary
// selection as the reference and leaves it where it is; "Edge Align" takes the label. Stretching
// moves only the one side and leaves the centres alone. False, after telling the user, when too
// few objects are selected.
bool Align(Tdrawlist &doc, TAlignTool tool, bool stretch, int32_t side, double inches);

// Gives every selected object the smallest or largest height or width among them, keeping its
// left and top edges. Nothing happens with nothing selected.
void MatchSizes(Tdrawlist &doc, TSizeMatch how);

// Moves the selection to the front or back, or one place up or down, keeping the selected
// objects' order among themselves.
void ChangeOrder(Tdrawlist &doc, TOrderChange how);

// The alignment panel: which tool is chosen, moving or stretching, and what that shows.
class Talignpanel {
public:
    TAlignTool GetTool() const { return Tool; }
    void SetTool(TAlignTool tool);
    bool GetStretch() const { return Stretch; }
    void SetStretch(bool stretch) { Stretch = stretch; }

    QString GetTypeText() const;
    // The move or stretch choice, the distance and the side buttons.
    bool IsSideBandVisible() const { return Tool == atAlignSides || Tool == atEdgeAlign; }
    bool AreSizeButtonsVisible() const { return Tool == atMatchSizes; }
    bool AreOrderButtonsVisible() const { return Tool == atChangeOrder; }
    // Both "Center" buttons work only when moving, "All" only when stretching.
    bool IsCentreEnabled() const { return !Stretch; }
    bool IsAllEnabled() const { return Stretch; }

    // A side button. inches is the distance box's number, none when its text is not a number:
    // the user is told and nothing changes.
    void AlignSide(Tdrawlist &doc, int32_t side, std::optional<double> inches) const;
    // "All": top, left, right and bottom in turn, undone in one step; a selection too small for
    // the first side is reported once.
    void AlignAll(Tdrawlist &doc, std::optional<double> inches) const;

private:
    TAlignTool Tool = atAlignSides;
    bool Stretch = false;
};
