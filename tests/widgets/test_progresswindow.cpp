#include "widgets/progresswindow.h"

#include <QGroupBox>
#include <QProgressBar>
#include <gmock/gmock.h>
#include <limits>

TEST(ProgressWindow, BeginProgressTakesCaptionAndMaximumAndShowsTheWindow)
{
    struct Case {
        int32_t Maximum;
        int32_t Expected;
    };
    const Case cases[] = {{12, 12}, {0, 0}, {-1, 100}, {std::numeric_limits<int32_t>::min(), 100}};
    for (const Case &c : cases) {
        Tprogresswindow w;
        w.SetProgressPosition(400);
        w.BeginProgress("Printing", c.Maximum);
        EXPECT_EQ(w.GetCaption(), "Printing");
        EXPECT_EQ(w.GetMaximum(), c.Expected) << c.Maximum;
        EXPECT_EQ(w.GetPosition(), 0) << c.Maximum;
        EXPECT_EQ(w.ProgressBar1->value(), 0) << c.Maximum;
        EXPECT_TRUE(w.isVisible());
    }
}

TEST(ProgressWindow, AnEmptyRangeShowsAnEmptyBarRatherThanABusyOne)
{
    Tprogresswindow w;
    w.BeginProgress("Printing", 0);
    EXPECT_GT(w.ProgressBar1->maximum(), w.ProgressBar1->minimum());
    EXPECT_EQ(w.ProgressBar1->value(), 0);
    w.StepProgress();
    EXPECT_EQ(w.GetPosition(), 0);
}

TEST(ProgressWindow, StepProgressStopsAtTheMaximum)
{
    Tprogresswindow w;
    w.BeginProgress("Printing", 3);
    for (int i = 0; i < 5; ++i)
        w.StepProgress();
    EXPECT_EQ(w.GetPosition(), 3);
    EXPECT_EQ(w.ProgressBar1->value(), 3);
}

TEST(ProgressWindow, SetProgressFractionScalesTheMaximumWithTiesToEven)
{
    struct Case {
        int32_t Maximum;
        double Fraction;
        int32_t Position;
    };
    const Case cases[] = {
        {1000, 0.5, 500}, {1000, 0, 0},    {1000, 1, 1000}, {5, 0.5, 2},
        {7, 0.5, 4},      {1000, 2, 1000}, {1000, -0.5, 0}, {100, 0.333, 33},
    };
    Tprogresswindow w;
    w.show();
    for (const Case &c : cases) {
        w.BeginProgress("Loading", c.Maximum);
        w.SetProgressFraction(c.Fraction);
        EXPECT_EQ(w.GetPosition(), c.Position) << c.Maximum << " x " << c.Fraction;
        EXPECT_EQ(w.ProgressBar1->value(), c.Position) << c.Maximum << " x " << c.Fraction;
        EXPECT_EQ(w.GetFraction(), c.Fraction);
    }
}

TEST(ProgressWindow, SetProgressPositionStaysInsideTheRange)
{
    struct Case {
        int32_t Given;
        int32_t Stored;
    };
    const Case cases[] = {{250, 250}, {-3, 0}, {1001, 1000}, {std::numeric_limits<int32_t>::max(), 1000}};
    Tprogresswindow w;
    for (const Case &c : cases) {
        w.SetProgressPosition(c.Given);
        EXPECT_EQ(w.GetPosition(), c.Stored) << c.Given;
        EXPECT_EQ(w.ProgressBar1->value(), c.Stored) << c.Given;
    }
}

TEST(ProgressWindow, ShowsCentredOnItsOwner)
{
    QWidget owner;
    owner.setGeometry(100, 80, 800, 600);
    owner.show();
    Tprogresswindow w(&owner);
    w.ShowProgress();
    EXPECT_TRUE(w.isVisible());
    EXPECT_LE(std::abs(w.geometry().center().x() - owner.frameGeometry().center().x()), 1);
    EXPECT_LE(std::abs(w.geometry().center().y() - owner.frameGeometry().center().y()), 1);
    w.HideProgress();
    EXPECT_FALSE(w.isVisible());
}

TEST(ProgressWindow, TheModelReachesTheInstalledWindowUntilItIsDestroyed)
{
    ASSERT_EQ(ProgressWindow(), nullptr);
    {
        Tprogresswindow w;
        SetProgressWindow(&w);
        ProgressWindow()->BeginProgress("Printing", 6);
        ProgressWindow()->StepProgress();
        EXPECT_EQ(w.GetPosition(), 1);
    }
    EXPECT_EQ(ProgressWindow(), nullptr);
}
