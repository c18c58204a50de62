#include "app/appicons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {
const QString IconFolder = QStringLiteral(":/icons/");
constexpr int CursorSize = 32;
// Where the lens's centre lies in the cursor pictures.
constexpr int CursorHotSpot = 12;
} // namespace

QImage RenderIconFile(const QString &fileName, const QSize &size)
{
    QSvgRenderer renderer(IconFolder + fileName);
    if (!renderer.isValid())
        return QImage();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QIcon ToolIcon(const QString &name)
{
    QIcon icon;
    const QString file = QStringLiteral("tool-") + name + QStringLiteral(".svg");
    for (int size : {ToolIconSize, 2 * ToolIconSize})
        icon.addPixmap(QPixmap::fromImage(RenderIconFile(file, {size, size})));
    return icon;
}

QCursor ZoomCursor(bool zoomIn)
{
    const QImage image =
        RenderIconFile(zoomIn ? QStringLiteral("cursor-zoomin.svg") : QStringLiteral("cursor-zoomout.svg"),
                       {CursorSize, CursorSize});
    return QCursor(QPixmap::fromImage(image), CursorHotSpot, CursorHotSpot);
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(RenderIconFile(QStringLiteral("ambrelo.svg"), {size, size})));
    return icon;
}

QImage StartupBackground()
{
    return RenderIconFile(QStringLiteral("startup-background.svg"), {428, 192})
        .convertToFormat(QImage::Format_RGB32);
}
