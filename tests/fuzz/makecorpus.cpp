// Writes the seed files of the project, template and code harnesses: valid files of every version
// with every kind of object, made by the program itself (versions 2 and 3) or framed by hand the
// way older versions were (0 and 1), and one code record of every symbology.
//   fuzz_makecorpus <corpus folder>   writes <folder>/project/*, <folder>/template/* and <folder>/code/*

#include "common/testsupport.h"
#include "document/code.h"
#include "document/globals.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/platform.h"
#include "platform/stringstream.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

namespace {

// One object of every kind the files hold, small.
void AddEveryKind(Tdrawlist &doc, int32_t origin)
{
    auto shape = std::make_unique<Tvnlshape>();
    shape->Bounds = {origin + 100, origin + 100, origin + 900, origin + 700};
    shape->SetShapeStyle(TShapeStyle::Polygon);
    shape->SetSideCount(6);
    shape->SetDrawFill(true);
    doc.AddObject(std::move(shape));
    auto line = std::make_unique<Tvnlline>();
    line->Bounds = {origin + 200, origin + 1000, origin + 2000, origin + 1100};
    doc.AddObject(std::move(line));
    auto text = std::make_unique<Tvnltext>();
    text->Bounds = {origin + 1000, origin + 200, origin + 3500, origin + 800};
    text->SetText(QStringLiteral("Château Fuzz\r\nRéserve ✓"));
    doc.AddObject(std::move(text));
    auto picture = std::make_unique<Tvnlpic>();
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(qRgb(120, 20, 60));
    picture->SetPicture(image);
    picture->Bounds = {origin + 1500, origin + 1500, origin + 2100, origin + 1900};
    doc.AddObject(std::move(picture));
    auto symbol = std::make_unique<Tvnlsymbol>();
    symbol->Bounds = {origin + 2500, origin + 2500, origin + 2900, origin + 2900};
    doc.AddObject(std::move(symbol));
    auto plain = std::make_unique<Tdrawobj>();
    plain->Bounds = {origin + 3000, origin + 3000, origin + 3300, origin + 3200};
    doc.AddObject(std::move(plain));
}

// One code of every symbology, in a column.
void AddEveryCode(Tdrawlist &doc, int32_t origin)
{
    for (int i = 0; i < SymbologyCount; ++i) {
        auto code = std::make_unique<Tvnlcode>();
        code->SetSymbology(uint8_t(i));
        code->SetData(QString::fromLatin1(SymbologyInfo(uint8_t(i))->Example));
        code->SetQrLevel(uint8_t(i % QrLevelCount));
        code->SetShowText(i % 2 == 0);
        code->Bounds = {origin + 100, origin + 100 + i * 600, origin + 1600, origin + 600 + i * 600};
        doc.AddObject(std::move(code));
    }
}

QByteArray ObjectList(Tdrawlist &doc)
{
    return WrittenBytes([&](QIODevice &stream) { doc.SaveObjects(stream); });
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

void AddSpots(tlabeltemplate &t, int count)
{
    for (int i = 0; i < count; ++i)
        t.Geometry.Add(Spot(0.5 + (i % 2) * 4.25, 0.5 + (i / 2) * 3.5, 4.0, 3.25));
    t.Geometry.LayoutColumns = 2;
    t.Geometry.LayoutRows = (count + 1) / 2;
    t.Geometry.LayoutLabelWidth = 4.0;
    t.Geometry.LayoutLabelHeight = 3.25;
    t.Geometry.LayoutValid = 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InitPlatform();
    InitDocumentModule();
    // Small thumbnails keep the seeds small.
    ThumbnailWidth = 24;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("project"));
    folder.mkpath(QStringLiteral("template"));
    folder.mkpath(QStringLiteral("code"));
    bool ok = true;

    // Code records: one of every symbology, and the damaged forms the readers meet.
    Tdrawlist codes;
    SetUpLabel(codes);
    AddEveryCode(codes, 100000);
    for (int32_t i = 0; i < codes.Count(); ++i) {
        const QByteArray record = RecordOf(*codes.GetObject(i));
        const QString name = QString::fromLatin1(SymbologyInfo(uint8_t(i))->Name).replace(u' ', u'-');
        ok &= Write(folder.filePath(QStringLiteral("code/%1").arg(name)), record);
    }
    const QByteArray ean = RecordOf(*codes.GetObject(int32_t(TSymbology::Ean13)));
    ok &= Write(folder.filePath(QStringLiteral("code/damaged-cut-in-data")), ean.chopped(5));
    ok &= Write(folder.filePath(QStringLiteral("code/damaged-length-beyond")),
                QByteArray(ean).replace(38, 4, Int32Bytes(0x7FFFFFF0)));
    ok &= Write(folder.filePath(QStringLiteral("code/damaged-unknown-symbology")),
                QByteArray(ean).replace(31, 1, QByteArray(1, char(200))));
    ok &= Write(folder.filePath(QStringLiteral("code/damaged-wrong-check-digit")),
                QByteArray(ean).replace(ean.size() - 1, 1, "9"));

    // Projects.
    Tdrawlist empty;
    SetUpLabel(empty);
    ok &= Write(folder.filePath(QStringLiteral("project/empty-v2.wlp")), Saved(empty));
    Tdrawlist every;
    SetUpLabel(every);
    AddEveryKind(every, 100000);
    every.Title = QStringLiteral("Every kind");
    ok &= Write(folder.filePath(QStringLiteral("project/every-kind-v2.wlp")), Saved(every));
    Tdrawlist withCodes;
    SetUpLabel(withCodes);
    AddEveryKind(withCodes, 100000);
    AddEveryCode(withCodes, 100000);
    ok &= Write(folder.filePath(QStringLiteral("project/every-kind-and-codes-v3.wlp")), Saved(withCodes));
    const QByteArray v1 = Int32Bytes(1) + "vnlabel_v1" + QByteArray(1, '\0') + Int32Bytes(0) +
                          LString("Version one") + LString("4.00x3.50") + LString("templates\\Standard.wlt") +
                          ObjectList(every);
    ok &= Write(folder.filePath(QStringLiteral("project/every-kind-v1.wlp")), v1);
    Tdrawlist old;
    SetUpLabel(old);
    AddEveryKind(old, 10000);
    const QByteArray v0 =
        Int32Bytes(0) + "vnlabel_v1" + QByteArray(1, '\0') + LString("Standard.wlt") + ObjectList(old);
    ok &= Write(folder.filePath(QStringLiteral("project/old-origin-v0.wlp")), v0);

    // Templates.
    tlabeltemplate t;
    SetUpLabel(t, 4.0, 3.25);
    AddEveryKind(t, 100000);
    AddEveryKind(t.StarterObjects, 100000);
    AddSpots(t, 6);
    t.Title = QStringLiteral("Six labels, 4 by 3¼");
    ok &= Write(folder.filePath(QStringLiteral("template/six-v2.wlt")), Saved(t));
    tlabeltemplate codeStarters;
    SetUpLabel(codeStarters, 4.0, 3.25);
    AddEveryCode(codeStarters.StarterObjects, 100000);
    AddSpots(codeStarters, 2);
    ok &= Write(folder.filePath(QStringLiteral("template/code-starters-v3.wlt")), Saved(codeStarters));
    const QByteArray description = EncodeFileText(t.Title);
    const QByteArray header1 = Int32Bytes(1) + "vntempl_v1" + QByteArray(1, '\0') + Int32Bytes(0) +
                               LString("") + LString("4.00x3.25") + LString("");
    ok &= Write(folder.filePath(QStringLiteral("template/six-v1.wlt")),
                header1 + ObjectList(t) + Saved(t.Geometry) + LString(description));
    t.MakeThumbnail();
    const QByteArray thumbnail = t.ThumbnailStream.data();
    tlabeltemplate oldTemplate;
    SetUpLabel(oldTemplate, 4.0, 3.25);
    AddEveryKind(oldTemplate, 10000);
    AddSpots(oldTemplate, 2);
    const QByteArray header0 = Int32Bytes(0) + "vntempl_v1" + QByteArray(1, '\0') + LString("");
    ok &= Write(folder.filePath(QStringLiteral("template/two-v0.wlt")),
                header0 + ObjectList(oldTemplate) + Saved(oldTemplate.Geometry) + Int32Bytes(3) + "Two" +
                    thumbnail);
    return ok ? 0 : 1;
}
