#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/text.h"
#include "platform/streams.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {
const TRect View{0, 0, 2000, 2000};

// An object the current tool cannot pick.
class Tunpickable : public Tdrawobj {
public:
    bool IsPickable(TTool) const override { return false; }
};

// A document whose objects have the given bounds, viewed at scale 1 (pixels = units).
struct TestDoc {
    Tdrawlist doc;
    std::vector<Tdrawobj *> objects;

    explicit TestDoc(std::initializer_list<TRect> bounds)
    {
        for (const TRect &b : bounds)
            Add(std::make_unique<Tdrawobj>(), b);
    }
    Tdrawobj *Add(std::unique_ptr<Tdrawobj> o, const TRect &b)
    {
        Tdrawobj *raw = o.get();
        o->Bounds = b;
        doc.AddObject(std::move(o));
        raw->SetView(View, 1.0);
        objects.push_back(raw);
        return raw;
    }
    // The positions of the objects, in the order they were added.
    std::vector<int32_t> Positions() const
    {
        std::vector<int32_t> result;
        for (Tdrawobj *o : objects)
            result.push_back(doc.IndexOfObject(o));
        return result;
    }
};

} // namespace

TEST(DrawList, LabelSizeSetsTheRectangleAndUnits)
{
    Tdrawlist doc;
    doc.SetLabelRect({100000, 100000, 100001, 100001});
    doc.SetLabelWidth(4.0);
    doc.SetLabelHeight(3.5);
    EXPECT_EQ(doc.GetLabelRect(), (TRect{100000, 100000, 104000, 103500}));
    EXPECT_DOUBLE_EQ(doc.UnitsPerInchX(), 1000.0);
    EXPECT_DOUBLE_EQ(doc.UnitsPerInchY(), 1000.0);

    auto o = std::make_unique<Tdrawobj>();
    Tdrawobj *raw = o.get();
    doc.AddObject(std::move(o));
    EXPECT_DOUBLE_EQ(raw->UnitsPerInchX, 1000.0);
    doc.SetLabelWidth(0);
    EXPECT_EQ(doc.UnitsPerInchX(), 0.0);
    EXPECT_EQ(raw->UnitsPerInchX, 0.0);
    auto later = std::make_unique<Tdrawobj>();
    Tdrawobj *laterRaw = later.get();
    doc.AddObject(std::move(later));
    EXPECT_EQ(laterRaw->UnitsPerInchX, 0.0);
    EXPECT_DOUBLE_EQ(laterRaw->UnitsPerInchY, 1000.0);

    // Absurd sizes hold the rectangle at the edge of the coordinates instead of overflowing.
    doc.SetLabelWidth(3e6);
    doc.SetLabelHeight(1e300);
    EXPECT_EQ(doc.GetLabelRect(), (TRect{100000, 100000, INT32_MAX, INT32_MAX}));
}

TEST(DrawList, AddingWiresTheObjectAndMarksTheDocument)
{
    TestDoc t{{0, 0, 100, 100}, {50, 50, 150, 150}};
    EXPECT_TRUE(t.doc.IsModified());
    EXPECT_FALSE(t.objects[1]->Modified);
    EXPECT_EQ(t.objects[1]->ZIndex, 1);
    EXPECT_EQ(t.objects[1]->LastChangeKind, ckAdded);
    t.doc.SetModified(false);
    t.objects[0]->SetBounds({0, 0, 200, 200});
    EXPECT_TRUE(t.doc.IsModified());
    EXPECT_TRUE(t.objects[0]->Modified);
    t.doc.SetModified(false);
    EXPECT_FALSE(t.objects[0]->Modified);
}

TEST(DrawList, ObjectChangesReachTheDirtyListAndOnChange)
{
    TestDoc t{{0, 0, 100, 100}};
    int changes = 0;
    t.doc.OnChange = [&](Tdrawlist *sender) {
        EXPECT_EQ(sender, &t.doc);
        ++changes;
    };
    t.doc.ClearInvalid();
    t.objects[0]->SetBounds({50, 0, 150, 100});
    EXPECT_EQ(changes, 1);
    // The old and new areas overlap, so they are merged into one.
    EXPECT_THAT(t.doc.GetInvalidList().Rects(), ElementsAre(TRect{0, 0, 150, 100}));
    t.doc.Invalidate(true);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(t.doc.GetInvalidList().GetRect(1), WholeArea);
}

