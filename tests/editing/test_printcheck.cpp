// The look at a label before printing: one label for each thing that would come out wrong, and
// one on which nothing would.

#include "printtestsupport.h"

#include "document/code.h"
#include "document/fields.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "editing/printcheck.h"

#include <gmock/gmock.h>

namespace {
constexpr TRect Label{100000, 100000, 102000, 101000};

std::unique_ptr<Tvnltext> Text(const QString &text, const TRect &bounds)
{
    auto t = std::make_unique<Tvnltext>();
    t->Bounds = bounds;
    t->Font.SetName(QStringLiteral("Liberation Sans"));
    t->Font.SetHeight(-14);
    t->SetText(text);
    return t;
}

std::unique_ptr<Tvnlpic> Picture(int pixels, const TRect &bounds)
{
    auto p = std::make_unique<Tvnlpic>();
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.fill(Qt::darkRed);
    p->SetPicture(image);
    p->Bounds = bounds;
    return p;
}

std::unique_ptr<Tvnlcode> Code(uint8_t symbology, const QString &data, const TRect &bounds)
{
    auto c = std::make_unique<Tvnlcode>();
    c->SetSymbology(symbology);
    c->SetData(data);
    c->Bounds = bounds;
    return c;
}

std::unique_ptr<Tvnlshape> Shape(const TRect &bounds)
{
    auto s = std::make_unique<Tvnlshape>();
    s->Bounds = bounds;
    return s;
}

struct TCheckedIssue {
    TPrintIssue Issue;
    int32_t Object;
    std::string Text;
    bool operator==(const TCheckedIssue &) const = default;
};

std::vector<TCheckedIssue> Checked(const Tdrawlist &document)
{
    std::vector<TCheckedIssue> out;
    for (const TPrintProblem &p : CheckDocument(document))
        out.push_back({p.Issue, p.Object, p.Text.toStdString()});
    return out;
}

void PrintTo(const TCheckedIssue &c, std::ostream *os)
{
    *os << int(c.Issue) << " #" << c.Object << " " << c.Text;
}
} // namespace

