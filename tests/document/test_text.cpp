// Text boxes: the prompt, layout and alignment by pixels, the measurement the edit box uses,
// and the record body.

#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/text.h"
#include "platform/canvas.h"
#include "platform/streams.h"
#include "platform/textlayout.h"

#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {
const TRect View{0, 0, 300, 300};

// A box of 2 by 1 inches at zoom 1 (200 by 100 pixels) at (50, 50), in a 14-pixel font.
std::unique_ptr<Tvnltext> Box(const QString &text)
{
    auto t = std::make_unique<Tvnltext>();
    t->SetView(View, 0.1);
    t->SetBounds({500, 500, 2500, 1500});
    t->Font.SetHeight(-14);
    t->Font.SetName(QStringLiteral("Liberation Sans"));
    t->SetText(text);
    return t;
}

QImage DrawText(Tvnltext &t, bool output)
{
    QImage image = WhiteImage(300, 300);
    Tcanvas canvas(&image);
    t.Draw(canvas, View, output, View, 0.1);
    return image;
}

// The extent of the dark pixels in an image: (left, top, right, bottom), right and bottom
// exclusive; all zero when there are none.
TRect Ink(const QImage &image)
{
    TRect ink{image.width(), image.height(), 0, 0};
    bool any = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                any = true;
                ink = {std::min(ink.Left, x), std::min(ink.Top, y), std::max(ink.Right, x + 1),
                       std::max(ink.Bottom, y + 1)};
            }
    return any ? ink : TRect{};
}

} // namespace

TEST(Text, ConstructorDefaults)
{
    Tvnltext t;
    EXPECT_EQ(t.HandleInflate, 10);
    EXPECT_EQ(t.DefaultSize, (TPoint{2000, 500}));
    EXPECT_FALSE(t.KeepsAspect());
    EXPECT_EQ(t.Font.Name(), QStringLiteral("Microsoft Sans Serif"));
    EXPECT_TRUE(t.Hint.startsWith(QStringLiteral("Text Tool:\\nClick")));
}

TEST(Text, PlaceholderTextIsPutBetweenAsterisks)
{
    Tvnltext t;
    t.SetPlaceholderText(QStringLiteral("Vineyard"));
    EXPECT_EQ(t.GetPlaceholderText(), QStringLiteral("* Vineyard *"));
    t.SetPlaceholderText(QStringLiteral("*Estate*"));
    EXPECT_EQ(t.GetPlaceholderText(), QStringLiteral("*Estate*"));
    t.SetPlaceholderText(QStringLiteral("Grand * Cru"));
    EXPECT_EQ(t.GetPlaceholderText(), QStringLiteral("* Grand * Cru *"));
}

TEST(Text, AnEmptyBoxShowsThePromptOnScreenOnly)
{
    for (const QString &blank : {QString(), QStringLiteral("  \r\n\t ")}) {
        auto t = Box(blank);
        const QImage screen = DrawText(*t, false);
        EXPECT_TRUE(t->IsShowingPlaceholder());
        EXPECT_EQ(t->DisplayText(), DefaultTextPrompt);
        const TRect ink = Ink(screen);
        // Centred both ways in the box (50, 50) - (250, 150).
        EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 150, 2);
        EXPECT_NEAR((ink.Top + ink.Bottom) / 2.0, 100, 4);
        EXPECT_EQ(DrawText(*t, true), WhiteImage(300, 300));
    }
}

TEST(Text, AStoredPromptReplacesTheDefault)
{
    auto t = Box(QString());
    t->SetPlaceholderText(QStringLiteral("Vintage"));
    EXPECT_EQ(t->DisplayText(), QStringLiteral("* Vintage *"));
    t->SetText(QStringLiteral("2019"));
    EXPECT_EQ(t->DisplayText(), QStringLiteral("2019"));
}

