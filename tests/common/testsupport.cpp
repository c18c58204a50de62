#include "common/testsupport.h"

#include "document/drawobj.h"
#include "platform/streams.h"

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

void ReadRecordInto(Tdrawobj &o, const QByteArray &bytes)
{
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    o.ReadFromStream(b);
}

QByteArray Int32Bytes(int32_t v)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    WriteInt32(b, v);
    return b.data();
}
