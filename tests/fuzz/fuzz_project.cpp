// Project files of any content. Loading never crashes, leaks or hangs; whatever loads saves
// without an error and loads again to the same objects; every object lies where the old-origin
// move leaves it.

#include "documentfuzz.h"
#include "fuzzsupport.h"

#include "document/drawobj.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return StartDocumentFuzzing();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Tdrawlist doc;
    LoadInput(doc, data, size);
    FUZZ_CHECK(doc.GetUndoList().Count() == 0);
    FUZZ_CHECK((doc.FileVersion >= 0 && doc.FileVersion <= NewestFileVersion) || doc.Count() == 0);
    Tdrawlist again;
    SaveAndReload(doc, again);
    return 0;
}
