// Codes: the data rules of every symbology with their messages, the symbol's placement snapped
// to whole pixels, the drawing by pixels, the record byte for byte and under damage, undo and redo,
// the clipboard, and the file version a code needs.

#include "common/testsupport.h"
#include "filetestsupport.h"

#include "document/code.h"
#include "document/globals.h"
#include "document/shape.h"
#include "platform/canvas.h"
#include "platform/clipboard.h"
#include "platform/rnd.h"
#include "platform/streams.h"

#include <QRegularExpression>

namespace {

std::unique_ptr<Tvnlcode> Code(TSymbology symbology, const QString &data, const TRect &bounds)
{
    auto code = std::make_unique<Tvnlcode>();
    code->SetSymbology(uint8_t(symbology));
    code->SetData(data);
    code->Bounds = bounds;
    return code;
}

// The code drawn at scale 1 into a white image of the size of its bounds, which start at (0, 0).
QImage Drawn(Tvnlcode &code, bool output)
{
    QImage image = WhiteImage(code.Width(), code.Height());
    Tcanvas canvas(&image);
    code.Draw(canvas, {0, 0, image.width(), image.height()}, output, {0, 0, image.width(), image.height()},
              1.0);
    return image;
}

int CountPixels(const QImage &image, const std::function<bool(TColor)> &test, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(PixelAt(image, x, y)) ? 1 : 0;
    return n;
}

} // namespace

TEST(CodeData, EverySymbologyJudgesItsData)
{
    struct Case {
        TSymbology Symbology;
        QString Data;
        QString Error;   // empty: it encodes
        QString ReadsAs; // when it encodes
    };
    const QString longUrl = QStringLiteral("https://www.fennbrook.example/e-label/") + QString(162, u'x');
    const std::vector<Case> cases{
        {TSymbology::Ean13, "400638133393", "", "4006381333931"},
        {TSymbology::Ean13, "4006381333931", "", "4006381333931"},
        {TSymbology::Ean13, "12345", "EAN-13 takes 12 or 13 digits; \"12345\" has 5", ""},
        {TSymbology::Ean13, "4006381333932", "The check digit of EAN-13 \"4006381333932\" is 1, not 2", ""},
        {TSymbology::Ean13, "40063813339a", "EAN-13 takes digits only; \"40063813339a\" has \"a\"", ""},
        {TSymbology::Ean13, "４００６３８１３３３９３",
         "EAN-13 takes digits only; \"４００６３８１３３３９３\" has \"４\"", ""},
        {TSymbology::UpcA, "03600029145", "", "036000291452"},
        {TSymbology::UpcA, "036000291453", "The check digit of UPC-A \"036000291453\" is 2, not 3", ""},
        {TSymbology::Ean8, "9638507", "", "96385074"},
        {TSymbology::Ean8, "963850741", "EAN-8 takes 7 or 8 digits; \"963850741\" has 9", ""},
        {TSymbology::Code39, "LOT-42", "", "LOT-42"},
        {TSymbology::Code39, "Lot-42",
         "Code 39 takes digits, capital letters, space and - . $ / + %; \"Lot-42\" has \"o\"", ""},
        {TSymbology::Code128, "Château 2021", "", "Château 2021"},
        {TSymbology::Code128, "Ĳssel", "Code 128 takes Latin-1 characters only; \"Ĳssel\" has \"Ĳ\"", ""},
        {TSymbology::Gs1_128, "(01)09501101530003(10)LOT42", "", "010950110153000310LOT42"},
        {TSymbology::Gs1DataMatrix, "(10)LOT42(17)260101", "",
         "10LOT42\x1D"
         "17260101"},
        {TSymbology::Gs1_128, "(01)09501101530004(10)LOT42",
         "GS1-128: AI (01) position 14: Bad checksum '4', expected '3'", ""},
        {TSymbology::Gs1_128, "LOT42", "GS1-128: Data does not start with an AI", ""},
        {TSymbology::Gs1DataMatrix, "(01)0950110153(10)LOT42",
         "GS1 DataMatrix: Invalid data length for AI (01)", ""},
        {TSymbology::DataMatrix, "LOT-2021-42", "", "LOT-2021-42"},
        {TSymbology::QrCode, longUrl, "", longUrl},
        {TSymbology::QrCode, "", "QR Code has no data to encode", ""},
        {TSymbology::QrCode, QString(8000, u'x'),
         "QR Code: Input too long for selected error correction level", ""},
    };
    for (const Case &c : cases) {
        const TCodeResult r = EncodeCode({uint8_t(c.Symbology), c.Data});
        EXPECT_EQ(r.Error, c.Error) << c.Data.toStdString();
        EXPECT_EQ(r.Vector != nullptr, c.Error.isEmpty()) << c.Data.toStdString();
        EXPECT_EQ(r.ReadsAs, c.ReadsAs) << c.Data.toStdString();
    }
    // A long datum is quoted by its ends, and a file's unknown numbers are named.
    EXPECT_EQ(
        EncodeCode({uint8_t(TSymbology::Ean8), QString(60, u'7')}).Error,
        QStringLiteral("EAN-8 takes 7 or 8 digits; \"77777777777777777777…7777777777777777777\" has 60"));
    EXPECT_TRUE(EncodeCode({42, QStringLiteral("x")}).Error.contains(QStringLiteral("(symbology 42)")));
    TCodeSpec level{uint8_t(TSymbology::QrCode), QStringLiteral("x")};
    level.QrLevel = 4;
    EXPECT_TRUE(EncodeCode(level).Error.contains(QStringLiteral("level (4)")));
}

