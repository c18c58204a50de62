// Fields filled per label: names from a table, $$, unknown names left as written and reported,
// numbering widths and dates; texts and codes filled only while a paint has values, their
// stored text unchanged, and a filled label drawn like the same label typed by hand.

#include "common/testsupport.h"
#include "document/code.h"
#include "document/drawlist.h"
#include "document/fields.h"
#include "document/text.h"
#include "platform/canvas.h"
#include "platform/scopedvalue.h"

#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {
TFieldValues Record()
{
    TFieldValues values;
    values.Names = std::make_shared<const QStringList>(QStringList{"lot", "Vintage", "cask no"});
    values.Values = {"L-17", "2021", "C$4"};
    values.Number = 417;
    values.Count = 1200;
    values.Today = QDate(2026, 3, 9);
    return values;
}

// A 2 x 1 inch label whose one text box, as large as the label, holds text.
void TextLabel(Tdrawlist &doc, const QString &text)
{
    SetUpLabel(doc, 2.0, 1.0);
    auto t = std::make_unique<Tvnltext>();
    t->SetBounds({100000, 100000, 102000, 101000});
    t->Font.SetName(QStringLiteral("Liberation Sans"));
    t->Font.SetHeight(-20);
    t->SetText(text);
    doc.AddObject(std::move(t));
}
} // namespace

TEST(Fields, FillTable)
{
    struct Case {
        QString Text;
        QString Filled;
        QStringList Unknown;
    };
    const Case cases[] = {
        {"Lot ${lot}", "Lot L-17", {}},
        {"${vintage} ${VINTAGE}", "2021 2021", {}}, // names compare without case
        {"${ cask no }", "C$4", {}},                // a value's $ is not read again
        {"Bottle ${n:4} of ${count}", "Bottle 0417 of 1200", {}},
        {"${n} ${n:2} ${n:0}", "417 417 417", {}},
        {"${date:yyyy-MM-dd}", "2026-03-09", {}},
        {"$$5 and $${lot}", "$5 and ${lot}", {}},
        {"$$$", "$$", {}},
        {"cost $ 5, ${lot", "cost $ 5, ${lot", {}}, // no closing brace: as written
        {"${lot\n}", "${lot\n}", {}},               // a field does not span lines
        {"${lott} ${lott} ${n:x} ${count:3} ${lot:4}",
         "${lott} ${lott} ${n:x} ${count:3} ${lot:4}",
         {"${lott}", "${n:x}", "${count:3}", "${lot:4}"}},
        {"${}", "${}", {"${}"}},
        {"", "", {}},
    };
    for (const Case &c : cases) {
        QStringList unknown;
        EXPECT_EQ(FillFields(c.Text, Record(), &unknown), c.Filled) << c.Text.toStdString();
        EXPECT_EQ(unknown, c.Unknown) << c.Text.toStdString();
    }
}

TEST(Fields, ATableColumnWinsOverTheBuiltInOfItsName)
{
    TFieldValues values = Record();
    values.Names = std::make_shared<const QStringList>(QStringList{"date", "N"});
    values.Values = {"bottled 2025-10-02", "x"};
    EXPECT_EQ(FillFields("${date} ${date:yyyy} ${n} ${n:4}", values),
              QStringLiteral("bottled 2025-10-02 2026 x 0417"));
}

TEST(Fields, NumbersPadAroundTheirSign)
{
    TFieldValues values = Record();
    values.Number = -7;
    EXPECT_EQ(FillFields("${n:3}", values), QStringLiteral("-007"));
    values.Number = 123456;
    EXPECT_EQ(FillFields("${n:4}", values), QStringLiteral("123456"));
}

TEST(Fields, FoundInTextsAndCodesOfTheDocumentOnceEach)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    auto text = std::make_unique<Tvnltext>();
    text->SetText("Lot ${lot}, $${price}, ${n:4}");
    auto code = std::make_unique<Tvnlcode>();
    code->SetData("https://example.com/${lot}");
    auto plain = std::make_unique<Tvnltext>();
    plain->SetText("Costs $$ 5");
    doc.AddObject(std::move(text));
    doc.AddObject(std::move(code));
    doc.AddObject(std::move(plain));
    EXPECT_THAT(doc.Fields(), ElementsAre(QStringLiteral("${lot}"), QStringLiteral("${n:4}")));
    EXPECT_FALSE(HasFields("Costs $$ 5 ${"));
    EXPECT_TRUE(HasFields("${x}"));
}

TEST(Fields, CodeEncodesTheFilledDataAndKeepsItsOwn)
{
    Tvnlcode code;
    code.SetSymbology(uint8_t(TSymbology::Ean13));
    code.SetData("400638133393${check}");
    EXPECT_FALSE(code.Encoded().Error.isEmpty());
    TFieldValues values;
    values.Names = std::make_shared<const QStringList>(QStringList{"check"});
    values.Values = {"1"};
    {
        const TScopedValue<const TFieldValues *> fill(FieldFill, &values);
        EXPECT_TRUE(code.Encoded().Error.isEmpty()) << code.Encoded().Error.toStdString();
        EXPECT_EQ(code.Encoded().ReadsAs, QStringLiteral("4006381333931"));
        values.Values = {"x"};
        EXPECT_FALSE(code.Encoded().Error.isEmpty());
    }
    EXPECT_EQ(code.GetSpec().Data, QStringLiteral("400638133393${check}"));
    EXPECT_FALSE(code.Encoded().Error.isEmpty());
}

TEST(Fields, FilledLabelDrawsLikeTheLabelTypedByHand)
{
    const auto draw = [](const QString &text, const TFieldValues *fill) {
        Tdrawlist doc;
        TextLabel(doc, text);
        doc.Fill = fill;
        QImage image = WhiteImage(400, 200);
        Tcanvas canvas(&image);
        const TScopedValue<bool> output(doc.OutputMode, true);
        doc.PaintRect(canvas, {0, 0, 400, 200}, {}, {0, 0, 400, 200}, -1);
        canvas.Unbind();
        return image;
    };
    const TFieldValues values = Record();
    const QImage filled = draw("Bottle ${n:4} of ${count}\nLot ${lot}", &values);
    EXPECT_EQ(filled, draw("Bottle 0417 of 1200\nLot L-17", nullptr));
    EXPECT_NE(filled, draw("Bottle ${n:4} of ${count}\nLot ${lot}", nullptr));
}

TEST(Fields, TheThumbnailShowsTheFieldsAsWritten)
{
    Tdrawlist doc;
    TextLabel(doc, QStringLiteral("${lot}"));
    doc.MakeThumbnail();
    const QImage asWritten = doc.ThumbnailBitmap;
    const TFieldValues values = Record();
    doc.Fill = &values;
    doc.MakeThumbnail();
    EXPECT_EQ(doc.ThumbnailBitmap, asWritten);
    EXPECT_EQ(doc.Fill, &values);
}