TEST(Text, AlignmentAcrossByInk)
{
    for (THorizontalAlign align :
         {THorizontalAlign::Left, THorizontalAlign::Right, THorizontalAlign::Centre}) {
        auto t = Box(QStringLiteral("Merlot"));
        t->SetHAlign(align);
        const TRect ink = Ink(DrawText(*t, true));
        ASSERT_GT(ink.Right, ink.Left);
        switch (align) {
        case THorizontalAlign::Left:
            EXPECT_NEAR(ink.Left, 50, 3);
            break;
        case THorizontalAlign::Right:
            EXPECT_NEAR(ink.Right, 250, 3);
            break;
        default:
            EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 150, 2);
        }
    }
}

TEST(Text, AlignmentDownSetsTheOffset)
{
    auto t = Box(QStringLiteral("Syrah"));
    DrawText(*t, true);
    const int32_t lineHeight = t->GetTextHeight();
    EXPECT_GT(lineHeight, 10);
    EXPECT_EQ(t->GetTextOffset(), 0);
    t->SetVAlign(TVerticalAlign::Middle);
    DrawText(*t, true);
    EXPECT_EQ(t->GetTextOffset(), 100 / 2 - lineHeight / 2);
    t->SetVAlign(TVerticalAlign::Bottom);
    const TRect ink = Ink(DrawText(*t, true));
    EXPECT_EQ(t->GetTextOffset(), 100 - lineHeight);
    EXPECT_LE(ink.Bottom, 150);
    EXPECT_GT(ink.Top, 110);
}

TEST(Text, ALineBreakAtTheEndCountsALine)
{
    auto plain = Box(QStringLiteral("Rose"));
    auto broken = Box(QStringLiteral("Rose\r\n"));
    DrawText(*plain, true);
    DrawText(*broken, true);
    EXPECT_EQ(broken->GetTextHeight(), 2 * plain->GetTextHeight());
}

TEST(Text, TextTallerThanTheBoxIsCutAtItsBottom)
{
    QString tall;
    for (int i = 0; i < 20; ++i)
        tall += QStringLiteral("Line %1\r\n").arg(i);
    for (TVerticalAlign v : {TVerticalAlign::Top, TVerticalAlign::Middle, TVerticalAlign::Bottom}) {
        auto t = Box(tall);
        t->SetVAlign(v);
        const TRect ink = Ink(DrawText(*t, true));
        EXPECT_EQ(t->GetTextHeight(), 100) << int(v);
        EXPECT_EQ(t->GetTextOffset(), 0) << int(v);
        EXPECT_LE(ink.Bottom, 150) << int(v);
    }
}

TEST(Text, WordsWrapInsideTheBox)
{
    auto t = Box(QStringLiteral("Cabernet Sauvignon from the old vines on the south slope"));
    const TRect ink = Ink(DrawText(*t, true));
    EXPECT_GE(ink.Left, 49);
    EXPECT_LE(ink.Right, 251);
    EXPECT_GT(t->GetTextHeight(), 20); // more than one line
}

TEST(Text, AlignmentSettersRecordNothing)
{
    Tdrawlist doc;
    auto owned = Box(QStringLiteral("Malbec"));
    Tvnltext *t = owned.get();
    doc.AddObject(std::move(owned));
    doc.SetModified(false);
    const int32_t levels = doc.GetUndoList().Count();
    int reports = 0;
    t->OnInvalidate = [&](Trectlist &) { ++reports; };
    t->SetHAlign(THorizontalAlign::Right);
    t->SetVAlign(TVerticalAlign::Bottom);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(doc.GetUndoList().Count(), levels);
    t->SetText(QStringLiteral("Malbec 2021"));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(doc.GetUndoList().Count(), levels + 1);
    t->Font.SetStyle(fsBold); // another announced property change outside a gesture
    EXPECT_EQ(doc.GetUndoList().Count(), levels + 2);
}