TEST(CodeData, CheckDigitsAndSymbolsFollowTheStandards)
{
    EXPECT_EQ(GtinCheckDigit(QStringLiteral("400638133393")), 1);
    EXPECT_EQ(GtinCheckDigit(QStringLiteral("03600029145")), 2);
    EXPECT_EQ(GtinCheckDigit(QStringLiteral("9638507")), 4);
    EXPECT_EQ(GtinCheckDigit(QStringLiteral("000000000000")), 0);
    // An EAN-13 is 95 modules between quiet zones of 11 and 7; a QR code has 4 all round and no text.
    const TCodeResult ean = EncodeCode({uint8_t(TSymbology::Ean13), QStringLiteral("4006381333931")});
    ASSERT_TRUE(ean.Vector);
    EXPECT_EQ(ean.Vector->Width, 113);
    EXPECT_EQ(ean.Vector->Boxes.front().X, 11);
    EXPECT_EQ(ean.Vector->Texts.size(), 3u);
    EXPECT_LT(ean.Vector->BarZoneBottom, ean.Vector->Height);
    TCodeSpec bare{uint8_t(TSymbology::Ean13), QStringLiteral("4006381333931")};
    bare.ShowText = false;
    EXPECT_TRUE(EncodeCode(bare).Vector->Texts.empty());
    const TCodeResult qr = EncodeCode({uint8_t(TSymbology::QrCode), QStringLiteral("Larkspur")});
    ASSERT_TRUE(qr.Vector);
    EXPECT_EQ(qr.Vector->Width, qr.Vector->Height);
    EXPECT_EQ(qr.Vector->Width, 21 + 8);
    EXPECT_TRUE(qr.Vector->Texts.empty());
    EXPECT_EQ(CodeTextFont(uint8_t(TSymbology::UpcA)), QStringLiteral("OCR B"));
}