TEST(DrawList, ClickingCyclesDownThroughAStack)
{
    TestDoc t{{0, 0, 100, 100}, {0, 0, 100, 100}, {0, 0, 100, 100}};
    Tdrawobj *a = t.objects[0], *b = t.objects[1], *c = t.objects[2];
    const TPoint p{50, 50};
    EXPECT_EQ(t.doc.ObjectAt(p, true), c);
    t.doc.SelectObject(c);
    EXPECT_EQ(t.doc.ObjectAt(p, true), b);
    t.doc.SelectObject(b);
    EXPECT_EQ(t.doc.ObjectAt(p, true), a);
    t.doc.SelectObject(a);
    EXPECT_EQ(t.doc.ObjectAt(p, true), c); // below the bottom the search wraps to the top
    EXPECT_EQ(t.doc.ObjectAt({500, 500}, true), nullptr);
}

TEST(DrawList, ClickingPassesOverUnpickableObjects)
{
    TestDoc t{{0, 0, 100, 100}};
    Tdrawobj *top = t.Add(std::make_unique<Tunpickable>(), {0, 0, 100, 100});
    EXPECT_EQ(t.doc.ObjectAt({50, 50}, true), t.objects[0]);
    t.doc.Tool = TTool::Text; // plain objects are not pickable by the text tool
    EXPECT_EQ(t.doc.ObjectAt({50, 50}, true), nullptr);
    (void)top;
}

TEST(DrawList, ClickOutsideTheSelectionStartsAtTheTop)
{
    TestDoc t{{0, 0, 100, 100}, {200, 0, 300, 100}, {0, 0, 100, 100}};
    t.doc.SelectObject(t.objects[1]);
    EXPECT_EQ(t.doc.ObjectAt({50, 50}, true), t.objects[2]);
}

TEST(DrawList, SelectedAtPrefersTheTopmostSelected)
{
    TestDoc t{{0, 0, 100, 100}, {0, 0, 100, 100}, {0, 0, 100, 100}};
    t.objects[0]->SetSelected(true);
    t.objects[1]->SetSelected(true);
    EXPECT_EQ(t.doc.SelectedAt({50, 50}), t.objects[1]);
    EXPECT_EQ(t.doc.SelectedAt({150, 50}), nullptr);
}

TEST(DrawList, SelectedHandleAtFindsTheObjectThatShowsHandles)
{
    TestDoc t{{0, 0, 100, 100}, {200, 0, 300, 100}};
    t.doc.SelectAll();
    Tdrawobj *hit = nullptr;
    EXPECT_EQ(t.doc.SelectedHandleAt({300, 100}, hit), hcBottomRight);
    EXPECT_EQ(hit, t.objects[1]);
    EXPECT_EQ(t.doc.SelectedHandleAt({0, 0}, hit), hcTopLeft);
    EXPECT_EQ(hit, t.objects[0]);
    EXPECT_EQ(t.doc.SelectedHandleAt({150, 50}, hit), hcNone);
    EXPECT_EQ(hit, nullptr);
    // With a tool that shows no handles nothing qualifies, yet the code of the last object
    // examined comes back; callers go by the object.
    t.doc.Tool = TTool::Text;
    EXPECT_EQ(t.doc.SelectedHandleAt({0, 0}, hit), hcTopLeft);
    EXPECT_EQ(hit, nullptr);
}

