#pragma once
// What the harnesses of project and template files share: scripted answers for every question a
// load can ask, and the checks that what loaded saves and loads again.

#include "document/drawlist.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// Every message box is answered with Cancel and every file dialog is cancelled, so a load never
// waits and never reads a file an input names.
void AnswerEverythingWithCancel();

// The editor's label: the rectangle from (100000, 100000), 4 by 3.5 inches.
void SetUpFuzzLabel(Tdrawlist &doc);

// Loads the input into doc from a memory stream; the stream's position afterwards and the
// result must stay within the input, and the document is modified only when the load reported
// damage.
void LoadInput(Tdrawlist &doc, const uint8_t *data, size_t size);

// Saves doc, which must not raise, and loads the bytes into again, which must load whole and
// give the same number of objects; the saved bytes are returned.
QByteArray SaveAndReload(Tdrawlist &doc, Tdrawlist &again);