TEST(Text, TheTextAreaIsTheLinesNotTheWholeBox)
{
    auto t = Box(QStringLiteral("Pinot"));
    DrawText(*t, true);
    EXPECT_TRUE(t->TextAreaContains({100, 55}));
    EXPECT_FALSE(t->TextAreaContains({100, 140}));
    EXPECT_FALSE(t->TextAreaContains({50, 55})); // the edge is excluded
}

TEST(Text, ScaledFontFollowsTheView)
{
    auto t = Box(QStringLiteral("Gamay"));
    t->Font.SetHeight(-20);
    EXPECT_EQ(t->GetScaledFont().Height(), -20);
    t->SetView(View, 0.2);
    EXPECT_EQ(t->GetScaledFont().Height(), -40);
    EXPECT_EQ(t->GetScaledFont().Charset(), DEFAULT_CHARSET);
}

TEST(Text, SelectionAddsAFocusFrame)
{
    auto t = Box(QStringLiteral("Pinot"));
    t->SetSelected(true);
    QImage image = WhiteImage(300, 300);
    {
        Tcanvas canvas(&image);
        canvas.Brush().SetColor(clBlack);
        t->DrawSelection(canvas, TTool::Text); // no handles for this tool
    }
    // The dotted frame 2 pixels outside the box.
    int dots = 0;
    for (int x = 48; x < 252; ++x)
        dots += PixelAt(image, x, 48) != clWhite;
    EXPECT_GT(dots, 50);
    EXPECT_LT(dots, 150);
}

