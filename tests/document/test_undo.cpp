// Undo and redo by what a user does: drags, multi-object moves, deletions, the limit of 40
// steps, redo chains, property changes through pens, brushes and fonts, pictures that arrive
// with their image, and a long random walk whose states must come back byte for byte.

#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"

#include <gmock/gmock.h>
#include <numbers>
#include <random>

using testing::ElementsAre;

namespace {
const TRect View{0, 0, 2000, 2000};

struct TestDoc {
    Tdrawlist doc;
    Tdrawobj *Add(std::unique_ptr<Tdrawobj> o, const TRect &b)
    {
        Tdrawobj *raw = o.get();
        o->Bounds = b;
        doc.AddObject(std::move(o));
        raw->SetView(View, 1.0);
        doc.CloseUndoGroup();
        return raw;
    }
    Tdrawobj *AddPlain(const TRect &b) { return Add(std::make_unique<Tdrawobj>(), b); }
    // One press, many moves, one release.
    void Drag(const std::vector<Tdrawobj *> &objects, int dx, int moves = 10)
    {
        doc.BeginUndoGroup();
        for (int m = 0; m < moves; ++m)
            for (Tdrawobj *o : objects)
                o->SetLeft(o->Left() + dx);
        doc.EndUndoGroup();
    }
};

// Everything the document would save of its objects, in order.
QByteArray DocumentBytes(const Tdrawlist &doc)
{
    QByteArray bytes;
    for (int32_t i = 0; i < doc.Count(); ++i)
        bytes += RecordOf(*doc.GetObject(i));
    return bytes;
}
} // namespace

TEST(Undo, ADragIsOneLevelAndOneStep)
{
    TestDoc t;
    Tdrawobj *o = t.AddPlain({0, 0, 100, 100});
    const int32_t levels = t.doc.GetUndoList().Count();
    t.Drag({o}, 5, 100);
    EXPECT_EQ(o->Left(), 500);
    EXPECT_EQ(t.doc.GetUndoList().Count(), levels + 1);
    EXPECT_EQ(t.doc.GetUndoList().GetLevel(levels).Kind, ckGeometry);
    t.doc.Undo();
    EXPECT_EQ(o->Left(), 0);
}

TEST(Undo, MovingThreeObjectsUndoesTogether)
{
    TestDoc t;
    Tdrawobj *a = t.AddPlain({0, 0, 100, 100}), *b = t.AddPlain({200, 0, 300, 100}),
             *c = t.AddPlain({400, 0, 500, 100});
    const int32_t levels = t.doc.GetUndoList().Count();
    t.Drag({a, b, c}, 10);
    EXPECT_EQ(t.doc.GetUndoList().Count(), levels + 3);
    t.doc.Undo();
    EXPECT_EQ(a->Left(), 0);
    EXPECT_EQ(b->Left(), 200);
    EXPECT_EQ(c->Left(), 400);
}

TEST(Undo, DeletedObjectsComeBackWhereTheyWereWithTheirIds)
{
    TestDoc t;
    for (int i = 0; i < 5; ++i)
        t.AddPlain({i * 100, 0, i * 100 + 50, 50});
    const int32_t id1 = t.doc.GetObject(1)->Id, id3 = t.doc.GetObject(3)->Id;
    const QByteArray before = DocumentBytes(t.doc);
    t.doc.GetObject(1)->SetSelected(true);
    t.doc.GetObject(3)->SetSelected(true);
    t.doc.BeginUndoGroup();
    t.doc.DeleteSelected();
    t.doc.EndUndoGroup();
    ASSERT_EQ(t.doc.Count(), 3);
    t.doc.Undo();
    ASSERT_EQ(t.doc.Count(), 5);
    EXPECT_EQ(t.doc.GetObject(1)->Id, id1);
    EXPECT_EQ(t.doc.GetObject(3)->Id, id3);
    EXPECT_EQ(DocumentBytes(t.doc), before);
}

TEST(Undo, OnlyTheNewestFortyStepsAreKept)
{
    TestDoc t;
    Tdrawobj *o = t.AddPlain({0, 0, 100, 100});
    Tdrawobj *p = t.AddPlain({200, 0, 300, 100});
    for (int i = 0; i < 41; ++i)
        t.Drag({o, p}, 1, 1);
    EXPECT_EQ(t.doc.GetUndoList().GroupCount(), 40);
    EXPECT_EQ(t.doc.GetUndoList().Count(), 80); // the oldest step went whole, both its levels
    int undone = 0;
    while (t.doc.GetUndoList().GroupCount() > 0) {
        t.doc.Undo();
        ++undone;
    }
    EXPECT_EQ(undone, 40);
    EXPECT_EQ(o->Left(), 1); // the first drag is out of reach
}

