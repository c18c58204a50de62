#pragma once
// What one print run varies, in one value: where the sheet sits against the paper, how
// pictures are drawn, how many sheets print, on which spots of the template's sheet, and the
// data the labels are filled from. The
// print wizard's logic owns the value the wizard and the preview show; the PDF export builds
// one from its command line; the sheet composer takes it on every call and keeps none.

#include "document/datarun.h"

#include <cstdint>
#include <vector>

// The largest printer offset either way, in 1/64 inch: a quarter of an inch.
constexpr int32_t MaxNudge = 16;

struct TPrintSettings {
    // The printer offset in 1/64 inch, right and down; at most MaxNudge either way.
    int32_t NudgeX = 0;
    int32_t NudgeY = 0;
    // Pictures drawn from their whole image instead of a cache the size of the output.
    bool HighQuality = false;
    // The sheets one job prints.
    int32_t Copies = 1;
    // The spots that print, counted from 0, in the sheet's order and each once
    // (Tlabelgeometrylist::MarkedSpots gives those the sheet marks).
    std::vector<int32_t> Spots;
    // The printer's scale correction across and down, in hundredths of a per cent (5 is
    // +0.05 %), applied about the sheet's top-left corner after the nudge; 0 changes nothing.
    int32_t ScaleX = 0;
    int32_t ScaleY = 0;
    // The labels differ: numbered, or one per record of a table. Such a run fills the spots in
    // order over as many sheets as it needs, and Copies is not used.
    TDataRun Run;

    bool operator==(const TPrintSettings &) const = default;
};
