#include "common/testsupport.h"

#include "document/drawlist.h"
#include "document/labelgeometry.h"
#include "document/labeltemplate.h"
#include "platform/streams.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <stdexcept>

QByteArray WrittenBytes(const std::function<void(QIODevice &)> &write)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    write(buffer);
    return buffer.data();
}

qint64 ReadBack(const QByteArray &bytes, const std::function<void(QIODevice &)> &read)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    read(buffer);
    return buffer.pos();
}

int32_t Load(Tdrawlist &doc, const QByteArray &bytes)
{
    int32_t result = 0;
    ReadBack(bytes, [&](QIODevice &stream) { result = doc.LoadFromStream(stream); });
    return result;
}

QByteArray RecordOf(const Tdrawobj &o)
{
    return WrittenBytes([&](QIODevice &stream) { o.WriteToStream(stream); });
}

void ReadRecordInto(Tdrawobj &o, const QByteArray &bytes)
{
    ReadBack(bytes, [&](QIODevice &stream) { o.ReadFromStream(stream); });
}

QByteArray Int32Bytes(int32_t v)
{
    return WrittenBytes([&](QIODevice &stream) { WriteInt32(stream, v); });
}

QByteArray Doubles(std::initializer_list<double> values)
{
    return WrittenBytes([&](QIODevice &stream) {
        for (double v : values)
            WriteDouble(stream, v);
    });
}

QByteArray LString(const QByteArray &text)
{
    return Int32Bytes(static_cast<int32_t>(text.size())) + text;
}

void SetUpLabel(Tdrawlist &doc, double width, double height)
{
    doc.SetLabelRect({100000, 100000, 100001, 100001});
    doc.SetLabelWidth(width);
    doc.SetLabelHeight(height);
}

std::unique_ptr<Tlabelgeometry> Spot(double left, double top, double width, double height)
{
    auto spot = std::make_unique<Tlabelgeometry>();
    spot->SpotLeft = left;
    spot->SpotTop = top;
    spot->SpotWidth = width;
    spot->SpotHeight = height;
    return spot;
}

Tlabelgeometry *AddSpot(tlabeltemplate &t, double left, double top, double width, double height)
{
    return t.Geometry.GetSpot(t.Geometry.Add(Spot(left, top, width, height)));
}

TColor PixelAt(const QImage &image, int x, int y)
{
    return FromQColor(image.pixelColor(x, y));
}

QString WriteTestFile(const QString &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("could not write " + path.toStdString());
    return path;
}

QImage WhiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

std::string ImageDifference(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return "the sizes differ";
    int count = 0;
    char first[120] = "";
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (PixelAt(actual, x, y) != PixelAt(expected, x, y) && count++ == 0)
                std::snprintf(first, sizeof first, "; the first at (%d, %d) is 0x%08X, not 0x%08X", x, y,
                              unsigned(PixelAt(actual, x, y)), unsigned(PixelAt(expected, x, y)));
    return count == 0 ? std::string() : std::to_string(count) + " pixels differ" + first;
}

std::string WrongPixels(const QImage &image, std::initializer_list<TPixel> expected)
{
    std::string wrong;
    for (const TPixel &p : expected) {
        const TColor actual = PixelAt(image, p.X, p.Y);
        if (actual == p.Colour)
            continue;
        char line[80];
        std::snprintf(line, sizeof line, "%s(%d, %d) is 0x%08X, not 0x%08X", wrong.empty() ? "" : "; ", p.X,
                      p.Y, unsigned(actual), unsigned(p.Colour));
        wrong += line;
    }
    return wrong;
}

TSmallFileSystem::TSmallFileSystem(const QString &folder, int kilobytes)
{
    // The helper mounts, says so, remounts read-only for every line it reads, and ends (its
    // namespace with it) when its input closes.
    const QString script =
        QStringLiteral("mount -t tmpfs -o size=%1k tmpfs \"$0\" || exit 1; echo mounted; "
                       "while read line; do mount -o remount,bind,ro \"$0\" && echo ro; done")
            .arg(kilobytes);
    QDir().mkpath(folder);
    Helper.start(QStringLiteral("unshare"),
                 {QStringLiteral("--user"), QStringLiteral("--map-root-user"), QStringLiteral("--mount"),
                  QStringLiteral("sh"), QStringLiteral("-c"), script, folder});
    if (Helper.waitForReadyRead(10000) && Helper.readLine().trimmed() == "mounted")
        Root = QStringLiteral("/proc/%1/root%2").arg(Helper.processId()).arg(QDir(folder).absolutePath());
    else
        Why = QStringLiteral("unshare could not mount a tmpfs: ") + Helper.errorString() + QLatin1Char(' ') +
              QString::fromLocal8Bit(Helper.readAllStandardError());
}

TSmallFileSystem::~TSmallFileSystem()
{
    Helper.closeWriteChannel();
    if (!Helper.waitForFinished(5000))
        Helper.kill();
    Helper.waitForFinished(1000);
}

bool TSmallFileSystem::MakeReadOnly()
{
    Helper.write("ro\n");
    return Helper.waitForReadyRead(5000) && Helper.readLine().trimmed() == "ro";
}