TEST(CodePlacement, ModulesSnapToWholePixelsAndTheCodeShrinks)
{
    const TCodeVector qr = *EncodeCode({uint8_t(TSymbology::QrCode), QStringLiteral("Larkspur")}).Vector;
    // 29 modules in 300 pixels: 10 a module, the code 290 wide, centred.
    TCodePlacement p = PlaceCode(qr, false, {100, 50, 400, 400}, true);
    EXPECT_TRUE(p.Snapped);
    EXPECT_EQ(p.Module, 10);
    EXPECT_EQ(p.Left, 105);
    EXPECT_EQ(p.Top, 50 + 30);
    // Below a pixel a module is drawn as it falls (a preview at a small zoom).
    p = PlaceCode(qr, false, {0, 0, 20, 20}, true);
    EXPECT_FALSE(p.Snapped);
    EXPECT_DOUBLE_EQ(p.Module, 20.0 / 29);
    // A linear code fills the width; its bars reach down to where its text zone starts.
    const TCodeVector ean = *EncodeCode({uint8_t(TSymbology::Ean13), QStringLiteral("4006381333931")}).Vector;
    p = PlaceCode(ean, true, {0, 0, 1000, 500}, true);
    EXPECT_EQ(p.Module, 8);
    EXPECT_EQ(p.Left, (1000 - 113 * 8) / 2);
    EXPECT_DOUBLE_EQ(p.Y(ean.Height, ean), 500);
    EXPECT_DOUBLE_EQ(p.Y(ean.BarZoneBottom, ean), 500 - (ean.Height - ean.BarZoneBottom) * 8);
    // 1.95 pixels a module: for output the code shrinks to 1; on screen, where that would leave
    // half of it, it keeps its size, and 2.2 pixels still snap to 2.
    const int32_t width = rnd(113 * 1.95);
    EXPECT_EQ(PlaceCode(ean, true, {0, 0, width, 300}, true).Module, 1);
    EXPECT_FALSE(PlaceCode(ean, true, {0, 0, width, 300}, false).Snapped);
    EXPECT_NEAR(PlaceCode(ean, true, {0, 0, width, 300}, false).Width, width, 0.5);
    EXPECT_EQ(PlaceCode(ean, true, {0, 0, rnd(113 * 2.2), 300}, false).Module, 2);
}

TEST(CodeDrawing, SnappedModulesHaveNoGreyAndBadDataShowsOnlyOnScreen)
{
    auto qr = Code(TSymbology::QrCode, QStringLiteral("https://www.fennbrook.example/"), {0, 0, 300, 300});
    const QImage screen = Drawn(*qr, false);
    const QImage paper = Drawn(*qr, true);
    // Every module edge on a whole pixel: black and white only (the quiet zone's frame on screen).
    const QRect symbol(0, 0, 300, 300);
    const auto grey = [](TColor c) { return c != clBlack && c != clWhite; };
    EXPECT_EQ(CountPixels(paper, grey, symbol), 0);
    EXPECT_GT(CountPixels(
                  paper, [](TColor c) { return c == clBlack; }, symbol),
              300 * 300 / 5);
    EXPECT_GT(CountPixels(screen, grey, symbol), 0) << "the quiet zone's frame";
    // The finder pattern's corner: its first module black just inside the quiet zone of four, the
    // module before it white, and its second ring white.
    const TCodePlacement p = PlaceCode(*qr->Encoded().Vector, false, {0, 0, 300, 300}, true);
    const int m = int(p.Module), x = int(p.Left) + 4 * m, y = int(p.Top) + 4 * m;
    EXPECT_PIXELS(paper, {x, y, clBlack}, {x + m - 1, y + m - 1, clBlack}, {x - 1, y - 1, clWhite},
                  {x + m, y + m, clWhite}, {x + 2 * m, y + 2 * m, clBlack});

    qr->SetData(QString());
    EXPECT_GT(CountPixels(
                  Drawn(*qr, false), [](TColor c) { return c != clWhite; }, symbol),
              1000);
    EXPECT_EQ(CountPixels(
                  Drawn(*qr, true), [](TColor c) { return c != clWhite; }, symbol),
              0);
    EXPECT_EQ(qr->PrintProblem(), QStringLiteral("QR Code has no data to encode"));

    // The canvas's font is left as it was, for what is drawn after the code.
    QImage scratch = WhiteImage(300, 300);
    Tcanvas canvas(&scratch);
    canvas.Font().SetName(QStringLiteral("Liberation Serif"));
    canvas.Font().SetHeight(-11);
    auto withText = Code(TSymbology::Code128, QStringLiteral("LOT"), {0, 0, 300, 200});
    for (const bool output : {false, true}) {
        withText->Draw(canvas, {0, 0, 300, 300}, output, {0, 0, 300, 300}, 1.0);
        qr->Draw(canvas, {0, 0, 300, 300}, output, {0, 0, 300, 300}, 1.0);
        EXPECT_EQ(canvas.Font().Name(), QStringLiteral("Liberation Serif"));
        EXPECT_EQ(canvas.Font().Height(), -11);
    }

    // The colour of the bars.
    auto ean = Code(TSymbology::Ean13, QStringLiteral("4006381333931"), {0, 0, 339, 240});
    ean->SetColor(RGB(120, 20, 40));
    EXPECT_GT(
        CountPixels(Drawn(*ean, true), [](TColor c) { return c == RGB(120, 20, 40); }, {0, 0, 339, 200}),
        5000);
}