TEST(TextRecord, RoundTripIsByteForByte)
{
    auto t = Box(QStringLiteral("Ch\u00e2teau Margaux\r\n2015"));
    t->Font.SetColor(RGB(120, 10, 40));
    t->Font.SetStyle(fsBold | fsItalic);
    t->Font.SetCharset(0);
    t->SetHAlign(THorizontalAlign::Centre);
    t->SetVAlign(TVerticalAlign::Bottom);
    const QByteArray bytes = RecordOf(*t);
    EXPECT_EQ(uint8_t(bytes[0]), 2);
    Tvnltext copy;
    ReadRecordInto(copy, bytes);
    EXPECT_EQ(copy.GetText(), t->GetText());
    EXPECT_EQ(copy.Font.Name(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(copy.Font.Height(), -14);
    EXPECT_EQ(copy.GetHAlign(), THorizontalAlign::Centre);
    EXPECT_EQ(copy.GetVAlign(), TVerticalAlign::Bottom);
    QByteArray again = RecordOf(copy);
    again.replace(11, 4, bytes.mid(11, 4));
    EXPECT_EQ(again, bytes);
}

TEST(TextRecord, BodyLayout)
{
    auto t = Box(QStringLiteral("ab"));
    t->Font.SetName(QStringLiteral("Arial"));
    t->Font.SetPixelsPerInch(96);
    t->SetHAlign(THorizontalAlign::Right);
    t->SetVAlign(TVerticalAlign::Middle);
    const QByteArray body = RecordOf(*t).mid(31);
    EXPECT_EQ(body.left(6), QByteArray("\x02\0\0\0ab", 6));
    EXPECT_EQ(body.mid(6, 9), QByteArray("\x05\0\0\0Arial", 9));
    EXPECT_EQ(body.mid(15, 4), QByteArray("\x60\0\0\0", 4));
    EXPECT_EQ(body.size(), 6 + 9 + 16 + 3);
    EXPECT_EQ(body.right(2), QByteArray("\x01\x01", 2)); // VAlign, HAlign
}

TEST(TextRecord, UnknownAlignmentNumbersAreKeptAsStoredAndDrawAsLeft)
{
    auto t = Box(QStringLiteral("Merlot"));
    QByteArray bytes = RecordOf(*t);
    bytes[bytes.size() - 2] = char(3);   // down
    bytes[bytes.size() - 1] = char(200); // across
    Tvnltext copy;
    ReadRecordInto(copy, bytes);
    copy.SetView(View, 0.1);
    EXPECT_EQ(uint8_t(copy.GetVAlign()), 3);
    EXPECT_EQ(uint8_t(copy.GetHAlign()), 200);
    QByteArray again = RecordOf(copy);
    again.replace(11, 4, bytes.mid(11, 4));
    EXPECT_EQ(again, bytes);
    const TRect ink = Ink(DrawText(copy, true));
    EXPECT_NEAR(ink.Left, 50, 3);
    EXPECT_EQ(copy.GetTextOffset(), 0); // the offset it had, at the top
}

TEST(TextRecord, AFieldRunningPastItsRecordIsDamageAndNothingFromThereOnIsTaken)
{
    // The body of a "Riesling" box: the text's length at 31, the font name's at 43, the
    // font's numbers from 62, the alignments at 79 and 80.
    const QByteArray record = RecordOf(*Box(QStringLiteral("Riesling")));
    ASSERT_EQ(record.size(), 81);
    const auto withLength = [&record](int at, int32_t length) {
        return QByteArray(record).replace(at, 4, Int32Bytes(length));
    };
    struct Case {
        const char *What;
        QByteArray Record;
        bool Whole;
        const char *Text, *FontName;
        int32_t FontHeight;
    };
    // What the box held before: Merlot in Arial, 33 high.
    const Case cases[] = {
        {"whole", record, true, "Riesling", "Liberation Sans", -14},
        {"bytes left unread after the last field", record + "more", true, "Riesling", "Liberation Sans", -14},
        {"a text length beyond the record", withLength(31, 0x3FFFFFFF), false, "Merlot", "Arial", -33},
        // The font name's length is then read from "ling".
        {"a text length short of the text", withLength(31, 4), false, "Ries", "Arial", -33},
        {"a font name length beyond the record", withLength(43, 40), false, "Riesling", "Arial", -33},
        {"cut after the font name", record.left(62), false, "Riesling", "Liberation Sans", -33},
        {"cut after the header", record.left(31), false, "Merlot", "Arial", -33},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.What);
        Tvnltext read;
        read.SetText(QStringLiteral("Merlot"));
        read.Font.SetName(QStringLiteral("Arial"));
        read.Font.SetHeight(-33);
        bool whole = false;
        ReadBack(Int32Bytes(int32_t(c.Record.size())) + c.Record,
                 [&](QIODevice &stream) { whole = read.ReadRecordBlock(stream, false); });
        EXPECT_EQ(whole, c.Whole);
        EXPECT_EQ(read.GetText(), c.Text);
        EXPECT_EQ(read.Font.Name(), c.FontName);
        EXPECT_EQ(read.Font.Height(), c.FontHeight);
    }
}

TEST(Text, UnchangedTextIsNotLaidOutAgain)
{
    auto t = Box(QStringLiteral("Tempranillo\r\nReserva"));
    DrawText(*t, true);
    const int64_t before = Ttextlayout::LayoutsMade();
    DrawText(*t, true);
    DrawText(*t, true);
    EXPECT_EQ(Ttextlayout::LayoutsMade(), before);
    t->SetText(QStringLiteral("Tempranillo\r\nGran Reserva"));
    DrawText(*t, true);
    EXPECT_GT(Ttextlayout::LayoutsMade(), before);
    const int64_t afterText = Ttextlayout::LayoutsMade();
    t->Font.SetStyle(fsBold);
    DrawText(*t, true);
    EXPECT_GT(Ttextlayout::LayoutsMade(), afterText);
}

TEST(Text, AFontTooSmallForTheScaleDrawsNothing)
{
    auto t = Box(QStringLiteral("Tiny"));
    t->Font.SetHeight(-40); // 0.4 pixels at a tenth of zoom 1
    QImage image = WhiteImage(300, 300);
    {
        Tcanvas canvas(&image);
        t->Draw(canvas, View, true, View, 0.001);
    }
    EXPECT_EQ(image, WhiteImage(300, 300));
    EXPECT_EQ(t->GetTextHeight(), 0);
}
