#pragma once
// The encoder of the code object: the symbologies it offers, the rules their data follows
// (checked with a message a user understands), and the symbol as shapes measured in modules,
// quiet zones included. The encoding library stays behind this header: nothing else sees it.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The symbologies, numbered as files store them.
enum class TSymbology : uint8_t {
    QrCode = 0,
    Ean13 = 1,
    UpcA = 2,
    Ean8 = 3,
    Code128 = 4,
    Gs1_128 = 5,
    DataMatrix = 6,
    Gs1DataMatrix = 7,
    Code39 = 8,
};
constexpr int SymbologyCount = 9;

// The error-correction levels of a QR code, numbered as files store them.
enum class TQrLevel : uint8_t { L = 0, M = 1, Q = 2, H = 3 };
constexpr int QrLevelCount = 4;
extern const char *const QrLevelNames[QrLevelCount]; // "L (7 %)", ...

// What the program knows of a symbology.
struct TSymbologyInfo {
    TSymbology Symbology;
    const char *Name;      // as the tool window lists it: "QR Code", "EAN-13", ...
    bool Linear;           // bars in one row, human-readable text below them
    bool Gs1;              // the data is application identifiers in brackets
    int32_t NominalModule; // the module (X-dimension) the standard calls nominal, in thousandths of
                           // an inch; 0 where the standard names none
    int32_t DefaultModule; // the module a new code gets, in thousandths of an inch
    const char *Example;   // data that encodes, offered in a new code
};

// The facts of a symbology; nullptr for a number that names none (a file of a newer program).
const TSymbologyInfo *SymbologyInfo(uint8_t symbology);

// A code as the user describes it.
struct TCodeSpec {
    uint8_t Symbology = uint8_t(TSymbology::QrCode);
    QString Data;
    uint8_t QrLevel = uint8_t(TQrLevel::M);
    bool ShowText = true;

    bool operator==(const TCodeSpec &) const = default;
};

// The symbol, in modules from its top-left, the quiet zones included.
struct TCodeBox {
    double X, Y, Width, Height;
};
struct TCodeHexagon {
    double X, Y, Diameter; // centre
    int32_t Rotation;      // degrees: 0, 90, 180, 270
};
struct TCodeCircle {
    double X, Y, Diameter, Width; // centre; Width 0 is a disc, otherwise the ring's width
    bool Background;              // drawn in the background's colour (a gap in what lies beneath)
};
struct TCodeText {
    double X, Baseline, Size; // X is where the text is anchored; Size is its em height
    int32_t Align;            // 0 centred on X, 1 starting at X, 2 ending at X
    QString Text;
};
struct TCodeVector {
    double Width = 0, Height = 0;
    // Where the bars of a linear code end and its text zone begins (the whole height for the rest).
    double BarZoneBottom = 0;
    std::vector<TCodeBox> Boxes;
    std::vector<TCodeHexagon> Hexagons;
    std::vector<TCodeCircle> Circles;
    std::vector<TCodeText> Texts;
};

// The encoder's answer: the symbol, or why there is none.
struct TCodeResult {
    std::shared_ptr<const TCodeVector> Vector;
    // Empty when the symbol was made; otherwise what is wrong, for the user
    // ("EAN-13 takes 12 or 13 digits; "12345" has 5").
    QString Error;
    // What a reader reports for the symbol: the data, an EAN's or UPC's check digit included,
    // GS1 data as its element string ("(01)...(10)LOT" as "01...10LOT").
    QString ReadsAs;
};

// The data rules of the symbology, checked before the encoder sees the data; empty when the
// data may be encoded.
QString CheckCodeData(const TCodeSpec &spec);
// Checks and encodes. Never raises: every failure is an Error.
TCodeResult EncodeCode(const TCodeSpec &spec);
// The check digit of a GS1 number (EAN, UPC) for its digits without it.
int GtinCheckDigit(const QString &digits);
// The font family the symbology's human-readable text is set in.
QString CodeTextFont(uint8_t symbology);
