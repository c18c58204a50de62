#pragma once
// The look at a label before it goes to paper: what would come out wrong, one line each, for
// the print wizard to list and the PDF export to warn of. A pure function of the documents:
// nothing is changed, nothing depends on what the screen last showed.

#include <QString>
#include <cstdint>
#include <vector>

class Tdrawlist;
class Tdrawobj;

// What is wrong, one kind per case the check finds.
enum class TPrintIssue : uint8_t {
    TextCut,       // a text box's text goes on below its bottom
    LowResolution, // a picture has too few pixels for its printed size
    PastEdge,      // an object reaches past the label's edge
    EmptyPrompt,   // a text box shows its prompt on screen and prints nothing
    CodeInvalid,   // a code's data does not encode: the code is left out
    CodeTooSmall,  // a code's modules are too small for scanners
    FieldUnfilled, // a text or a code holds a field the labels' data has no value for
};

// A picture under this many dots per inch at its printed size looks coarse.
constexpr int32_t MinPictureDpi = 200;
// An object may reach this far past the label's edge (in document units, 1/32 inch) before the
// check names it: the print bleeds 1/16 inch, so less is a bleed, not a mistake.
constexpr double EdgeAllowance = 1000.0 / 32;
// The narrowest module scanners are trusted to read, in millimetres.
constexpr double MinModuleMillimetres = 0.25;
// Text is measured as a 600 dots per inch page lays it out.
constexpr double CheckScale = 0.6;

struct TFieldValues;

struct TPrintProblem {
    TPrintIssue Issue;
    // The document the object belongs to (the label or its template) and its place in it.
    const Tdrawlist *Document = nullptr;
    int32_t Object = 0;
    // One line for the user: "Text "Domaine de la Croix…" is cut at the bottom of its box …".
    QString Text;
};

// How the check names an object: "Text "Domaine de la…"", "A picture", "EAN-13 "4006…"".
QString ObjectDescription(const Tdrawobj &object);

// Checks one document's objects against its label rectangle.
std::vector<TPrintProblem> CheckDocument(const Tdrawlist &document);
// Checks what prints: the template's objects first (they are drawn first), then the label's.
std::vector<TPrintProblem> CheckBeforePrinting(const Tdrawlist &project);
// Names each object of the document holding fields that values (the names of the labels' data,
// with an empty record) leaves unfilled: they print as written.
std::vector<TPrintProblem> CheckFields(const Tdrawlist &document, const TFieldValues &values);
