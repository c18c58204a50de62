#include "settings/formplacement.h"
#include "settingstest.h"

#include <QWidget>
#include <gmock/gmock.h>

namespace {

// A window or control whose placement the test sets and reads.
struct TFakeTarget : Tplacementtarget {
    QString OwnName = QStringLiteral("frm_labeler");
    QString Owner;
    bool Form = true;
    TWindowState State = wsNormal;
    TRect Bounds{10, 20, 310, 220};
    int BoundsSet = 0;

    // Base
    QString Name() const override { return OwnName; }
    QString OwnerName() const override { return Owner; }
    bool IsForm() const override { return Form; }
    TWindowState GetWindowState() const override { return State; }
    void SetWindowState(TWindowState state) override { State = state; }
    TRect GetBounds() const override { return Bounds; }
    void SetBounds(const TRect &r) override
    {
        Bounds = r;
        ++BoundsSet;
    }
};

std::optional<TRect> StoredBounds(const Tregistry &store, const QString &name)
{
    std::array<uint8_t, BoundsRecordSize> record{};
    if (store.ReadBinaryData(name, record.data(), BoundsRecordSize) != BoundsRecordSize)
        return std::nullopt;
    return BoundsFromRecord(record);
}

} // namespace

TEST(FormPlacement, KeysNameTheOwnerAndTwiceTheWindow)
{
    TFakeTarget window;
    EXPECT_EQ(FormPlacementKey(window), QStringLiteral(".frm_labeler.frm_labeler"));
    TFakeTarget toolbar;
    toolbar.OwnName = QStringLiteral("tbr_buttons");
    toolbar.Owner = QStringLiteral("frm_labeler");
    toolbar.Form = false;
    EXPECT_EQ(FormPlacementKey(toolbar), QStringLiteral("frm_labeler.tbr_buttons.tbr_buttons"));
}

TEST(FormPlacement, BoundsRecordIsFourLittleEndianIntegers)
{
    const auto record = BoundsRecord({-1, 2, 0x01020304, -0x7fffffff - 1});
    const std::array<uint8_t, 16> expected{0xff, 0xff, 0xff, 0xff, 2, 0, 0, 0, 4, 3, 2, 1, 0, 0, 0, 0x80};
    EXPECT_EQ(record, expected);
    EXPECT_EQ(BoundsFromRecord(record), (TRect{-1, 2, 0x01020304, -0x7fffffff - 1}));
}

TEST(FormPlacement, SavedMaximisedKeepsTheNormalBounds)
{
    TMemoryStore memory;
    TFakeTarget window;
    SaveFormPlacement(window, memory.Store);
    window.State = wsMaximized;
    window.Bounds = {0, 0, 800, 600};
    SaveFormPlacement(window, memory.Store);
    EXPECT_EQ(memory.Store.ReadInteger(QStringLiteral(".frm_labeler.frm_labeler.windowstate"), -1), 2);
    EXPECT_EQ(StoredBounds(memory.Store, QStringLiteral(".frm_labeler.frm_labeler.bounds")),
              (TRect{10, 20, 310, 220}));

    TFakeTarget next;
    next.Bounds = {1, 1, 2, 2};
    RestoreFormPlacement(next, memory.Store);
    EXPECT_EQ(next.State, wsMaximized);
    EXPECT_EQ(next.BoundsSet, 0) << "a maximised window does not take the stored bounds";
}

TEST(FormPlacement, RestoredBoundsMustMeetAMonitor)
{
    const std::vector<TRect> areas = MonitorWorkAreas();
    ASSERT_FALSE(areas.empty());
    const TRect area = areas.front();
    struct Case {
        const char *What;
        TRect Stored;
        bool Applied;
    };
    const Case cases[] = {
        {"inside", {area.Left + 5, area.Top + 5, area.Left + 305, area.Top + 205}, true},
        {"one pixel at the bottom right",
         {area.Right - 1, area.Bottom - 1, area.Right + 299, area.Bottom + 199},
         true},
        {"one pixel at the top left", {area.Left - 300, area.Top - 200, area.Left + 1, area.Top + 1}, true},
        {"touching the right edge", {area.Right, area.Top, area.Right + 300, area.Top + 200}, false},
        {"far away", {area.Right + 5000, area.Bottom + 5000, area.Right + 5300, area.Bottom + 5200}, false},
        {"above", {area.Left, area.Top - 400, area.Left + 300, area.Top}, false},
        {"empty", {area.Left + 50, area.Top + 50, area.Left + 50, area.Top + 90}, false},
    };
    for (const Case &c : cases) {
        TMemoryStore memory;
        TFakeTarget saved;
        saved.Bounds = c.Stored;
        SaveFormPlacement(saved, memory.Store);
        TFakeTarget restored;
        const TRect before = restored.Bounds;
        RestoreFormPlacement(restored, memory.Store);
        EXPECT_EQ(restored.Bounds, c.Applied ? c.Stored : before) << c.What;
    }
}