TEST(DrawList, OnSelectOnlyWhenThePrimarySelectionChanges)
{
    TestDoc t{{0, 0, 100, 100}, {200, 0, 300, 100}};
    std::vector<Tdrawobj *> raised;
    t.doc.OnSelect = [&](Tdrawobj *o) { raised.push_back(o); };
    t.doc.SelectObject(t.objects[1]);
    t.doc.SelectObject(t.objects[1]);
    EXPECT_THAT(raised, ElementsAre(t.objects[1]));
    EXPECT_EQ(t.doc.GetSelectedIndex(), 1);
    t.doc.SelectIndex(0);
    t.doc.SelectIndex(0);
    EXPECT_THAT(raised, ElementsAre(t.objects[1], t.objects[0]));
    t.doc.SelectAll();
    EXPECT_EQ(raised.size(), 2u);
    EXPECT_EQ(t.doc.SelectedCount(), 2);
    t.doc.SelectObject(nullptr);
    EXPECT_THAT(raised, ElementsAre(t.objects[1], t.objects[0], nullptr));
    EXPECT_EQ(t.doc.SelectedCount(), 0);
    EXPECT_EQ(t.doc.GetSelectedObject(), nullptr);
}

TEST(DrawList, SelectionQueriesInListOrder)
{
    TestDoc t{{0, 0, 100, 100}, {0, 0, 100, 100}, {0, 0, 100, 100}, {0, 0, 100, 100}};
    t.objects[3]->SetSelected(true);
    t.objects[1]->SetSelected(true);
    EXPECT_EQ(t.doc.GetSelected(0), t.objects[1]);
    EXPECT_EQ(t.doc.GetSelected(1), t.objects[3]);
    EXPECT_EQ(t.doc.GetSelected(2), nullptr);
    EXPECT_EQ(t.doc.GetSelectedPos(1), 3);
    EXPECT_EQ(t.doc.GetSelectedPos(2), -1);
    // The object selected alone first stays the primary selection.
    EXPECT_EQ(t.doc.GetSelectedObject(), t.objects[3]);
    std::vector<Tdrawobj *> collected;
    t.doc.CollectSelected(collected);
    EXPECT_THAT(collected, ElementsAre(t.objects[1], t.objects[3]));
}

TEST(DrawList, DeleteSelectedFreesAndRenumbers)
{
    TestDoc t{{0, 0, 100, 100}, {0, 0, 100, 100}, {0, 0, 100, 100}};
    std::vector<Tdrawobj *> raised;
    t.doc.OnSelect = [&](Tdrawobj *o) { raised.push_back(o); };
    t.objects[0]->SetSelected(true);
    t.objects[2]->SetSelected(true);
    t.doc.SetModified(false);
    EXPECT_TRUE(t.doc.DeleteSelected());
    ASSERT_EQ(t.doc.Count(), 1);
    EXPECT_EQ(t.doc.GetObject(0), t.objects[1]);
    EXPECT_EQ(t.objects[1]->ZIndex, 0);
    EXPECT_TRUE(t.doc.IsModified());
    EXPECT_THAT(raised, ElementsAre(nullptr));
}

TEST(DrawList, DeleteWithNothingSelectedStillRaisesOnSelect)
{
    TestDoc t{{0, 0, 100, 100}};
    std::vector<Tdrawobj *> raised;
    t.doc.OnSelect = [&](Tdrawobj *o) { raised.push_back(o); };
    EXPECT_FALSE(t.doc.DeleteSelected());
    EXPECT_THAT(raised, ElementsAre(nullptr));
    EXPECT_EQ(t.doc.Count(), 1);
}

TEST(DrawList, MoveOneObject)
{
    TestDoc t{{0, 0, 10, 10}, {0, 0, 10, 10}, {0, 0, 10, 10}, {0, 0, 10, 10}, {0, 0, 10, 10}};
    Tdrawobj *o = t.objects[1];
    EXPECT_EQ(t.doc.MoveInOrder(o, 3, 0, true), 3);
    EXPECT_EQ(o->ZIndex, 3);
    EXPECT_EQ(t.doc.MoveInOrder(o, 0, 0, false), 0);
    EXPECT_EQ(t.doc.MoveInOrder(o, ToFront, 0, false), 4);
    EXPECT_EQ(t.doc.MoveInOrder(o, 10, 0, false), 4); // stops at the top
    EXPECT_EQ(t.doc.MoveInOrder(o, -2, 0, false), 2);
    EXPECT_EQ(t.doc.MoveInOrder(o, -10, 1, false), 1); // stops at the base
    EXPECT_THAT(t.Positions(), ElementsAre(0, 1, 2, 3, 4));

    Tdrawobj stranger;
    EXPECT_EQ(t.doc.MoveInOrder(&stranger, 2, 0, false), 0);
    EXPECT_THAT(t.Positions(), ElementsAre(0, 1, 2, 3, 4));
}

