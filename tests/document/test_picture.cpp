// Pictures: their default size, the scaled cache and when it survives, the automatic and
// draft limits, the record with its image kinds, undo levels without image data, and drawing.

#include "codecs/png.h"
#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/picture.h"
#include "document/undolevel.h"
#include "platform/canvas.h"
#include "platform/errors.h"
#include "platform/streams.h"

#include <algorithm>
#include <cstdlib>
#include <gmock/gmock.h>

namespace {
const TRect View{0, 0, 400, 400};

QImage Filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Left half red, right half blue.
QImage Halves(int w, int h)
{
    QImage image = Filled(w, h, qRgb(255, 0, 0));
    for (int y = 0; y < h; ++y)
        for (int x = w / 2; x < w; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    return image;
}

std::unique_ptr<Tvnlpic> PictureAt(const TRect &bounds, const QImage &image, double scale = 0.1)
{
    auto p = std::make_unique<Tvnlpic>();
    p->SetView(View, scale);
    p->SetBounds(bounds);
    p->SetPicture(image);
    return p;
}

QImage DrawPicture(Tvnlpic &p, bool output, double scale = 0.1)
{
    QImage image = WhiteImage(400, 400);
    Tcanvas canvas(&image);
    p.Draw(canvas, View, output, View, scale);
    return image;
}

} // namespace

TEST(Picture, DefaultSizeIsTheLargestOfferedReductionThatFits)
{
    struct Case {
        int w, h;
        TPoint expected;
    };
    const Case cases[] = {
        {300, 200, {1500, 1000}},   // 50 %
        {100, 100, {1000, 1000}},   // natural size
        {250, 100, {1875, 750}},    // 75 %
        {4000, 3000, {2000, 1500}}, // 5 %
    };
    for (const Case &c : cases) {
        Tvnlpic p;
        p.SetPicture(Filled(c.w, c.h, qRgb(1, 2, 3)));
        EXPECT_EQ(p.GetDefaultSize(2000), c.expected) << c.w << "x" << c.h;
    }
    Tvnlpic empty;
    EXPECT_EQ(empty.GetDefaultSize(2000), (TPoint{1000, 1000}));
}

TEST(Picture, ResetAspectFollowsTheImage)
{
    auto p = PictureAt({0, 0, 3000, 3000}, Filled(300, 100, qRgb(1, 2, 3)));
    EXPECT_DOUBLE_EQ(p->AspectRatio, 1.0 / 3);
    p->ResetAspect();
    EXPECT_EQ(p->Bounds, (TRect{0, 0, 3000, 1000}));
    auto tall = PictureAt({0, 0, 3000, 3000}, Filled(100, 300, qRgb(1, 2, 3)));
    tall->ResetAspect();
    EXPECT_EQ(tall->Bounds, (TRect{0, 0, 1000, 3000}));
}

TEST(Picture, TheCacheSurvivesMovesAndResizesWithinAStep)
{
    auto p = PictureAt({1000, 1000, 2000, 2000}, Halves(50, 50));
    DrawPicture(*p, false);
    ASSERT_TRUE(p->IsCacheValid());
    p->SetBounds({1500, 1200, 2500, 2200}); // a move
    EXPECT_TRUE(p->IsCacheValid());
    p->SetBounds({1500, 1200, 2501, 2200}); // 1000 -> 1001: the same step of 2
    EXPECT_TRUE(p->IsCacheValid());
    p->SetBounds({1500, 1200, 2502, 2200}); // 1001 -> 1002: the next step
    EXPECT_FALSE(p->IsCacheValid());
    DrawPicture(*p, false);
    p->SetView({50, 50, 400, 400}, 0.1); // scrolling keeps it
    EXPECT_TRUE(p->IsCacheValid());
    p->SetView(View, 0.2); // zooming does not
    EXPECT_FALSE(p->IsCacheValid());
}

TEST(Picture, DraftDrawsFromASmallCache)
{
    auto p = PictureAt({0, 0, 20000, 10000}, Halves(64, 32), 0.1); // 2000 by 1000 pixels
    p->SetDraft(true);
    QImage image = WhiteImage(400, 400);
    {
        Tcanvas canvas(&image);
        p->DrawDraft(canvas, View, View, 0.1);
    }
    EXPECT_EQ(p->GetScaledCache().Width(), 256);
    EXPECT_EQ(p->GetScaledCache().Height(), 128);
    EXPECT_EQ(PixelAt(image, 100, 100), RGB(255, 0, 0));
    p->SetDraft(false);
    EXPECT_EQ(p->GetCacheLimit(), NoCacheLimit);
    EXPECT_FALSE(p->IsCacheValid());
}

TEST(Picture, ADraftComesFromAReducedCopyAndTheFullCacheFromThePictureItself)
{
    // 2000 by 1000 pixels of smooth colour with fine detail, shown 1900 by 950 on screen.
    QImage photo(2000, 1000, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x / 8, y / 4, (x + y) % 2 ? 90 : 110));
    auto p = PictureAt({0, 0, 19000, 9500}, photo, 0.1);
    p->SetDraft(true);
    QImage image = WhiteImage(400, 400);
    {
        Tcanvas canvas(&image);
        p->DrawDraft(canvas, View, View, 0.1);
    }
    // Scaled from a copy a quarter of the picture's size, and as good as scaled from the whole.
    const QImage &draft = p->GetScaledCache().GetImage();
    const QImage direct = photo.scaled(256, 128, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    ASSERT_EQ(draft.size(), direct.size());
    int worst = 0;
    for (int y = 0; y < draft.height(); ++y)
        for (int x = 0; x < draft.width(); ++x) {
            const QRgb a = draft.pixel(x, y), b = direct.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 2);
    const qsizetype reduced = 500 * 250 * 4;
    EXPECT_EQ(p->MemoryHeld(), photo.sizeInBytes() + reduced + draft.sizeInBytes() +
                                   p->OverhangBuffer.GetImage().sizeInBytes());

    // Once drafting ends, the cache is the picture itself scaled to the screen.
    p->SetDraft(false);
    DrawPicture(*p, false);
    EXPECT_EQ(ImageDifference(p->GetScaledCache().GetImage(),
                              photo.scaled(1900, 950, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
              "");
}

TEST(Picture, TheAutomaticLimitComesFromTheSizeWhenPrinting)
{
    struct Case {
        TRect bounds;
        int32_t limit;
    };
    const Case cases[] = {{{0, 0, 3000, 1000}, 1024}, {{0, 0, 1500, 1000}, 600}, {{0, 0, 2000, 2000}, 800}};
    for (const Case &c : cases) {
        auto p = PictureAt(c.bounds, Halves(40, 20), 0.6);
        p->SetCacheLimit(AutomaticCacheLimit);
        DrawPicture(*p, false, 0.6);
        EXPECT_EQ(p->GetCacheLimit(), AutomaticCacheLimit); // only output sets it
        DrawPicture(*p, true, 0.6);
        EXPECT_EQ(p->GetCacheLimit(), c.limit);
        EXPECT_LE(std::max(p->GetScaledCache().Width(), p->GetScaledCache().Height()), c.limit);
    }
}

TEST(Picture, DrawsTheImageStretchedToItsBounds)
{
    auto p = PictureAt({1000, 1000, 3000, 2000}, Halves(40, 20)); // pixels 100 .. 300, 100 .. 200
    const QImage image = DrawPicture(*p, true);
    EXPECT_EQ(PixelAt(image, 110, 150), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(image, 290, 150), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(image, 99, 150), clWhite);
    EXPECT_EQ(PixelAt(image, 300, 150), clWhite);
}

TEST(Picture, OnlyThePartInsideTheClipIsCopied)
{
    auto p = PictureAt({1000, 1000, 3000, 2000}, Halves(40, 20));
    QImage image = WhiteImage(400, 400);
    {
        Tcanvas canvas(&image);
        p->Draw(canvas, {0, 0, 150, 400}, true, View, 0.1);
    }
    EXPECT_EQ(PixelAt(image, 140, 150), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(image, 160, 150), clWhite);
}

TEST(Picture, TheOverhangShowsTheImageTintedBlue)
{
    auto p = PictureAt({1000, 1000, 3000, 2000}, Filled(40, 20, qRgb(255, 0, 0)));
    QImage image = DrawPicture(*p, false);
    {
        Tcanvas canvas(&image);
        p->DrawOverhang(canvas, View, {2000, 0, 9000, 9000}, View, 0.1);
    }
    const TColor tinted = PixelAt(image, 150, 150);
    EXPECT_NEAR(GetRValue(tinted), 136, 2);
    EXPECT_NEAR(GetBValue(tinted), 119, 2);
    EXPECT_EQ(PixelAt(image, 250, 150), RGB(255, 0, 0)); // inside the label
}

TEST(Picture, AnEmptyPictureShowsThePlaceholderOnScreenOnly)
{
    Tvnlpic p;
    p.SetView(View, 0.1);
    p.SetBounds({1000, 1000, 2000, 2000});
    EXPECT_EQ(PixelAt(DrawPicture(p, false), 150, 150), ColorToRGB(clBtnFace));
    EXPECT_FALSE(p.IsCacheValid()); // redrawn every time
    EXPECT_EQ(DrawPicture(p, true), WhiteImage(400, 400));
}

TEST(Picture, TransparencyIsFlattenedOntoWhiteAndOpaqueImagesAreShared)
{
    QImage translucent(4, 4, QImage::Format_ARGB32);
    translucent.fill(qRgba(0, 0, 0, 0));
    Tvnlpic p;
    p.SetPicture(translucent);
    EXPECT_EQ(p.GetPicture().pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_FALSE(p.GetPicture().hasAlphaChannel());

    const QImage photo = Filled(64, 48, qRgb(9, 8, 7));
    p.SetPicture(photo);
    EXPECT_EQ(p.GetPicture().constBits(), photo.constBits());
}

TEST(PictureRecord, RoundTripKeepsThePixelsAsPng)
{
    const QImage image = Halves(30, 20);
    auto p = PictureAt({0, 0, 3000, 2000}, image);
    const QByteArray bytes = RecordOf(*p);
    EXPECT_EQ(uint8_t(bytes[0]), 3);
    EXPECT_EQ(bytes.mid(31, 4), Int32Bytes(pkPng));
    EXPECT_EQ(bytes.mid(35, 8), QByteArray("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(bytes.right(4), Int32Bytes(int32_t(0xDEADBEEF)));
    Tvnlpic read;
    ReadRecordInto(read, bytes);
    EXPECT_EQ(read.GetPicture(), image);
}

TEST(PictureRecord, NoImageIsKindZero)
{
    Tvnlpic p;
    const QByteArray bytes = RecordOf(p);
    EXPECT_EQ(bytes.size(), 31 + 4 + 32);
    Tvnlpic read;
    read.SetPicture(Filled(3, 3, qRgb(1, 1, 1)));
    ReadRecordInto(read, bytes);
    EXPECT_TRUE(read.GetPicture().isNull());
    EXPECT_EQ(RecordOf(read).mid(31), bytes.mid(31));
}

TEST(PictureRecord, OtherKindsAndOlderBitmapRecords)
{
    const QImage image = Halves(12, 6);
    const QByteArray bmp = WrittenBytes([&](QIODevice &b) { image.save(&b, "BMP"); });
    const QByteArray jpeg = WrittenBytes([&](QIODevice &b) { image.save(&b, "JPG", 100); });
    const QByteArray header = RecordOf(Tvnlpic()).left(31);
    Tvnlpic fromBmp;
    ReadRecordInto(fromBmp, header + Int32Bytes(pkBitmap) + bmp);
    EXPECT_EQ(fromBmp.GetPicture(), image);

    // A JPEG becomes PNG data when written again, with the decoded pixels.
    Tvnlpic fromJpeg;
    ReadRecordInto(fromJpeg, header + Int32Bytes(pkJpeg) + jpeg);
    ASSERT_EQ(fromJpeg.GetPicture().size(), image.size());
    const QByteArray again = RecordOf(fromJpeg);
    EXPECT_EQ(again.mid(31, 4), Int32Bytes(pkPng));
    Tvnlpic reread;
    ReadRecordInto(reread, again);
    EXPECT_EQ(reread.GetPicture(), fromJpeg.GetPicture());

    // An unknown kind: the bitmap starts with the kind field's last byte ("B" of "BM" there).
    Tvnlpic old;
    ReadRecordInto(old, header + QByteArray("\0\0\0", 3) + bmp);
    EXPECT_EQ(old.GetPicture(), image);
}

TEST(PictureRecord, DamagedImageDataRaises)
{
    auto p = PictureAt({0, 0, 3000, 2000}, Halves(30, 20));
    QByteArray bytes = RecordOf(*p);
    bytes[31 + 4 + 40] = char(bytes[31 + 4 + 40] ^ 0x5A);
    Tvnlpic read;
    EXPECT_THROW(ReadRecordInto(read, bytes), EStreamError);
}

TEST(PictureUndo, OnlyDeletionsAndPropertyChangesHoldTheImage)
{
    auto p = PictureAt({0, 0, 3000, 2000}, Halves(30, 20));
    for (uint8_t kind : {ckGeometry, ckAdded, ckDeleted, ckProperty}) {
        Tundolevel level;
        level.Kind = kind;
        p->SaveToUndo(level);
        const bool holdsImage = kind == ckDeleted || kind == ckProperty;
        EXPECT_EQ(level.Stream().size() > 31, holdsImage) << int(kind);
    }
    // Undoing a move restores the bounds and keeps the image without reading any.
    Tundolevel move;
    move.Kind = ckGeometry;
    p->SaveToUndo(move);
    p->SetBounds({500, 500, 3500, 2500});
    move.Stream().seek(0);
    p->LoadFromUndo(move);
    EXPECT_EQ(p->Bounds, (TRect{0, 0, 3000, 2000}));
    EXPECT_EQ(p->GetPicture(), Halves(30, 20));
}

TEST(Picture, PickableByTheImageTool)
{
    Tvnlpic p;
    EXPECT_TRUE(p.IsPickable(TTool::Image));
    EXPECT_TRUE(p.ShowsHandles(TTool::Image));
    EXPECT_FALSE(p.IsPickable(TTool::Text));
    Tvnlsymbol s;
    EXPECT_FALSE(s.IsPickable(TTool::Image));
    EXPECT_EQ(s.GetTypeCode(), 4);
}

TEST(Picture, HoldsItsImageOnce)
{
    auto p = PictureAt({0, 0, 4000, 3000}, Filled(400, 300, qRgb(5, 6, 7)));
    DrawPicture(*p, false); // builds the source and the caches
    const qsizetype image = p->GetPicture().sizeInBytes();
    const qsizetype caches =
        p->GetScaledCache().GetImage().sizeInBytes() + p->OverhangBuffer.GetImage().sizeInBytes();
    EXPECT_EQ(p->MemoryHeld(), image + caches);
}

TEST(PictureUndo, APictureChangeIsUndoneAndRedoneToTheExactPixelsWithoutACopy)
{
    Tdrawlist doc;
    auto owned = PictureAt({0, 0, 3000, 2000}, Halves(300, 200));
    Tvnlpic *p = owned.get();
    doc.AddObject(std::move(owned));
    doc.CloseUndoGroup();
    const QImage before = p->GetPicture();
    const QImage after = Filled(120, 80, qRgb(10, 200, 30));
    p->SetPicture(after);
    p->Changed();
    doc.CloseUndoGroup();
    const Tundolevel &level = doc.GetUndoList().GetLevel(doc.GetUndoList().Count() - 1);
    EXPECT_EQ(level.Kind, ckProperty);
    EXPECT_EQ(level.Image.constBits(), before.constBits()); // shared, not copied
    EXPECT_LT(level.Stream().size(), 31 + 1 + 4 + 32 + 1);  // no pixels in the bytes
    doc.Undo();
    EXPECT_EQ(p->GetPicture(), before);
    doc.Redo();
    EXPECT_EQ(p->GetPicture(), after);
}

TEST(Picture, AHugePictureIsCachedAtASizeMemoryHolds)
{
    // 1.6 million by 800,000 pixels on screen: cached within the bounds, the proportions kept,
    // and still drawn where it lies.
    auto p = PictureAt({0, 0, 16000000, 8000000}, Halves(40, 20));
    const QImage image = DrawPicture(*p, false);
    const Talphabitmap &cache = p->GetScaledCache();
    EXPECT_LE(cache.Width(), MaxCacheSide);
    EXPECT_LE(double(cache.Width()) * cache.Height(), MaxCachePixels / 4); // a small image
    EXPECT_GT(double(cache.Width()) * cache.Height(), MaxCachePixels / 5);
    EXPECT_NEAR(double(cache.Width()) / cache.Height(), 2.0, 0.01);
    EXPECT_EQ(PixelAt(image, 100, 100), RGB(255, 0, 0));
}