TEST(CodeObject, ProportionsSizeWarningAndVersion)
{
    auto ean = Code(TSymbology::Ean13, QStringLiteral("4006381333931"), {0, 0, 100, 100});
    // Nominal: 13 thousandths of an inch a module.
    const TPoint size = ean->GetDefaultSize(4000);
    EXPECT_EQ(size.X, 113 * 13);
    EXPECT_GT(size.X, size.Y);
    ean->Bounds = {0, 0, size.X, 300};
    ean->ResetAspect();
    EXPECT_EQ(ean->Height(), size.Y);
    EXPECT_DOUBLE_EQ(ean->Magnification(), 1.0);
    EXPECT_TRUE(ean->SizeWarning().isEmpty());
    ean->Bounds = {0, 0, 113 * 13 * 7 / 10, 500};
    EXPECT_EQ(ean->SizeWarning(),
              QStringLiteral("EAN-13 at 70 % of its nominal size: shop scanners need at least 80 %"));
    auto qr = Code(TSymbology::QrCode, QStringLiteral("x"), {0, 0, 100, 100});
    EXPECT_EQ(qr->GetDefaultSize(4000).X, qr->GetDefaultSize(4000).Y);
    EXPECT_TRUE(qr->SizeWarning().isEmpty());
    EXPECT_EQ(qr->FileVersionNeeded(), 3);
    EXPECT_EQ(Tvnlshape().FileVersionNeeded(), 2);
}

TEST(CodeRecord, TheBodyIsLaidOutAndReadBackByteForByte)
{
    auto code = Code(TSymbology::Gs1_128, QStringLiteral("(01)09501101530003(10)LÖT"), {100, 200, 1300, 900});
    code->SetColor(0x00123456);
    code->SetShowText(false);
    const QByteArray record = RecordOf(*code);
    const QByteArray data = QStringLiteral("(01)09501101530003(10)LÖT").toUtf8();
    const QByteArray body =
        QByteArray("\x05\x01\x00", 3) + Int32Bytes(0x00123456) + Int32Bytes(data.size()) + data;
    EXPECT_EQ(record.left(1), QByteArray(1, char(otCode)));
    EXPECT_EQ(record.mid(31), body);
    Tvnlcode back;
    ReadRecordInto(back, record);
    EXPECT_EQ(back.GetSpec(), code->GetSpec());
    EXPECT_EQ(RecordOf(back).mid(15), record.mid(15)); // all but the serial number
    // Unknown numbers and option bits of a newer program are kept as they are.
    QByteArray newer = record;
    newer[31] = char(42);
    newer[33] = char(0xF1);
    Tvnlcode kept;
    ReadRecordInto(kept, newer);
    EXPECT_EQ(RecordOf(kept).mid(15), newer.mid(15));
    EXPECT_FALSE(kept.PrintProblem().isEmpty());
    EXPECT_TRUE(kept.GetSpec().ShowText);
}