TEST(PrintCheck, EachLabelNamesWhatWouldComeOutWrongAndAGoodLabelNothing)
{
    struct Case {
        const char *Name;
        std::function<void(Tdrawlist &)> Build;
        std::vector<TCheckedIssue> Expected;
    };
    const Case cases[] = {
        {"nothing wrong",
         [](Tdrawlist &d) {
             BuildTestLabel(d);
             // 300 pixels over an inch, a shape reaching 1/50 inch past the edge, an EAN-13 of 0.26 mm
             // modules.
             d.AddObject(Picture(300, {100000, 100000, 101000, 101000}));
             d.AddObject(Shape({101500, 100500, 102020, 101020}));
             d.AddObject(Code(uint8_t(TSymbology::Ean13), QStringLiteral("400638133393"),
                              {100850, 100100, 101990, 100700}));
         },
         {}},
        {"text cut at its bottom",
         [](Tdrawlist &d) {
             d.AddObject(
                 Text(QStringLiteral("Domaine\nde la Croix\n2019"), {100100, 100100, 101600, 100300}));
         },
         {{TPrintIssue::TextCut, 0,
           "Text \"Domaine de la Croix 2019\" is cut at the bottom of its box: 2 lines do not print."}}},
        {"picture under 200 dpi",
         [](Tdrawlist &d) {
             d.AddObject(Picture(150, {100000, 100000, 101000, 101000}));
         },
         {{TPrintIssue::LowResolution, 0,
           "A picture prints at 150 dots per inch at 1.00 \u00d7 1.00 in, under 200: it will look coarse."}}},
        {"object past the edge",
         [](Tdrawlist &d) {
             d.AddObject(Shape({99900, 100500, 100500, 100900}));
         },
         {{TPrintIssue::PastEdge, 0, "A shape reaches 0.10 in past the label's edge."}}},
        {"empty prompt",
         [](Tdrawlist &d) {
             auto t = Text(QStringLiteral(" \r\n"), {100100, 100100, 101000, 100400});
             t->SetPlaceholderText(QStringLiteral("Winery"));
             // Empty, it prints nothing: where it lies does not matter.
             t->Bounds.Right = 103000;
             d.AddObject(std::move(t));
         },
         {{TPrintIssue::EmptyPrompt, 0, "The prompt \"* Winery *\" is still empty: nothing prints there."}}},
        {"code that does not encode",
         [](Tdrawlist &d) {
             d.AddObject(
                 Code(uint8_t(TSymbology::Ean13), QStringLiteral("12345"), {100100, 100100, 101000, 100700}));
         },
         {{TPrintIssue::CodeInvalid, 0,
           "EAN-13 \"12345\" is left out: EAN-13 takes 12 or 13 digits; \"12345\" has 5"}}},
        {"code with modules under 0.25 mm",
         [](Tdrawlist &d) {
             d.AddObject(Code(uint8_t(TSymbology::QrCode), QStringLiteral("https://www.fennbrook.example/"),
                              {100100, 100100, 100300, 100300}));
         },
         {{TPrintIssue::CodeTooSmall, 0,
           "QR Code \"https://www.fennbrook.ex\u2026\" has modules of 0.14 mm, under 0.25 mm: scanners may "
           "not read it."}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Tdrawlist document;
        document.SetLabelRect(Label);
        c.Build(document);
        EXPECT_THAT(Checked(document), testing::ElementsAreArray(c.Expected));
    }
}

TEST(PrintCheck, CutTextIsMeasuredForPaperWhateverTheScreenLastShowed)
{
    // Two lines' room for three lines of text: on paper one is cut, at any zoom.
    auto owned = Text(QStringLiteral("Pinot Noir\nSonoma Coast\n2019"), {100100, 100100, 101500, 100500});
    Tvnltext &text = *owned;
    Tdrawlist document;
    document.SetLabelRect(Label);
    document.AddObject(std::move(owned));
    QImage screen = WhiteImage(400, 200);
    Tcanvas canvas(&screen);
    for (const double zoom : {0.02, 0.1, 0.4}) {
        SCOPED_TRACE(zoom);
        text.Draw(canvas, {0, 0, 400, 200}, false, {-2000, -2000, 400, 200}, zoom);
        ASSERT_EQ(CheckDocument(document).size(), 1u);
        EXPECT_EQ(
            CheckDocument(document)[0].Text.toStdString(),
            "Text \"Pinot Noir Sonoma Coast\u2026\" is cut at the bottom of its box: 1 line does not print.");
    }
    // Taller by a line, nothing is cut.
    text.Bounds.Bottom += 200;
    EXPECT_TRUE(CheckDocument(document).empty());
}

TEST(PrintCheck, TheTemplatesObjectsAreCheckedFirstThenTheLabels)
{
    TTestSheet sheet;
    sheet.Template.AddObject(Shape({99000, 100000, 100500, 100500}));
    sheet.Project.AddObject(Picture(50, {100000, 100000, 101000, 101000}));
    const std::vector<TPrintProblem> problems = CheckBeforePrinting(sheet.Project);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].Document, &sheet.Template);
    EXPECT_EQ(problems[0].Issue, TPrintIssue::PastEdge);
    EXPECT_EQ(problems[1].Document, &sheet.Project);
    EXPECT_EQ(problems[1].Object, 2);
    EXPECT_EQ(problems[1].Issue, TPrintIssue::LowResolution);
}

TEST(PrintCheck, FieldsTheDataDoesNotFillAreNamedWithTheirObject)
{
    Tdrawlist document;
    document.SetLabelRect(Label);
    document.AddObject(Text(QStringLiteral("Lot ${lot}, bottle ${n:4}"), {100100, 100100, 101900, 100300}));
    document.AddObject(Text(QStringLiteral("Pinot Noir $$12"), {100100, 100400, 101900, 100600}));
    document.AddObject(Text(QStringLiteral("${lot} ${year} ${year}"), {100100, 100700, 101900, 100900}));
    const auto named = [&document](const QStringList &columns) {
        TFieldValues values;
        if (!columns.isEmpty()) {
            values.Names = std::make_shared<const QStringList>(columns);
            values.Values = QStringList(columns.size());
        }
        std::vector<std::pair<int32_t, std::string>> out;
        for (const TPrintProblem &p : CheckFields(document, values)) {
            EXPECT_EQ(p.Issue, TPrintIssue::FieldUnfilled);
            out.emplace_back(p.Object, p.Text.toStdString());
        }
        return out;
    };
    // A table with the lot: only the year is missing. Without a table neither has a value, while
    // the label's number always has one.
    EXPECT_THAT(named({QStringLiteral("lot")}),
                testing::ElementsAre(testing::Pair(2, testing::HasSubstr("holds ${year}, which"))));
    EXPECT_THAT(named({}),
                testing::ElementsAre(testing::Pair(0, testing::HasSubstr("holds ${lot}, which")),
                                     testing::Pair(2, testing::HasSubstr("holds ${lot}, ${year}, which"))));
    EXPECT_THAT(named({QStringLiteral("lot"), QStringLiteral("year")}), testing::IsEmpty());
}
