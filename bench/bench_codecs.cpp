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

#include "codecs/png.h"
#include "platform/platform.h"

#include <QGuiApplication>
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
