#pragma once
// Helpers shared by the tests and the fuzz tools: bytes written to and read back from memory
// streams, the file encodings of values, labels and spots set up as the editor sets them up,
// pixels read as colour values, and a small file system that fills up.

#include "platform/colors.h"
#include "settings/regbackend.h"

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QProcess>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

class Tdrawlist;
class Tdrawobj;
class Tlabelgeometry;
class tlabeltemplate;

// The bytes that write puts into an empty memory stream (open for reading too).
QByteArray WrittenBytes(const std::function<void(QIODevice &)> &write);
// Runs read over a memory stream that holds the bytes (not a copy of them), and gives the
// position the stream stands at afterwards.
qint64 ReadBack(const QByteArray &bytes, const std::function<void(QIODevice &)> &read);

// What SaveToStream writes of a document, a template or a sheet geometry.
template <class T> QByteArray Saved(T &saving)
{
    return WrittenBytes([&](QIODevice &stream) { saving.SaveToStream(stream); });
}
// Loads a document from the bytes and gives LoadFromStream's result.
int32_t Load(Tdrawlist &doc, const QByteArray &bytes);

// The record an object writes (header and body, without a length frame).
QByteArray RecordOf(const Tdrawobj &o);
// Reads a record (header and body) into an object.
void ReadRecordInto(Tdrawobj &o, const QByteArray &bytes);

// Values as the files store them: a little-endian int32, doubles, a length-prefixed string.
QByteArray Int32Bytes(int32_t v);
QByteArray Doubles(std::initializer_list<double> values);
QByteArray LString(const QByteArray &text);

// The label rectangle, width and height the editor gives every document.
void SetUpLabel(Tdrawlist &doc, double width = 4.0, double height = 3.5);
// A spot at (left, top), width by height inches, and the same added to a template's sheet.
std::unique_ptr<Tlabelgeometry> Spot(double left, double top, double width, double height);
Tlabelgeometry *AddSpot(tlabeltemplate &t, double left, double top, double width, double height);

// The 0x00BBGGRR colour of the pixel at (x, y).
TColor PixelAt(const QImage &image, int x, int y);
// Writes bytes into the file name in folder (made or replaced) and gives its path; raises
// std::runtime_error when it cannot.
QString WriteTestFile(const QString &folder, const QString &name, const QByteArray &bytes);

// A white 32-bit image of the given size.
QImage WhiteImage(int width, int height);

// A pixel a drawing must give: the colour at (X, Y).
struct TPixel {
    int X, Y;
    TColor Colour;
};
// The pixels of the list that the image does not have, with the colours it has instead; empty
// when all are as expected.
std::string WrongPixels(const QImage &image, std::initializer_list<TPixel> expected);
// In a test: EXPECT_PIXELS(image, {x, y, colour}, ...) expects every pixel listed, and a
// failure names each one that differs.
#define EXPECT_PIXELS(image, ...) EXPECT_EQ(WrongPixels(image, {__VA_ARGS__}), "")

// How two images of the same size differ: empty when every pixel is the same, otherwise how
// many pixels differ and the first of them in both images.
std::string ImageDifference(const QImage &actual, const QImage &expected);

// A settings tree in memory that counts the values written.
class TCountingBackend : public Tmemorybackend {
public:
    int WriteValue(const QString &path, const QString &name, const TRegValue &value) override
    {
        ++Writes;
        return Tmemorybackend::WriteValue(path, name, value);
    }

    int Writes = 0;
};

// A tmpfs of some kilobytes, mounted in the namespace of a helper process (unshare, so no root
// is needed where users may make namespaces) and reached through its root, /proc/<pid>/root;
// nothing stays mounted after the test. Root is empty and Why says why when it cannot mount.
struct TSmallFileSystem {
    TSmallFileSystem(const QString &folder, int kilobytes);
    ~TSmallFileSystem();
    bool MakeReadOnly();

    QProcess Helper;
    QString Root, Why;
};
