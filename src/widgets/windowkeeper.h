#pragma once
// Where windows open: every window of the program, each time it is shown, lies wholly inside the
// available area of the screen it opens on (moved, then shrunk if it must be), and a dialog
// opens centred over the window that opened it. One object watches the whole application.

#include <QMargins>
#include <QObject>
#include <QRect>

class QWidget;

// The frame the window manager puts around windows, guessed from a window that has one (none
// before the first window is on screen).
QMargins WindowFrameMargins(const QWidget *exclude = nullptr);

// Moves window so that its frame lies centred over owner's frame.
void CentreOver(QWidget &window, const QWidget &owner);
// Moves, then shrinks, window so that its frame lies inside the available area of the screen
// that shows most of it.
void KeepOnScreen(QWidget &window);

class TWindowKeeper : public QObject {
    Q_OBJECT

public:
    // Watches every window of the application from now on.
    explicit TWindowKeeper(QObject *parent = nullptr);
    ~TWindowKeeper() override;

protected:
    // Base
    bool eventFilter(QObject *watched, QEvent *event) override;
};
