// PNG writing and reading at the two sizes the program meets: the 152 by 133 thumbnail every
// project and template carries, and a Full HD photo placed as a picture.
//
// The writer's fixed settings (zlib level 6, adaptive choice among all five filters) were
// picked with these images and a smoothed copy of the photo. Sizes, and times of one Release
// encode on the 2-core build machine:
//                 level 6, all filters   best single filter     level 4, all   level 9, all
//   thumbnail      3,842 B     0.7 ms    None  3,102 B          4,056 B        3,620 B
//   noisy photo    2.72 MB     0.9 s     Sub   2.85 MB          2.69 MB 0.35 s 2.72 MB 1.0 s
//   smooth photo   1.12 MB     0.44 s    Paeth 1.12 MB          1.22 MB 0.18 s 1.01 MB 8 s
// All filters win on photos, where the bytes are; on drawings the few hundred bytes they lose
// do not matter.
//
// JPEG reading with a 12-megapixel camera photograph (4000 by 3000, 3.8 MB at quality 90), as
// stored and as a turned camera stores it (EXIF orientation 6, a quarter turn after decoding).
// Medians of a Release build on the 2-core build machine: 62 ms, and 87 ms turned. libjpeg
// itself takes about 30 ms; most of the rest is faulting in the 48 MB of pixels. With pixels
// from the ordinary allocator (4 KB pages, each faulted in on its own in this virtual machine)
// the plain decode took 230 ms of processor time (500 ms by the clock on the machine as loaded
// then); in transparent huge pages (AllocateImage) it takes the above.

#include "codecs/imagecodecs.h"
#include "codecs/png.h"
#include "platform/platform.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <benchmark/benchmark.h>
#include <random>

namespace {

// A label as its thumbnail shows it: a paper-coloured ground, a gradient band, a gold seal,
// bars of text and a frame.
QImage LabelThumbnail()
{
    QImage image(152, 133, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(8, 8, 136, 117), QColor(245, 238, 220));
    QLinearGradient band(0, 20, 0, 50);
    band.setColorAt(0, QColor(120, 20, 40));
    band.setColorAt(1, QColor(60, 10, 20));
    p.fillRect(QRect(8, 20, 136, 30), band);
    QRadialGradient seal(76, 90, 24);
    seal.setColorAt(0, QColor(230, 200, 90));
    seal.setColorAt(1, QColor(150, 110, 30));
    p.setBrush(seal);
    p.setPen(QPen(QColor(90, 60, 10), 2));
    p.drawEllipse(QPointF(76, 90), 24, 24);
    p.fillRect(QRect(20, 60, 40, 6), QColor(40, 40, 40));
    p.fillRect(QRect(92, 60, 40, 6), QColor(40, 40, 40));
    p.setPen(QPen(QColor(120, 20, 40), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(12, 12, 127, 108));
    return image;
}

// A landscape: a sky gradient, soft blobs of colour, and a little sensor noise on every channel.
QImage PhotoLike()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(QColor(70, 90, 60));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 0, 600);
        sky.setColorAt(0, QColor(90, 140, 210));
        sky.setColorAt(1, QColor(220, 200, 170));
        p.fillRect(QRect(0, 0, 1920, 600), sky);
        std::mt19937 random(3);
        std::uniform_int_distribution<int> x(0, 1920), y(300, 1080), r(60, 400), c(30, 220);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 40; ++i) {
            QRadialGradient blob(x(random), y(random), r(random));
            blob.setColorAt(0, QColor(c(random), c(random), c(random), 200));
            blob.setColorAt(1, QColor(c(random), c(random), c(random), 0));
            p.setBrush(blob);
            p.drawEllipse(blob.center(), blob.radius(), blob.radius());
        }
    }
    std::mt19937 random(9);
    std::uniform_int_distribution<int> noise(-3, 3);
    const auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb(clamp(qRed(line[x]) + noise(random)), clamp(qGreen(line[x]) + noise(random)),
                           clamp(qBlue(line[x]) + noise(random)));
    }
    return image;
}

