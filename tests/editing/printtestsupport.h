#pragma once
// What the printing tests share: a test label and its sheet, a printer that records the pages
// it is given as images, a progress window that counts, and scripted message boxes.

#include "common/fakes.h"
#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "document/printsettings.h"
#include "editing/printer.h"
#include "platform/canvas.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "settings/registry.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The label's size in inches and what is on it: a black box over its top half (its edges show
// where the label landed) and the words LabelWords in bold under it.
constexpr double TestLabelWidth = 2.0;
constexpr double TestLabelHeight = 1.0;
extern const QString LabelWords;
void BuildTestLabel(Tdrawlist &document);

// A template with spots at (0.5, 1), (4, 1) and (0.5, 4) inches, 2 x 1 inch each, and a project
// on it with the test label.
struct TTestSheet {
    TTestSheet();
    tlabeltemplate Template;
    Tdrawlist Project;
};

// Print settings for copies sheets on the spots the sheet's template marks.
TPrintSettings MarkedSettings(const TTestSheet &sheet, int32_t copies = 1);

// A settings store over memory, opened on the settings key, for as long as it lives.
struct TMemoryStore {
    TMemoryStore();
    ~TMemoryStore();
    Tregistryex Store;
};

// A printer whose pages are images of its printable area; its quantities are set by the test.
class Trecordingprinter : public Tprinter {
public:
    // A letter page at dpi with the printable area offset by (offsetX, offsetY) on every side.
    Trecordingprinter(int32_t dpi, int32_t offsetX, int32_t offsetY, double widthInches = 8.5,
                      double heightInches = 11.0);

    bool Available() const override { return IsAvailable; }
    int32_t GetDeviceCaps(TDeviceCap cap) const override;
    bool Printing() const override { return Busy; }
    bool IsFirstPrinter() const override { return First; }
    void SetOrientation(uint8_t orientation) override;
    uint8_t GetOrientation() const override { return Orientation; }
    void SetTitle(const QString &title) override { Title = title; }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    Tcanvas &Canvas() override { return FCanvas; }

    // The device's quantities; a cap listed in Failing raises EPrinter.
    int32_t Dpi;
    TPoint Offset;
    TPoint Page;
    std::vector<TDeviceCap> Failing;
    bool IsAvailable = true;
    bool Busy = false;
    bool First = false;
    // NewPage raises EPrinter when this many pages were started.
    int32_t FailAtPage = -1;
    uint8_t Orientation = 0;
    int32_t OrientationCalls = 0;
    QString Title;
    int32_t EndDocCalls = 0;
    // A list of pages, each an image of the printable area (white where nothing was drawn).
    std::vector<QImage> Pages;

private:
    Tcanvas FCanvas;
};

// Counts the progress window's steps and whether it is shown.
class Tcountingprogress : public Tprogressreport {
public:
    Tcountingprogress() { SetProgressWindow(this); }
    ~Tcountingprogress() override { SetProgressWindow(nullptr); }
    void BeginProgress(const QString &caption, int32_t maximum) override
    {
        Caption = caption;
        Maximum = maximum;
        Shown = true;
    }
    void StepProgress() override
    {
        ++Steps;
        Stop = CancelAtStep > 0 && Steps >= CancelAtStep;
    }
    void SetProgressCaption(const QString &text) override { Captions.append(text); }
    void SetProgressFraction(double) override {}
    void SetProgressPosition(int32_t) override {}
    void ShowProgress() override { Shown = true; }
    void HideProgress() override { Shown = false; }
    void OfferCancel() override { Offered = true; }
    bool Cancelled() override { return Stop; }

    QString Caption;
    QStringList Captions;
    // The user cancels once this many steps were made (0: never).
    int32_t CancelAtStep = 0;
    bool Stop = false;
    bool Offered = false;
    int32_t Maximum = 0;
    int32_t Steps = 0;
    bool Shown = false;
};

// Records every message box and gives each the same answer (Answer, OK at first).
using Tmessagelog = TMessageRecorder;

// The first dark pixel (all channels below 100) from (x, y) stepping by (dx, dy), or -1.
int32_t FirstDark(const QImage &image, int32_t x, int32_t y, int32_t dx, int32_t dy);
bool IsDark(const QImage &image, int32_t x, int32_t y);
// The centres of the dark runs from (x, y) stepping by (dx, dy) to the image's edge.
std::vector<double> DarkRunCentres(const QImage &image, int32_t x, int32_t y, int32_t dx, int32_t dy);
