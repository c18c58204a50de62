#pragma once
// The progress window as loading, saving and printing report to it, reached by the layers
// without widgets through the one window the application installs at start-up.

#include <QString>
#include <cstdint>

class Tprogressreport {
public:
    virtual ~Tprogressreport() = default;

    // Shows the window with caption over an empty bar that fills at maximum; a negative
    // maximum stands for 100.
    virtual void BeginProgress(const QString &caption, int32_t maximum) = 0;
    // One step further, never past the maximum.
    virtual void StepProgress() = 0;
    virtual void SetProgressCaption(const QString &text) = 0;
    // The bar at fraction (0 to 1) of its maximum, repainted at once, so it moves while the
    // caller keeps the user-interface thread busy.
    virtual void SetProgressFraction(double fraction) = 0;
    // Clamped to 0 .. maximum.
    virtual void SetProgressPosition(int32_t position) = 0;
    // Show paints the window before it returns; callers hide it when their work ends.
    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
    // Long work that can stop offers the user a Cancel button until the window hides, and asks
    // between its steps whether it was pressed (which lets the window take the press).
    // Beginning anew forgets it.
    virtual void OfferCancel() {}
    virtual bool Cancelled() { return false; }
};

// Installs the window, which the caller keeps alive until it installs nullptr (or another).
void SetProgressWindow(Tprogressreport *window);

// The installed window, or nullptr when there is none: callers then report nothing.
Tprogressreport *ProgressWindow();
