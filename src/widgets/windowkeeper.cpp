#include "widgets/windowkeeper.h"

#include "settings/formplacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace {

bool HasFrame(const QWidget &w)
{
    return w.isVisible() && w.frameGeometry() != w.geometry();
}

QMargins FrameOf(const QWidget &w)
{
    const QRect frame = w.frameGeometry();
    const QRect client = w.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// The frame the window will have on screen: its own once it has one, otherwise a guess.
QRect ExpectedFrame(const QWidget &window)
{
    if (HasFrame(window))
        return window.frameGeometry();
    const bool framed = !(window.windowFlags() & Qt::FramelessWindowHint);
    return window.geometry().marginsAdded(framed ? WindowFrameMargins(&window) : QMargins());
}

// Windows the window manager places and frames as windows: not menus, tips or splash screens.
bool IsPlacedWindow(const QWidget &w)
{
    if (!w.isWindow())
        return false;
    switch (w.windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Tool:
        return true;
    default:
        return false;
    }
}

// Puts the window's frame's top-left corner at point. A window never shown takes it as its frame
// position. A window shown before knows its frame, but when it is shown again the window manager
// places its frame where the client's corner is asked to be (seen with openbox; without this a
// dialog opened again lay one title bar lower each time).
void MoveFrameTo(QWidget &window, const QPoint &point)
{
    if (HasFrame(window)) {
        window.setGeometry(QRect(point, window.size()));
    } else {
        window.move(point);
    }
}

} // namespace

QMargins WindowFrameMargins(const QWidget *exclude)
{
    for (const QWidget *w : QApplication::topLevelWidgets())
        if (w != exclude && IsPlacedWindow(*w) && HasFrame(*w) &&
            !(w->windowFlags() & Qt::FramelessWindowHint))
            return FrameOf(*w);
    return {};
}

void CentreOver(QWidget &window, const QWidget &owner)
{
    const QRect frame = ExpectedFrame(window);
    const QPoint centre = owner.frameGeometry().center();
    MoveFrameTo(window, {centre.x() - frame.width() / 2, centre.y() - frame.height() / 2});
}

void KeepOnScreen(QWidget &window)
{
    const QRect frame = ExpectedFrame(window);
    std::vector<TRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.push_back(RectFromQRect(screen->availableGeometry()));
    const TRect fitted = FitInsideWorkArea(RectFromQRect(frame), areas);
    if (fitted == RectFromQRect(frame))
        return;
    const QMargins margins{window.geometry().left() - frame.left(), window.geometry().top() - frame.top(),
                           frame.right() - window.geometry().right(),
                           frame.bottom() - window.geometry().bottom()};
    MoveFrameTo(window, {fitted.Left, fitted.Top});
    const int width = fitted.Width() - margins.left() - margins.right();
    const int height = fitted.Height() - margins.top() - margins.bottom();
    if (width < window.width() || height < window.height())
        window.resize(std::max(std::min(width, window.width()), window.minimumWidth()),
                      std::max(std::min(height, window.height()), window.minimumHeight()));
}

TWindowKeeper::TWindowKeeper(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

TWindowKeeper::~TWindowKeeper()
{
    qApp->removeEventFilter(this);
}

bool TWindowKeeper::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    auto *window = static_cast<QWidget *>(watched);
    if (!IsPlacedWindow(*window))
        return false;
    if (qobject_cast<QDialog *>(window)) {
        // A dialog opens over the window that opened it, each time it opens.
        const QWidget *owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
        if (!owner || !owner->isVisible())
            owner = QApplication::activeWindow();
        if (owner && owner != window && owner->isVisible())
            CentreOver(*window, *owner);
    }
    KeepOnScreen(*window);
    return false;
}
