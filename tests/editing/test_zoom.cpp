#include "editing/zoom.h"

#include <QLocale>
#include <gmock/gmock.h>

TEST(Zoom, TrackPositionsAndFactorsCorrespond)
{
    struct Case {
        int Position;
        double Zoom;
    };
    const Case cases[] = {{-3, 0.0625}, {-2, 0.125}, {-1, 0.25}, {0, 0.5},
                          {1, 1.0},     {2, 1.5},    {3, 2.0},   {17, 9.0}};
    for (const Case &c : cases) {
        EXPECT_EQ(ZoomOfTrackPosition(c.Position), c.Zoom) << c.Position;
        EXPECT_EQ(TrackPositionOfZoom(c.Zoom), c.Position) << c.Zoom;
    }
    // Factors between positions and beyond the bar.
    EXPECT_EQ(TrackPositionOfZoom(1.25), 1); // 2 x 1.25 = 2.5 rounds to even: 2 - 1
    EXPECT_EQ(TrackPositionOfZoom(1.75), 3); // 3.5 rounds to even: 4 - 1
    EXPECT_EQ(TrackPositionOfZoom(0.3), 0);  // 1/0.3 rounds to 3, halved once
    EXPECT_EQ(TrackPositionOfZoom(9.5), 17); // the bar stops at 17
    EXPECT_EQ(TrackPositionOfZoom(10000), 17);
    EXPECT_EQ(TrackPositionOfZoom(0.01), -3); // and at -3
}

TEST(Zoom, ToolStepsStayWithinTheLimits)
{
    struct Case {
        double From, In, Out;
    };
    const Case cases[] = {
        {1.0, 1.5, 0.5},         {0.5, 1.0, 0.25}, {2.0, 2.5, 1.5},         {1.25, 1.75, 0.75},
        {0.0625, 0.125, 0.0625}, {9.5, 10.0, 9.0}, {9999.8, 10000, 9999.3}, {0.75, 1.5, 0.375},
    };
    for (const Case &c : cases) {
        EXPECT_DOUBLE_EQ(ZoomInStep(c.From), c.In) << c.From;
        EXPECT_DOUBLE_EQ(ZoomOutStep(c.From), c.Out) << c.From;
    }
}

TEST(Zoom, TextHasTwoDecimalsAndAnX)
{
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(ZoomText(1), "1.00x");
    EXPECT_EQ(ZoomText(0.0625), "0.06x");
    QLocale::setDefault(QLocale::German);
    EXPECT_EQ(ZoomText(2.5), "2,50x");
    QLocale::setDefault(QLocale::c());
}
