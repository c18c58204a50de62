#pragma once
// The program's pictures, drawn from the SVG icon set built into the program: the tool-bar
// icons, the two zoom cursors, the program icon and the start-up dialog's background.

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QString>

// The tool bar's icons are this many pixels square.
constexpr int ToolIconSize = 48;

// The icon "tool-<name>.svg" at the tool bar's size (and twice that for dense screens).
QIcon ToolIcon(const QString &name);
// A magnifier with a plus (zoom in) or a minus, its hot spot in the middle of the lens.
QCursor ZoomCursor(bool zoomIn);
QIcon ProgramIcon();
// The start-up dialog's picture at its size, 428 x 192.
QImage StartupBackground();
// Renders an SVG of the icon set at a size; a null image when it is missing.
QImage RenderIconFile(const QString &fileName, const QSize &size);