TEST(DrawList, MovingASelectionKeepsItsOrder)
{
    const TRect r{0, 0, 10, 10};
    TestDoc t{r, r, r, r, r, r};
    t.objects[1]->SetSelected(true);
    t.objects[4]->SetSelected(true);
    EXPECT_EQ(t.doc.MoveInOrder(nullptr, 1, 0, false), 1);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[1]), 2);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[4]), 5);
    t.doc.MoveInOrder(nullptr, 1, 0, false);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[1]), 3);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[4]), 5);
    t.doc.MoveInOrder(nullptr, 1, 0, false);
    t.doc.MoveInOrder(nullptr, 1, 0, false);
    // The lower one stops under the upper one: they never pass each other.
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[1]), 4);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[4]), 5);

    t.doc.MoveInOrder(nullptr, -1, 0, false);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[1]), 3);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[4]), 4);
    t.doc.MoveInOrder(nullptr, 0, 0, false);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[1]), 0);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[4]), 1);
    t.doc.MoveInOrder(nullptr, -1, 0, false);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[1]), 0);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[4]), 1);
    t.doc.MoveInOrder(nullptr, ToFront, 0, false);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[1]), 4);
    EXPECT_EQ(t.doc.IndexOfObject(t.objects[4]), 5);
    for (int32_t i = 0; i < t.doc.Count(); ++i)
        EXPECT_EQ(t.doc.GetObject(i)->ZIndex, i);
}

TEST(DrawList, MovingTheSelectionToTheBackAndFrontAtTheEnds)
{
    const TRect r{0, 0, 10, 10};
    TestDoc t{r, r, r, r};
    t.objects[0]->SetSelected(true);
    t.objects[3]->SetSelected(true);
    t.doc.MoveInOrder(nullptr, 0, 0, false);
    EXPECT_THAT(t.Positions(), ElementsAre(0, 2, 3, 1));
    t.doc.MoveInOrder(nullptr, ToFront, 0, false);
    EXPECT_THAT(t.Positions(), ElementsAre(2, 0, 1, 3));
}

TEST(DrawList, CopiesWriteTheSameRecordsApartFromTheId)
{
    TestDoc t{{100, 200, 300, 400}, {-50, 10, 70, 9000}};
    Tdrawlist copy;
    copy.CopyObjects(t.doc, false);
    ASSERT_EQ(copy.Count(), 2);
    for (int32_t i = 0; i < 2; ++i) {
        QByteArray original = RecordOf(*t.doc.GetObject(i));
        QByteArray copied = RecordOf(*copy.GetObject(i));
        EXPECT_NE(original.mid(11, 4), copied.mid(11, 4));
        original.remove(11, 4);
        copied.remove(11, 4);
        EXPECT_EQ(original, copied);
        EXPECT_FALSE(copy.GetObject(i)->Selected);
    }
}

TEST(DrawList, CopyingOnlyTheSelection)
{
    TestDoc t{{0, 0, 100, 100}, {200, 0, 300, 100}};
    t.doc.SelectObject(t.objects[1]);
    Tdrawlist copy;
    copy.CopyObjects(t.doc, true);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(copy.GetObject(0)->Bounds, (TRect{200, 0, 300, 100}));
    EXPECT_TRUE(copy.IsModified());
}

