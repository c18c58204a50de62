#pragma once
// The sheet a template describes: the spots where labels sit on a US-letter page, in inches
// from the page's top-left corner, with the page's orientation and the parameters of the
// automatic layout that placed them.

#include "platform/colors.h"

#include <QIODevice>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The most spots a file's geometry section may hold; a larger count reads as none.
constexpr int32_t MaxSpots = 100;
// The layout block's size in files.
constexpr int32_t LayoutBlockSize = 64;

// value, or 0.001 when it lies outside [0.001, 100] or is not a number.
double ClampSize(double value);

// A width and a height, or a position, in inches.
struct TPointPair {
    double X = 0.0;
    double Y = 0.0;
};
TPointPair PointPair(double x, double y);

// One label's place on the sheet.
class Tlabelgeometry {
public:
    // Copies the place and Marked, not the display colour.
    void Assign(const Tlabelgeometry &source);
    // SpotLeft, SpotTop, SpotWidth, SpotHeight as four doubles (32 bytes).
    void SaveToStream(QIODevice &stream) const;
    // Reads the four doubles while bytes remain, then clamps all four with ClampSize.
    void LoadFromStream(QIODevice &stream);

    double SpotHeight = 0.0;
    double SpotLeft = 0.0;
    double SpotWidth = 0.0;
    double SpotTop = 0.0;
    // The spot's colour in sheet drawings; 0 until it is first drawn. Never stored.
    TColor SpotColor = 0;
    // Chosen: the spot clicked in the template editor, or a spot to print. Never stored.
    bool Marked = false;
};

// Whether a spot can print on its page.
enum class TSpotFit : uint8_t {
    Prints,
    OffPage,  // a value that is not a finite number, or the spot lies wholly outside the page
    TooSmall, // 0.001 inch wide or high or less (what a file's impossible size reads as)
    TooLarge, // wider or higher than the 100 inches a file keeps
};

// The eight values of the automatic layout, in inches: the page's left and top edges to the
// first label, the grid's columns and rows, the gaps between neighbouring labels, one label.
struct TGridLayout {
    double LeftMargin = 0.0;
    double TopMargin = 0.0;
    int32_t Columns = 0;
    int32_t Rows = 0;
    double HGutter = 0.0;
    double VGutter = 0.0;
    double LabelWidth = 0.0;
    double LabelHeight = 0.0;
};

class Tlabelgeometrylist {
public:
    Tlabelgeometry *GetSpot(int32_t index) const { return Spots[index].get(); }
    int32_t Count() const { return static_cast<int32_t>(Spots.size()); }
    int32_t MarkedCount() const;
    // Appends a spot and returns its index.
    int32_t Add(std::unique_ptr<Tlabelgeometry> spot);
    // Removes and frees the spot at index.
    void Delete(int32_t index);
    // US letter: 8.5 by 11 inches portrait, 11 by 8.5 landscape; any other orientation leaves
    // width and height as they were.
    void GetPageSize(double &width, double &height) const;
    TPointPair GetPageSize() const;
    // Whether the spot at index can print on the page of the list's orientation.
    TSpotFit Fit(int32_t index) const;
    // The marked spots, counted from 0 in order.
    std::vector<int32_t> MarkedSpots() const;
    // Of the spots listed (counted from 0; a number the sheet lacks names none), those that
    // can print.
    int32_t PrintableCount(const std::vector<int32_t> &spots) const;
    // Those same spots themselves, in the order listed: the ones a run of labels fills.
    std::vector<int32_t> PrintableSpots(const std::vector<int32_t> &spots) const;
    // Of the spots listed, those that cannot print, said in sentences ("Spot 3 lies outside the
    // 8.5 × 11 in page."); empty when every one can.
    QString UnprintableSpots(const std::vector<int32_t> &spots) const;
    // The same for the marked spots.
    int32_t PrintableMarkedCount() const { return PrintableCount(MarkedSpots()); }
    QString UnprintableMarkedSpots() const { return UnprintableSpots(MarkedSpots()); }
    // Copies of the source's spots and its orientation; the layout block stays.
    void Assign(const Tlabelgeometrylist &source);
    // Frees every spot; orientation and layout block stay.
    void Clear();
    // The automatic layout: the spots replaced by the grid the layout block describes, row by
    // row, each the layout's label size; the block is then valid. Counts of 0 or less give no
    // spots.
    void LayOutGrid();
    // The same after the grid's values went into the layout block.
    void LayOutGrid(const TGridLayout &grid);
    // The layout block's values.
    TGridLayout GridLayout() const;
    // How a geometry section read.
    enum class TSectionRead : uint8_t {
        Whole,        // every part, as written
        TooManySpots, // a count above MaxSpots, read as no spots, of spots the stream holds
        Damaged,      // the stream ended inside the section or before the spots its count
                      // names, or the count was below 0
    };
    // The geometry section of a template file: the spot count, the spots, the orientation byte
    // and the layout block, each read only while bytes remain; what a file lacks at its end
    // keeps its value. A count above MaxSpots (or below 0) reads as no spots.
    TSectionRead LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream) const;

    // 0 portrait, 1 landscape.
    uint8_t Orientation = 0;
    // The layout block: how the automatic layout placed the spots.
    double LayoutLeftMargin = 0.0;
    double LayoutTopMargin = 0.0;
    int32_t LayoutColumns = 0;
    int32_t LayoutRows = 0;
    double LayoutHGutter = 0.0;
    double LayoutVGutter = 0.0;
    double LayoutLabelWidth = 0.0;
    double LayoutLabelHeight = 0.0;
    // 1 after the automatic layout made the spots, 0 once a spot was moved by hand.
    uint8_t LayoutValid = 0;
    // Kept as read from a file, 0 in a new list.
    std::array<uint8_t, 7> Reserved{};

private:
    std::vector<std::unique_ptr<Tlabelgeometry>> Spots;
};