TEST(Undo, AChangeAfterUndoDropsWhatWasUndone)
{
    TestDoc t;
    Tdrawobj *o = t.AddPlain({0, 0, 100, 100});
    t.Drag({o}, 5);
    t.Drag({o}, 5);
    t.doc.Undo();
    EXPECT_EQ(t.doc.GetUndoList().UndoneCount(), 1);
    t.Drag({o}, 1);
    EXPECT_EQ(t.doc.GetUndoList().UndoneCount(), 0);
    t.doc.Redo(); // nothing to redo: the branch is gone
    EXPECT_EQ(o->Left(), 60);
}

TEST(Undo, RedoChains)
{
    TestDoc t;
    Tdrawobj *o = t.AddPlain({0, 0, 100, 100});
    t.Drag({o}, 1);
    t.Drag({o}, 2);
    t.Drag({o}, 3);
    EXPECT_EQ(o->Left(), 60);
    t.doc.Undo();
    t.doc.Undo();
    t.doc.Undo();
    EXPECT_EQ(o->Left(), 0);
    t.doc.Redo();
    EXPECT_EQ(o->Left(), 10);
    t.doc.Redo();
    EXPECT_EQ(o->Left(), 30);
    EXPECT_EQ(t.doc.GetUndoList().UndoneCount(), 1);
    o->SetTop(7); // a change outside a gesture
    EXPECT_EQ(t.doc.GetUndoList().UndoneCount(), 0);
    t.doc.Redo();
    EXPECT_EQ(o->Left(), 30);
}

TEST(Undo, RedoBringsBackAddedAndDeletedObjects)
{
    TestDoc t;
    t.AddPlain({0, 0, 100, 100});
    auto shape = std::make_unique<Tvnlshape>();
    Tvnlshape *s = shape.get();
    t.doc.BeginUndoGroup();
    shape->Bounds = {300, 300, 400, 400};
    t.doc.AddObject(std::move(shape));
    s->SetShapeStyle(TShapeStyle::RoundRect);
    s->Pen.SetWidth(3);
    t.doc.EndUndoGroup();
    const int32_t id = s->Id;
    const QByteArray withShape = DocumentBytes(t.doc);
    t.doc.Undo();
    EXPECT_EQ(t.doc.Count(), 1);
    t.doc.Redo();
    ASSERT_EQ(t.doc.Count(), 2);
    EXPECT_EQ(t.doc.GetObject(1)->Id, id);
    EXPECT_EQ(DocumentBytes(t.doc), withShape);

    t.doc.GetObject(1)->SetSelected(true);
    t.doc.DeleteSelected();
    t.doc.CloseUndoGroup();
    t.doc.Undo();
    EXPECT_EQ(DocumentBytes(t.doc), withShape);
    t.doc.Redo();
    EXPECT_EQ(t.doc.Count(), 1);
}

TEST(Undo, ARandomWalkReturnsToEveryStateByteForByte)
{
    TestDoc t;
    std::mt19937 random(17);
    std::vector<QByteArray> states{DocumentBytes(t.doc)}; // states[k]: after k steps forward
    size_t position = 0;                                  // how many steps are applied now
    const auto edit = [&] {
        t.doc.BeginUndoGroup();
        const int what = int(random() % 5);
        if (t.doc.Count() == 0 || what == 0) {
            auto text = std::make_unique<Tvnltext>();
            text->Bounds = {int(random() % 900), int(random() % 900), 1000, 1000};
            Tvnltext *raw = text.get();
            t.doc.AddObject(std::move(text));
            raw->SetText(QStringLiteral("Cuv\u00e9e %1").arg(random() % 100));
        } else {
            Tdrawobj *o = t.doc.GetObject(int32_t(random() % uint32_t(t.doc.Count())));
            if (what == 1) {
                o->SetSelected(true);
                t.doc.DeleteSelected();
            } else if (what == 2) {
                o->SetLeft(o->Left() + int(random() % 50) - 25);
                o->SetWidth(o->Width() + 3);
            } else if (auto *text = dynamic_cast<Tvnltext *>(o)) {
                text->SetText(text->GetText() + u'!');
                text->Font.SetHeight(text->Font.Height() - 1);
            } else {
                o->SetTop(o->Top() + 1);
            }
        }
        t.doc.EndUndoGroup();
        states.resize(position + 1);
        states.push_back(DocumentBytes(t.doc));
        ++position;
    };
    for (int step = 0; step < 400; ++step) {
        const int choice = int(random() % 10);
        if (choice < 5 || position == 0) {
            edit();
        } else if (choice < 8 && position > 0 && t.doc.GetUndoList().GroupCount() > 0) {
            t.doc.Undo();
            --position;
            ASSERT_EQ(DocumentBytes(t.doc), states[position]) << "undo at step " << step;
        } else if (position + 1 < states.size()) {
            t.doc.Redo();
            ++position;
            ASSERT_EQ(DocumentBytes(t.doc), states[position]) << "redo at step " << step;
        }
    }
}

