#include "widgets/dropmsg.h"

#include <QCheckBox>
#include <QDateTime>
#include <QListWidget>
#include <QPainter>
#include <QTest>
#include <gmock/gmock.h>

namespace {

// 14:05:09 on some day, in days since 30 December 1899.
constexpr double Day = 45000;
constexpr double MsPerDay = 86400000.0;
constexpr double At140509 = Day + (14 * 3600 + 5 * 60 + 9) / 86400.0;

// A shown bar whose clock the test moves; its tick starts near the 32-bit wrap, so the
// ages of the messages are taken across it.
struct TShownPanel {
    QWidget Form;
    Tpnl_dropmsg *Panel = new Tpnl_dropmsg(&Form); // owned by Form
    uint32_t StartTick = 0xFFFFF000u;
    uint32_t Elapsed = 0;

    TShownPanel()
    {
        Panel->setGeometry(10, 10, 300, 20);
        Panel->SetCaption(" Messages");
        Panel->Clock = [this] { return TTimeStamp{StartTick + Elapsed, At140509 + Elapsed / MsPerDay}; };
        Form.resize(320, 100);
        Form.show();
    }

    QStringList Lines() const
    {
        QStringList lines;
        for (int i = 0; i < Panel->DropDown->lb->count(); ++i)
            lines << Panel->DropDown->lb->item(i)->text();
        return lines;
    }
};

} // namespace