TEST(DrawList, ReadObjectStopsAtTheEndMarkAndUnknownCodes)
{
    for (const QByteArray &bytes : {QByteArray("\xFF\x05\0\0\0", 5), QByteArray("\x09\x05\0\0\0", 5)}) {
        const qint64 end =
            ReadBack(bytes, [](QIODevice &stream) { EXPECT_EQ(Tdrawlist::ReadObject(stream), nullptr); });
        EXPECT_EQ(end, 1); // no length field consumed
    }
    ReadBack({}, [](QIODevice &empty) { EXPECT_EQ(Tdrawlist::ReadObject(empty), nullptr); });
}

TEST(DrawList, TemplateSizeIsCopiedUntilDetached)
{
    tlabeltemplate templ;
    templ.SetLabelRect({100000, 100000, 100001, 100001});
    templ.SetLabelWidth(2.5);
    templ.SetLabelHeight(4.0);
    Tdrawlist project;
    project.SetLabelRect({100000, 100000, 100001, 100001});
    project.SetTemplate(&templ);
    EXPECT_EQ(project.GetLabelRect(), (TRect{100000, 100000, 102500, 104000}));
    templ.SetLabelWidth(3.0);
    EXPECT_DOUBLE_EQ(project.GetLabelWidth(), 3.0);
    project.SetTemplate(nullptr);
    templ.SetLabelWidth(1.0);
    EXPECT_DOUBLE_EQ(project.GetLabelWidth(), 3.0);
    EXPECT_FALSE(templ.OnResize);
}

TEST(DrawList, ClearKeepsTheLabelAndForgetsTheFileName)
{
    TestDoc t{{0, 0, 100, 100}};
    t.doc.SetLabelRect({100000, 100000, 100001, 100001});
    t.doc.SetLabelWidth(4.0);
    t.doc.SetFileName(QStringLiteral("label.wlp"));
    EXPECT_TRUE(t.doc.GetFullPath().endsWith(QStringLiteral("/label.wlp")));
    t.doc.ClearObjects();
    EXPECT_EQ(t.doc.Count(), 0);
    EXPECT_EQ(t.doc.GetFileName(), QStringLiteral("label.wlp"));
    t.doc.Clear();
    EXPECT_TRUE(t.doc.GetFileName().isEmpty());
    EXPECT_TRUE(t.doc.GetFullPath().isEmpty());
    EXPECT_DOUBLE_EQ(t.doc.GetLabelWidth(), 4.0);
}

TEST(DrawList, IdsAreSerialAndFoundById)
{
    TestDoc t{{0, 0, 10, 10}, {0, 0, 10, 10}};
    EXPECT_EQ(t.objects[1]->Id, t.objects[0]->Id + 1);
    EXPECT_EQ(t.doc.FindById(t.objects[1]->Id), t.objects[1]);
    EXPECT_EQ(t.doc.FindById(-1), nullptr);
    EXPECT_EQ(t.doc.IndexOfObject(nullptr), -1);
}

TEST(DrawList, PlaceholdersFromTheTemplatesTexts)
{
    Tdrawlist doc;
    auto text = std::make_unique<Tvnltext>();
    Tvnltext *t = text.get();
    text->SetText(QStringLiteral("Estate Bottled"));
    doc.AddObject(std::move(text));
    doc.AddObject(std::make_unique<Tdrawobj>());
    doc.MakePlaceholders();
    EXPECT_TRUE(t->GetText().isEmpty());
    EXPECT_EQ(t->GetPlaceholderText(), QStringLiteral("* Estate Bottled *"));
    Tundolist &history = doc.GetUndoList();
    EXPECT_EQ(history.GetLevel(history.Count() - 1).Kind, ckProperty); // emptying is one undo level
}

TEST(DrawList, PictureCacheLimitReachesEveryPicture)
{
    Tdrawlist doc;
    auto picture = std::make_unique<Tvnlpic>();
    Tvnlpic *p = picture.get();
    doc.AddObject(std::move(picture));
    doc.SetPictureCacheLimit(300);
    EXPECT_EQ(p->GetCacheLimit(), 300);
    doc.SetPictureCacheLimit(0);
    EXPECT_EQ(p->GetCacheLimit(), NoCacheLimit);
}