TEST(FormPlacement, GivenRectanglesPrefixesAndControls)
{
    TMemoryStore memory;
    TFakeTarget window;
    SaveFormPlacementRect(window, memory.Store, {1, 2, 303, 404}, QStringLiteral("custom"));
    EXPECT_EQ(StoredBounds(memory.Store, QStringLiteral("custom.bounds")), (TRect{1, 2, 303, 404}));
    EXPECT_EQ(memory.Store.ReadInteger(QStringLiteral("custom.windowstate"), -1), 0);
    EXPECT_FALSE(memory.Store.ValueExists(QStringLiteral(".frm_labeler.frm_labeler.bounds")));

    TFakeTarget toolbar;
    toolbar.OwnName = QStringLiteral("tbr_buttons");
    toolbar.Owner = QStringLiteral("frm_labeler");
    toolbar.Form = false;
    SaveFormPlacement(toolbar, memory.Store);
    EXPECT_FALSE(memory.Store.ValueExists(QStringLiteral("frm_labeler.tbr_buttons.tbr_buttons.bounds")))
        << "a control writes nothing";

    const auto record = BoundsRecord({0, 0, 400, 48});
    memory.Store.WriteBinaryData(QStringLiteral("frm_labeler.tbr_buttons.tbr_buttons.bounds"), record.data(),
                                 16);
    memory.Store.WriteInteger(QStringLiteral("frm_labeler.tbr_buttons.tbr_buttons.windowstate"), 2);
    RestoreFormPlacement(toolbar, memory.Store);
    EXPECT_EQ(toolbar.Bounds, (TRect{0, 0, 400, 48})) << "bounds apply to a control without the state test";
    EXPECT_EQ(toolbar.State, wsNormal) << "a control takes no window state";
}

TEST(FormPlacement, DamagedPlacementValuesAreIgnored)
{
    TMemoryStore memory;
    const QString key = QStringLiteral(".frm_labeler.frm_labeler");
    memory.Store.WriteInteger(key + QStringLiteral(".windowstate"), 7);
    const QByteArray shortRecord(15, '\x01');
    memory.Store.WriteBinaryData(key + QStringLiteral(".bounds"), shortRecord.constData(), 15);
    TFakeTarget window;
    RestoreFormPlacement(window, memory.Store);
    EXPECT_EQ(window.State, wsNormal);
    EXPECT_EQ(window.BoundsSet, 0);

    memory.Store.WriteString(key + QStringLiteral(".windowstate"), QStringLiteral("2"));
    memory.Store.WriteString(key + QStringLiteral(".bounds"), QStringLiteral("0,0,10,10"));
    RestoreFormPlacement(window, memory.Store);
    EXPECT_EQ(window.State, wsNormal);
    EXPECT_EQ(window.BoundsSet, 0);
}

TEST(FormPlacement, WidgetsArePlacedThroughTheAdapter)
{
    TMemoryStore memory;
    QWidget toolbox;
    toolbox.setObjectName(QStringLiteral("frm_toolbox"));
    toolbox.setGeometry(40, 50, 200, 300);
    auto *panel = new QWidget(&toolbox); // owned by toolbox
    panel->setObjectName(QStringLiteral("pnl_select"));
    EXPECT_EQ(FormPlacementKey(WidgetPlacement(*panel)), QStringLiteral("frm_toolbox.pnl_select.pnl_select"));
    SaveFormPlacement(WidgetPlacement(toolbox), memory.Store);
    EXPECT_EQ(StoredBounds(memory.Store, QStringLiteral(".frm_toolbox.frm_toolbox.bounds")),
              (TRect{40, 50, 240, 350}));

    QWidget again;
    again.setObjectName(QStringLiteral("frm_toolbox"));
    again.setGeometry(0, 0, 100, 100);
    RestoreFormPlacement(WidgetPlacement(again), memory.Store);
    EXPECT_EQ(again.geometry(), QRect(40, 50, 200, 300));
    EXPECT_EQ(again.windowState(), Qt::WindowNoState);

    memory.Store.WriteInteger(QStringLiteral(".frm_toolbox.frm_toolbox.windowstate"), 2);
    RestoreFormPlacement(WidgetPlacement(again), memory.Store);
    EXPECT_TRUE(again.windowState() & Qt::WindowMaximized);
}
