#include "tools/toolparts.h"

#include "document/alphabitmap.h"
#include "document/picture.h"
#include "editing/toolbox.h"
#include "platform/colors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

QPoint ToQPoint(const TPoint &p)
{
    return {p.X, p.Y};
}

// The entries' names are drawn in the dialog font of the system.
const char *const NameFontFamily = "ms sans serif";
// Between an entry's name and its sample.
constexpr int SampleGap = 8;

} // namespace

// ---- Tfontitemdelegate

void Tfontitemdelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    QStyle *style = background.widget ? background.widget->style() : nullptr;
    if (style)
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, background.widget);

    const QString family = index.data(Qt::DisplayRole).toString();
    const QRect r = option.rect;
    painter->save();
    painter->setClipRect(r);
    painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                               : QPalette::Text));
    QFont nameFont(QString::fromLatin1(NameFontFamily));
    nameFont.setPixelSize(std::max(8, r.height() * 11 / 20));
    painter->setFont(nameFont);
    const QFontMetrics nameMetrics(nameFont);
    painter->drawText(QPoint(r.left() + 1, r.top() + 1 + nameMetrics.ascent()), family);

    QFont sampleFont(family);
    sampleFont.setPixelSize(std::max(8, r.height() * 3 / 4));
    painter->setFont(sampleFont);
    const int sampleLeft = r.left() + nameMetrics.horizontalAdvance(family) + SampleGap;
    painter->drawText(QRect(sampleLeft, r.top(), r.right() - sampleLeft, r.height()), Qt::AlignVCenter,
                      QString::fromLatin1(FontListSample));
    painter->restore();
}

QSize Tfontitemdelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The same for every entry, so the list never measures fonts it does not show.
    const QSize base = QStyledItemDelegate::sizeHint(option, index);
    return {base.width(), std::max(base.height(), 22)};
}

// ---- Tdirectiondial

Tdirectiondial::Tdirectiondial(QWidget *parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
    setCursor(Qt::CrossCursor);
}

void Tdirectiondial::SetValue(int32_t value)
{
    if (value == Value)
        return;
    Value = value;
    update();
}

void Tdirectiondial::paintEvent(QPaintEvent *)
{
    const int w = width(), h = height();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), ToQColor(clBtnFace));
    // A raised ring: light all round, shadowed on the lower right half.
    const QRectF ring(4, 4, w - 7, h - 7);
    p.setPen(QPen(ToQColor(clBtnHighlight), 2));
    p.setBrush(ToQColor(clBtnHighlight));
    p.drawEllipse(ring);
    QPainterPath lowerRight;
    lowerRight.addPolygon(QPolygonF({QPointF(w, w), QPointF(0, h), QPointF(w, 0)}));
    p.save();
    p.setClipPath(lowerRight);
    p.setPen(QPen(ToQColor(clBtnShadow), 2));
    p.setBrush(ToQColor(clBtnShadow));
    p.drawEllipse(ring);
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(clBtnFace));
    p.drawEllipse(QRectF(w / 2 - 4, h / 2 - 4, 10, 10));
    const std::array<TPoint, 3> pointer = DialPointer(w, h, Value);
    p.setBrush(Qt::black);
    p.setPen(QPen(Qt::black, 1));
    const QPoint corners[3] = {ToQPoint(pointer[0]), ToQPoint(pointer[1]), ToQPoint(pointer[2])};
    p.drawPolygon(corners, 3);
}

void Tdirectiondial::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && OnPress)
        OnPress({event->position().toPoint().x(), event->position().toPoint().y()});
}

void Tdirectiondial::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton) && OnDrag)
        OnDrag({event->position().toPoint().x(), event->position().toPoint().y()});
}

void Tdirectiondial::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && OnRelease)
        OnRelease();
}

// ---- Tpicturepreview

Tpicturepreview::Tpicturepreview(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(48, 48);
}

void Tpicturepreview::SetPicture(const QImage &image, bool vertical)
{
    Picture = image;
    Vertical = vertical;
    Rescale();
    update();
}

void Tpicturepreview::resizeEvent(QResizeEvent *)
{
    Rescale();
}

// The picture is scaled once for its place, not at every paint: it may be a photo of many
// megapixels.
void Tpicturepreview::Rescale()
{
    if (Picture.isNull()) {
        Talphabitmap placeholder;
        placeholder.SetSize(width(), height());
        DrawEmptyPicture(placeholder);
        Shown = placeholder.GetImage();
        ShownAt = QPoint(0, 0);
        return;
    }
    const TRect r = PreviewRect(Picture.size(), {0, 0, width(), height()}, Vertical);
    Shown =
        Picture.scaled(r.Right - r.Left, r.Bottom - r.Top, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    ShownAt = QPoint(r.Left, r.Top);
}

void Tpicturepreview::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!Picture.isNull())
        p.fillRect(rect(), ToQColor(clBtnFace));
    p.drawImage(ShownAt, Shown);
    p.setPen(ToQColor(clBtnShadow));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