TEST(Undo, PenBrushFontAndTurnChangesComeBackByteForByte)
{
    struct Case {
        const char *name;
        std::function<void(Tvnlshape &, Tvnltext &)> change;
    };
    const std::vector<Case> cases{
        {"pen colour", [](Tvnlshape &s, Tvnltext &) { s.Pen.SetColor(RGB(200, 0, 0)); }},
        {"pen width", [](Tvnlshape &s, Tvnltext &) { s.Pen.SetWidth(7); }},
        {"brush colour", [](Tvnlshape &s, Tvnltext &) { s.Brush.SetColor(RGB(0, 120, 0)); }},
        {"font name", [](Tvnlshape &, Tvnltext &t) { t.Font.SetName(QStringLiteral("Liberation Serif")); }},
        {"font height", [](Tvnlshape &, Tvnltext &t) { t.Font.SetHeight(-30); }},
        {"font colour", [](Tvnlshape &, Tvnltext &t) { t.Font.SetColor(RGB(255, 0, 0)); }},
        {"font style", [](Tvnlshape &, Tvnltext &t) { t.Font.SetStyle(fsBold | fsItalic); }},
        {"two degrees",
         [](Tvnlshape &s, Tvnltext &) { s.SetAngle(s.GetAngle() + 2 * std::numbers::pi / 180); }},
    };
    for (const Case &c : cases) {
        TestDoc t;
        auto *shape = static_cast<Tvnlshape *>(t.Add(std::make_unique<Tvnlshape>(), {0, 0, 500, 500}));
        shape->SetShapeStyle(TShapeStyle::Polygon);
        shape->SetAngle(0.3);
        auto *text = static_cast<Tvnltext *>(t.Add(std::make_unique<Tvnltext>(), {0, 600, 900, 900}));
        text->SetText(QStringLiteral("Syrah"));
        t.doc.CloseUndoGroup();
        const QByteArray before = DocumentBytes(t.doc);
        // As the tool window changes it: one property, outside any gesture.
        c.change(*shape, *text);
        t.doc.CloseUndoGroup();
        const QByteArray after = DocumentBytes(t.doc);
        ASSERT_NE(after, before) << c.name;
        t.doc.Undo();
        EXPECT_EQ(DocumentBytes(t.doc), before) << c.name;
        t.doc.Redo();
        EXPECT_EQ(DocumentBytes(t.doc), after) << c.name;
    }
}

TEST(Undo, RedoBringsAPictureBackWithItsImage)
{
    Tdrawlist source;
    auto picture = std::make_unique<Tvnlpic>();
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::darkRed);
    picture->SetPicture(image);
    picture->Bounds = {100, 100, 340, 260};
    source.AddObject(std::move(picture));
    source.SelectIndex(0);
    // Copied objects (a template's into a new project, Move To or From Template), and a paste.
    const std::function<void(Tdrawlist &)> adds[] = {
        [&](Tdrawlist &target) { target.CopyObjects(source, false); },
        [&](Tdrawlist &target) {
            source.CopySelected(false);
            QString kind;
            target.Paste({200, 200}, false, kind);
        }};
    for (const auto &add : adds) {
        TestDoc t;
        t.doc.BeginUndoGroup();
        add(t.doc);
        t.doc.EndUndoGroup();
        const QByteArray withPicture = DocumentBytes(t.doc);
        t.doc.Undo();
        ASSERT_EQ(t.doc.Count(), 0);
        t.doc.Redo();
        EXPECT_EQ(DocumentBytes(t.doc), withPicture);
        ASSERT_EQ(t.doc.Count(), 1);
        EXPECT_EQ(static_cast<Tvnlpic *>(t.doc.GetObject(0))->GetPicture().size(), QSize(24, 16));
    }
}