void Encode(benchmark::State &state, const QImage &image)
{
    qint64 size = 0;
    for (auto _ : state) {
        const QByteArray bytes = EncodePng(image);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.counters["bytes"] = double(size);
    state.SetBytesProcessed(state.iterations() * image.sizeInBytes());
}

void Decode(benchmark::State &state, const QImage &image)
{
    const QByteArray bytes = EncodePng(image);
    for (auto _ : state) {
        const QImage decoded = DecodePng(bytes);
        benchmark::DoNotOptimize(decoded.constBits());
    }
    state.counters["bytes"] = double(bytes.size());
    state.SetBytesProcessed(state.iterations() * image.sizeInBytes());
}

void EncodeThumbnail(benchmark::State &state)
{
    Encode(state, LabelThumbnail());
}
BENCHMARK(EncodeThumbnail)->Unit(benchmark::kMicrosecond);

void DecodeThumbnail(benchmark::State &state)
{
    Decode(state, LabelThumbnail());
}
BENCHMARK(DecodeThumbnail)->Unit(benchmark::kMicrosecond);

void EncodePhoto(benchmark::State &state)
{
    Encode(state, PhotoLike());
}
BENCHMARK(EncodePhoto)->Unit(benchmark::kMillisecond);

void DecodePhoto(benchmark::State &state)
{
    Decode(state, PhotoLike());
}
BENCHMARK(DecodePhoto)->Unit(benchmark::kMillisecond);

// A camera photograph: a sky gradient over a darker ground, soft blobs, thin branches and
// sensor noise, so the encoder meets both smooth areas and detail.
QImage CameraPhoto()
{
    constexpr int Width = 4000, Height = 3000;
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(QColor(60, 80, 50));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 0, 1800);
        sky.setColorAt(0, QColor(70, 120, 200));
        sky.setColorAt(1, QColor(230, 210, 180));
        p.fillRect(QRect(0, 0, Width, 1800), sky);
        std::mt19937 random(5);
        std::uniform_int_distribution<int> x(0, Width), y(0, Height), r(100, 800), c(30, 220);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 60; ++i) {
            QRadialGradient blob(x(random), y(random) / 2 + 1500, r(random));
            blob.setColorAt(0, QColor(c(random), c(random), c(random), 200));
            blob.setColorAt(1, QColor(c(random), c(random), c(random), 0));
            p.setBrush(blob);
            p.drawEllipse(blob.center(), blob.radius(), blob.radius());
        }
        for (int i = 0; i < 400; ++i) {
            p.setPen(QPen(QColor(c(random) / 3, c(random) / 3, c(random) / 4), 1 + i % 4));
            p.drawLine(x(random), y(random), x(random), y(random));
        }
    }
    std::mt19937 random(11);
    std::uniform_int_distribution<int> noise(-4, 4);
    const auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    for (int y = 0; y < Height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            const int n = noise(random);
            line[x] = qRgb(clamp(qRed(line[x]) + n), clamp(qGreen(line[x]) + n), clamp(qBlue(line[x]) + n));
        }
    }
    return image;
}

QByteArray CameraJpeg()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setQuality(90);
    writer.write(CameraPhoto());
    return bytes;
}

// An APP1 EXIF block, big-endian, whose one IFD entry is the orientation.
QByteArray ExifOrientation(int orientation)
{
    const char tiff[] = {'M',  'M',  0, 42, 0, 0, 0, 8, 0, 1,
                         0x01, 0x12, 0, 3,  0, 0, 0, 1, 0, char(orientation),
                         0,    0,    0, 0,  0, 0};
    const QByteArray payload = QByteArray("Exif\0\0", 6) + QByteArray(tiff, sizeof tiff);
    const int length = int(payload.size()) + 2;
    return QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload;
}

void DecodeJpegOf(benchmark::State &state, const QByteArray &jpeg)
{
    for (auto _ : state) {
        const QImage decoded = DecodeJpeg(jpeg);
        benchmark::DoNotOptimize(decoded.constBits());
    }
    state.counters["bytes"] = double(jpeg.size());
    state.SetBytesProcessed(state.iterations() * 4000 * 3000 * 4);
}

void DecodeJpegPhoto(benchmark::State &state)
{
    DecodeJpegOf(state, CameraJpeg());
}
BENCHMARK(DecodeJpegPhoto)->Unit(benchmark::kMillisecond);

void DecodeJpegTurnedPhoto(benchmark::State &state)
{
    const QByteArray jpeg = CameraJpeg();
    DecodeJpegOf(state, jpeg.left(2) + ExifOrientation(6) + jpeg.mid(2));
}
BENCHMARK(DecodeJpegTurnedPhoto)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InitPlatform();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
