#pragma once
// Builders and checks shared by the tests of the image codecs: files written by Qt and by
// libjpeg, hand-made headers, and the largest allocation a decode makes.

#include <QByteArray>
#include <QImage>
#include <gmock/gmock.h>

#include <functional>
#include <optional>
#include <string>

// ---- Bytes

QByteArray BytesOf(std::initializer_list<int> values);
QByteArray Le16(quint32 v);
QByteArray Le32(quint32 v);
QByteArray Be16(quint32 v);
QByteArray Be32(quint32 v);

// ---- Images

// A w x h image of 8 x 8 blocks in saturated colours, different in every block of a 6-block
// cycle, so that any turn or mirror shows and JPEG keeps each block's colour.
QImage Blocks(int width, int height);

// Where the pixel (x, y) of the upright w x h picture lies in the stored image for an EXIF or
// TIFF orientation (1 to 8), and the stored image of an upright one and back.
QPoint StoredPoint(int orientation, int x, int y, int w, int h);
QImage StoredFor(const QImage &upright, int orientation);
QImage UprightOf(const QImage &stored, int orientation);

// The file Qt's writer makes of the image ("JPEG", "BMP", "TIFF", ...; quality -1 for the default).
QByteArray SavedAs(const QImage &image, const char *format, int quality = -1);

// The image holds the expected pixels within tolerance on every channel (alpha included).
testing::AssertionResult NearPixels(const QImage &actual, const QImage &expected, int tolerance = 0);

std::string Text(const QString &s);

// ---- JPEG files written by libjpeg

struct TJpegRecipe {
    int Width = 16;
    int Height = 16;
    int Components = 3; // 1 grey, 3 RGB input, 4 CMYK input
    // What the file stores: JCS_GRAYSCALE, JCS_YCbCr, JCS_RGB, JCS_CMYK or JCS_YCCK (as int).
    int ColorSpace = -1; // -1: libjpeg's default for the input
    bool AdobeMarker = true;
    bool Progressive = false;
    bool Arithmetic = false;
    int RestartRows = 0;
    int Quality = 95;
    int Scans = 0; // > 0: a progressive script of a DC scan and single-coefficient AC scans
    // The input samples of pixel (x, y), Components bytes.
    std::function<void(int x, int y, uchar *samples)> Sample;
};

QByteArray WriteJpeg(const TJpegRecipe &recipe);

// The same file with a segment (marker bytes included) inserted right after SOI.
QByteArray InsertAfterSoi(const QByteArray &jpeg, const QByteArray &segment);

// The TIFF structure of an EXIF block whose first IFD holds a Make tag and then the orientation
// tag, and the APP1 segment that carries such a structure.
QByteArray ExifTiff(int orientation, bool bigEndian);
QByteArray ExifSegmentOf(const QByteArray &tiff);
QByteArray ExifSegment(int orientation, bool bigEndian);

// Where the entropy-coded data of the first scan begins (after its SOS segment).
qsizetype FirstScanData(const QByteArray &jpeg);

// The file with its frame header declaring another size.
QByteArray WithJpegSize(const QByteArray &jpeg, int width, int height);

// ---- Other hand-made files

// A Targa file: the 18-byte header, the colour map and the pixel bytes as given, and with
// footer the signature of version 2.
QByteArray TgaFile(int type, int depth, int width, int height, int descriptor, const QByteArray &pixels,
                   const QByteArray &map = {}, int mapDepth = 0, bool footer = false);

// Writes the bytes to a file of that name in a temporary folder and loads it with LoadImageFile.
QImage LoadBytesAsFile(const QByteArray &bytes, const QString &fileName, QString *error = nullptr);

// ---- Allocations

// Far below any image of the sizes the tests declare, far above the decoders' own structures.
constexpr size_t SmallAllocation = 4 << 20;

// The largest single allocation while f runs; nothing when the build cannot observe it.
std::optional<size_t> LargestAllocationDuring(const std::function<void()> &f);

// Decoding with decode gives a null image with a message containing message, and allocates
// nothing large on the way.
testing::AssertionResult RefusedWithSmallAllocations(const std::function<QImage(QString *)> &decode,
                                                     const std::string &message);