TEST(CodeRecord, ADamagedRecordReadsWhatItHolds)
{
    auto code = Code(TSymbology::QrCode, QStringLiteral("Larkspur Pinot"), {100, 200, 1300, 1400});
    const QByteArray record = RecordOf(*code);
    // Cut anywhere: what is there is taken, the rest keeps the defaults, nothing is read beyond.
    for (qsizetype n = 0; n <= record.size(); ++n) {
        Tvnlcode cut;
        ReadRecordInto(cut, record.left(n));
        if (n == record.size()) {
            EXPECT_EQ(cut.GetSpec(), code->GetSpec());
        }
        cut.Encoded();
    }
    // A length beyond the record takes what the record holds; a negative one takes nothing.
    QByteArray lying = record;
    lying.replace(38, 4, Int32Bytes(0x7FFFFFF0));
    Tvnlcode a;
    ReadRecordInto(a, lying);
    EXPECT_EQ(a.GetSpec().Data, QStringLiteral("Larkspur Pinot"));
    lying.replace(38, 4, Int32Bytes(-3));
    Tvnlcode b;
    ReadRecordInto(b, lying);
    EXPECT_TRUE(b.GetSpec().Data.isEmpty());
}

TEST(CodeUndo, UndoAndRedoPutBackEveryByte)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    Tvnlcode *code =
        Code(TSymbology::QrCode, QStringLiteral("first"), {100100, 100100, 101100, 101100}).release();
    doc.AddObject(std::unique_ptr<Tdrawobj>(code));
    doc.CloseUndoGroup();
    const QByteArray before = RecordOf(*code);
    const std::vector<std::function<void()>> changes{
        [&] { code->SetData(QStringLiteral("second")); },
        [&] { code->SetSymbology(uint8_t(TSymbology::DataMatrix)); },
        [&] { code->SetQrLevel(uint8_t(TQrLevel::H)); },
        [&] { code->SetShowText(false); },
        [&] { code->SetColor(RGB(90, 10, 30)); },
    };
    for (const auto &change : changes) {
        const QByteArray was = RecordOf(*code);
        change();
        doc.CloseUndoGroup();
        const QByteArray after = RecordOf(*code);
        ASSERT_NE(after, was);
        doc.Undo();
        EXPECT_EQ(RecordOf(*code), was);
        doc.Redo();
        EXPECT_EQ(RecordOf(*code), after);
    }
    // Deleted and undone: the code comes back whole.
    code->SetSelected(true);
    const QByteArray last = RecordOf(*code);
    doc.DeleteSelected();
    doc.Undo();
    ASSERT_EQ(doc.Count(), 1);
    EXPECT_EQ(RecordOf(*doc.GetObject(0)), last);
    EXPECT_NE(before, last);
}

TEST(CodeClipboard, OtherProgramsGetTextAndImageAndThisOneTheCode)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.AddObject(Code(TSymbology::Ean8, QStringLiteral("9638507"), {100100, 100100, 101200, 100900}));
    doc.SelectIndex(0);
    ASSERT_TRUE(doc.CopySelected(false));
    EXPECT_EQ(TheClipboard().Text(), QStringLiteral("96385074"));
    const QImage image = TheClipboard().Image();
    EXPECT_EQ(image.width(), 81 * 3);
    EXPECT_EQ(PixelAt(image, 7 * 3 + 1, 5), clBlack);
    QString kind;
    doc.Paste({101000, 101000}, true, kind);
    EXPECT_EQ(kind, QStringLiteral("Code"));
    doc.Paste({101000, 101000}, false, kind);
    ASSERT_EQ(doc.Count(), 2);
    auto *pasted = dynamic_cast<Tvnlcode *>(doc.GetObject(1));
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->GetSpec().Data, QStringLiteral("9638507"));
    // Where the copy was, a step away from it.
    EXPECT_EQ(pasted->Bounds, (TRect{100200, 100200, 101300, 101000}));
}

class CodeFile : public TFileTest {};

