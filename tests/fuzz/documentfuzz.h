#pragma once
// What the harnesses of project and template files share: scripted answers for every question a
// load can ask, and the checks that what loaded saves and loads again.

#include "document/drawlist.h"

#include <cstddef>
#include <cstdint>

// The application, with every message box answered with Cancel and every file dialog
// cancelled, so a load never waits and never reads a file an input names. For
// LLVMFuzzerInitialize; gives 0.
int StartDocumentFuzzing();

// Gives doc the editor's label and loads the input into it from a memory stream; the stream's
// position afterwards and the result must stay within the input, and the document is modified
// only when the load reported damage.
void LoadInput(Tdrawlist &doc, const uint8_t *data, size_t size);

// Saves doc, which must not raise, and loads the bytes into again as LoadInput does, which must
// load whole and give objects of the same kinds.
void SaveAndReload(Tdrawlist &doc, Tdrawlist &again);
