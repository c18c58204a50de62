// Template files of any content: as project files, and the sheet read from them holds at most
// 100 spots, each inside the sheet's bounds, with the label as large as the first.

#include "documentfuzz.h"
#include "fuzzsupport.h"

#include "document/labeltemplate.h"

namespace {
void CheckSheet(const tlabeltemplate &t)
{
    const Tlabelgeometrylist &g = t.Geometry;
    FUZZ_CHECK(g.Count() >= 0 && g.Count() <= MaxSpots);
    for (int32_t i = 0; i < g.Count(); ++i) {
        const Tlabelgeometry &s = *g.GetSpot(i);
        for (double v : {s.SpotLeft, s.SpotTop, s.SpotWidth, s.SpotHeight})
            FUZZ_CHECK(v >= 0.001 && v <= 100);
    }
    if (g.Count() > 0) {
        FUZZ_CHECK(t.GetLabelWidth() == g.GetSpot(0)->SpotWidth);
        FUZZ_CHECK(t.GetLabelHeight() == g.GetSpot(0)->SpotHeight);
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return StartDocumentFuzzing();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tlabeltemplate t;
    LoadInput(t, data, size);
    CheckSheet(t);
    tlabeltemplate again;
    SaveAndReload(t, again);
    CheckSheet(again);
    FUZZ_CHECK(again.Geometry.Count() == t.Geometry.Count());
    FUZZ_CHECK(again.StarterObjects.Count() == t.StarterObjects.Count());
    return 0;
}