TEST_F(CodeFile, AFileWithACodeIsVersionThreeAndLoadsBack)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.AddObject(std::make_unique<Tvnlshape>());
    const QByteArray plain = Saved(doc);
    EXPECT_EQ(plain.left(4), Int32Bytes(2));
    doc.AddObject(Code(TSymbology::QrCode, QStringLiteral("Larkspur ✓"), {100100, 100100, 101100, 101100}));
    const QByteArray withCode = Saved(doc);
    EXPECT_EQ(withCode.left(4), Int32Bytes(3));
    Tdrawlist loaded;
    SetUpLabel(loaded);
    Load(loaded, withCode);
    EXPECT_EQ(loaded.FileVersion, 3);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(RecordOf(*loaded.GetObject(1)).mid(15), RecordOf(*doc.GetObject(1)).mid(15));
    // Without the code the file is version 2 again.
    doc.RemoveObject(1);
    EXPECT_EQ(Saved(doc), plain);
    // A template holding a code among its starter objects only.
    tlabeltemplate t;
    SetUpLabel(t);
    EXPECT_EQ(Saved(t).left(4), Int32Bytes(2));
    t.StarterObjects.AddObject(
        Code(TSymbology::Code39, QStringLiteral("LOT"), {100100, 100100, 101100, 100500}));
    EXPECT_EQ(Saved(t).left(4), Int32Bytes(3));
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(CodeFile, ANewerVersionIsRefusedWholeWithItsOwnMessage)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.AddObject(Code(TSymbology::QrCode, QStringLiteral("x"), {100100, 100100, 101100, 101100}));
    QByteArray newer = Saved(doc);
    newer.replace(0, 4, Int32Bytes(4));
    const QString path = Path(QStringLiteral("newer.wlp"));
    WriteWholeFile(path, newer);
    Tdrawlist loaded;
    SetUpLabel(loaded);
    EXPECT_EQ(loaded.LoadRefusal(path), NewerVersionMessage);
    EXPECT_FALSE(loaded.IsOwnFile(path));
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Count(), 0);
    EXPECT_EQ(Messages, QStringList{QStringLiteral("This file was made by a newer version of the program.")});
    // Another kind of file with a large first number is not taken for a newer one.
    Messages.clear();
    newer.replace(4, 10, "PNGxxxxxxx");
    WriteWholeFile(path, newer);
    EXPECT_EQ(loaded.LoadRefusal(path), LoadFailedMessage);
    loaded.LoadFromFile(path);
    EXPECT_EQ(Messages, QStringList{LoadFailedMessage});
}

TEST_F(CodeFile, DamagedCodeEntriesKeepTheObjectsAroundThem)
{
    auto shape = std::make_unique<Tvnlshape>();
    shape->Bounds = {100100, 100100, 100900, 100900};
    auto code = Code(TSymbology::Ean13, QStringLiteral("4006381333931"), {101000, 100100, 102500, 101100});
    const QByteArray header = Int32Bytes(3) + "vnlabel_v1" + QByteArray(1, '\0') + Int32Bytes(0) +
                              LString("") + LString("4.00x3.50") + LString("");
    QByteArray lying = Entry(*code);
    lying.replace(1, 4, Int32Bytes(0x40000000));
    QByteArray badData = Entry(*code);
    badData.replace(badData.size() - 13, 13, "4006381333932");
    const QByteArray end(1, char(255));
    struct Case {
        const char *name;
        QByteArray list;
        int32_t count;
        bool damaged;
    };
    const std::vector<Case> cases{
        {"whole", Entry(*shape) + Entry(*code) + Entry(*shape) + end, 3, false},
        {"a record cut short", Entry(*shape) + Entry(*code).chopped(7), 2, true},
        {"a length beyond the file", Entry(*shape) + lying + Entry(*shape) + end, 2, true},
        // Data that does not encode is not damage: it loads, and shows why it cannot print.
        {"data that does not encode", Entry(*shape) + badData + end, 2, false},
    };
    for (const Case &c : cases) {
        Messages.clear();
        Tdrawlist doc;
        SetUpLabel(doc);
        Load(doc, header + c.list);
        EXPECT_EQ(doc.Count(), c.count) << c.name;
        EXPECT_EQ(doc.LoadDamaged, c.damaged) << c.name;
        EXPECT_EQ(Messages.size(), c.damaged ? 1 : 0) << c.name;
    }
}
