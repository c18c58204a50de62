#include "common/testsupport.h"

#include "document/drawobj.h"

#include <QBuffer>

TColor PixelAt(const QImage &image, int x, int y)
{
    return FromQColor(image.pixelColor(x, y));
}

QImage WhiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

QByteArray RecordOf(const Tdrawobj &o)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    o.WriteToStream(b);
    return b.data();
}