TEST(DropMsg, TimeOfDayTextCountsFromMidnight)
{
    struct Case {
        double DateTime;
        const char *Text;
    };
    const Case cases[] = {
        {At140509, "14:05:09"},  {Day, "00:00:00"},
        {Day + 0.5, "12:00:00"}, {Day + 86399.0 / 86400, "23:59:59"},
        {0, "00:00:00"},         {-1.25, "18:00:00"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TimeOfDayText(c.DateTime), c.Text) << c.DateTime;
}

TEST(DropMsg, OneMessageNeverDropsTheList)
{
    TShownPanel shown;
    shown.Panel->AddMessage("first");
    EXPECT_FALSE(shown.Panel->IsDropped());
    EXPECT_FALSE(shown.Panel->DropDown->isVisible());
    EXPECT_FALSE(shown.Panel->tmr_refresh.isActive());
}

TEST(DropMsg, TwoRecentMessagesDropTheListUntilOnlyOneIsRecent)
{
    TShownPanel shown;
    shown.Panel->AddMessage("first");
    shown.Elapsed = 5000;
    shown.Panel->AddMessage("second");
    EXPECT_TRUE(shown.Panel->IsDropped());
    EXPECT_TRUE(shown.Panel->DropDown->isVisible());
    EXPECT_EQ(shown.Lines(), (QStringList{"14:05:09:first", "14:05:14:second"}));
    EXPECT_EQ(shown.Panel->DropDown->lb->currentRow(), 1);
    EXPECT_TRUE(shown.Panel->tmr_refresh.isActive());
    EXPECT_EQ(shown.Panel->tmr_refresh.interval(), 1000);

    shown.Elapsed = 9999;
    shown.Panel->Refresh();
    EXPECT_TRUE(shown.Panel->IsDropped());

    shown.Elapsed = 11000;
    shown.Panel->Refresh();
    EXPECT_EQ(shown.Lines(), QStringList{"14:05:14:second"});
    EXPECT_FALSE(shown.Panel->IsDropped());
    EXPECT_FALSE(shown.Panel->DropDown->isVisible());
    EXPECT_FALSE(shown.Panel->tmr_refresh.isActive());
    EXPECT_EQ(shown.Panel->GetMessages().Count(), 2);
}

TEST(DropMsg, TheDropDownHangsUnderTheBarAndShowsAtMostTenLines)
{
    struct Case {
        int Messages;
        int Height;
    };
    const Case cases[] = {{2, 2 * 13 + 4}, {10, 10 * 13 + 4}, {14, 10 * 13 + 4}};
    for (const Case &c : cases) {
        TShownPanel shown;
        for (int i = 0; i < c.Messages; ++i)
            shown.Panel->AddMessage(QString::number(i));
        const QRect placed = shown.Panel->DropDown->geometry();
        EXPECT_EQ(placed.topLeft(), shown.Panel->mapToGlobal(QPoint(0, 20))) << c.Messages;
        EXPECT_EQ(placed.width(), 300) << c.Messages;
        EXPECT_EQ(placed.height(), c.Height) << c.Messages;
    }
}

TEST(DropMsg, TheDropDownFollowsTheBarWhenItMovesOrGrows)
{
    TShownPanel shown;
    shown.Panel->AddMessage("a");
    shown.Panel->AddMessage("b");
    shown.Panel->setGeometry(40, 30, 200, 20);
    EXPECT_EQ(shown.Panel->DropDown->geometry(),
              QRect(shown.Panel->mapToGlobal(QPoint(0, 20)), QSize(200, 30)));
    EXPECT_EQ(shown.Panel->chk_hide->geometry(), QRect(200 - 48, 3, 44, 14));
}

TEST(DropMsg, WithHideTickedTheListNeverDropsByItselfButAClickStillToggles)
{
    TShownPanel shown;
    shown.Panel->chk_hide->setChecked(true);
    shown.Panel->AddMessage("first");
    shown.Panel->AddMessage("second");
    EXPECT_FALSE(shown.Panel->IsDropped());
    EXPECT_TRUE(shown.Panel->tmr_refresh.isActive());

    QTest::mouseClick(shown.Panel, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_TRUE(shown.Panel->IsDropped());
    EXPECT_TRUE(shown.Panel->DropDown->isVisible());
    EXPECT_EQ(shown.Panel->DropDown->lb->count(), 0);

    // Opened by a click, the drop-down is left alone by the refresh.
    shown.Panel->Refresh();
    EXPECT_TRUE(shown.Panel->IsDropped());
    EXPECT_EQ(shown.Panel->DropDown->lb->count(), 0);

    QTest::mouseClick(shown.Panel, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_FALSE(shown.Panel->IsDropped());
}

TEST(DropMsg, ClickingHideTakesTheListAway)
{
    TShownPanel shown;
    shown.Panel->AddMessage("first");
    shown.Panel->AddMessage("second");
    ASSERT_TRUE(shown.Panel->IsDropped());
    QTest::mouseClick(shown.Panel->chk_hide, Qt::LeftButton);
    EXPECT_TRUE(shown.Panel->chk_hide->isChecked());
    EXPECT_FALSE(shown.Panel->IsDropped());
    EXPECT_FALSE(shown.Panel->DropDown->isVisible());
}

TEST(DropMsg, AHiddenBarCollectsMessagesWithoutDropping)
{
    Tpnl_dropmsg panel;
    panel.AddMessage("first");
    panel.AddMessage("second");
    EXPECT_EQ(panel.GetMessages().Count(), 2);
    EXPECT_FALSE(panel.IsDropped());
    EXPECT_EQ(panel.DropDown->lb->count(), 0);
}

TEST(DropMsg, EvenLinesHaveARuleAlongTheirTop)
{
    Tf_lb dropdown;
    dropdown.lb->addItems({"", "", ""});
    QImage image(100, 3 * Tf_lb::ItemHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int i = 0; i < 3; ++i)
        dropdown.lbDrawItem(painter, i, QRect(0, i * Tf_lb::ItemHeight, 100, Tf_lb::ItemHeight), false);
    painter.end();
    const QColor rule = dropdown.lb->palette().color(QPalette::WindowText);
    const QColor base = dropdown.lb->palette().color(QPalette::Base);
    EXPECT_EQ(image.pixelColor(50, 0), rule);
    EXPECT_EQ(image.pixelColor(50, Tf_lb::ItemHeight), base);
    EXPECT_EQ(image.pixelColor(50, 2 * Tf_lb::ItemHeight), rule);
    EXPECT_EQ(image.pixelColor(50, 5), base);
}
