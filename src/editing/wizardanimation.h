#pragma once
// The print wizard's three looping pictures: a test page sliding onto the label stock (step 1),
// a test page jittering over the stock until it lines up (step 2), and the printed page
// revealed row by row (the last page). Each frame is composed over the window's colour and
// says after how many milliseconds the next one is due; the window runs the timers.

#include "document/alphabitmap.h"
#include "platform/colors.h"
#include "platform/types.h"

#include <QImage>
#include <cstdint>
#include <functional>

// The animation pictures, drawn at start-up: label stock with six labels in two columns and
// three rows, a test page with the six labels' outlines and sample text, and the printed page
// (the sample text alone). Each is DemoPictureWidth by DemoPictureHeight.
constexpr int32_t DemoPictureWidth = 128;
constexpr int32_t DemoPictureHeight = 160;
QImage LabelStockPicture();
QImage TestPagePicture();
QImage PrintedPagePicture();

// The picture's dark parts only: each pixel's alpha is 255 less its red, premultiplied.
void MakeCutOut(Talphabitmap &bitmap, const QImage &picture);

class Twizardanimations {
public:
    Twizardanimations();

    // Step 1: the test page at half opacity slides from (20, 10) towards the stock, ever slower,
    // rests on it for five seconds and starts again.
    void StartLabelDemo(const TPoint &size, TColor windowColor);
    int32_t LabelDemoFrame();
    const TPoint &DemoPosition() const { return DemoPos; }

    // Step 2: the test page's dark lines over the stock at a random offset, a second's pause
    // when it happens to line up across.
    void StartLabelNudge(const TPoint &size, TColor windowColor);
    int32_t LabelNudgeFrame();
    const TPoint &NudgeOffset() const { return NudgeDemoPos; }
    // A random integer from low to high, both included; tests replace it.
    std::function<int32_t(int32_t low, int32_t high)> Random;

    // The last page: eight more rows of the printed page every frame, over and over.
    void StartPrint(const TPoint &size, TColor windowColor);
    int32_t PrintFrame();
    int32_t GetPrintedRows() const { return PrintedRows; }

    // The frame last composed, as large as the picture it is shown in.
    const QImage &Frame() const { return Composition.GetImage(); }

    // The interval of step 2's first frame, and of every frame of the last page's.
    static constexpr int32_t NudgeFirstInterval = 100;
    static constexpr int32_t PrintInterval = 100;

private:
    void Begin(const TPoint &size, TColor windowColor);
    void ClearComposition();

    QImage Stock;
    QImage TestPage;
    QImage PrintedPage;
    TPoint DemoPos;
    TPoint NudgeDemoPos;
    int32_t PrintedRows = 0;
    TColor WindowColor = clWhite;
    Talphabitmap Overlay;
    Talphabitmap Base;
    Talphabitmap Composition;
};
