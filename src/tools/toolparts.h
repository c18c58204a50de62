#pragma once
// The tool window's own controls: the font list's entries drawn as their name and a sample in
// that font, the direction dial, and the picture preview.

#include <QStyledItemDelegate>
#include <QWidget>
#include <functional>

#include "platform/types.h"

// Draws a font list entry as the family's name and, after it, a sample in that family. Only the
// entries the list shows are drawn, so a machine with many fonts opens the list at once.
class Tfontitemdelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Base
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// The direction dial: a raised ring with a pointer at the bearing. A drag with the left button
// is reported as the press point and each point the mouse moves to.
class Tdirectiondial : public QWidget {
    Q_OBJECT

public:
    explicit Tdirectiondial(QWidget *parent = nullptr);

    // Hundredths of a degree, 0 up, 9000 right.
    int32_t GetValue() const { return Value; }
    void SetValue(int32_t value);

    std::function<void(TPoint)> OnPress;
    std::function<void(TPoint)> OnDrag;
    std::function<void()> OnRelease;

    // Base
    QSize sizeHint() const override { return {32, 32}; }

protected:
    // Base
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int32_t Value = 0;
};

// The picture preview: the image fitted at its corner (PreviewRect), or the empty-picture
// placeholder while there is none.
class Tpicturepreview : public QWidget {
    Q_OBJECT

public:
    explicit Tpicturepreview(QWidget *parent = nullptr);

    void SetPicture(const QImage &image, bool vertical);

    // Base
    QSize sizeHint() const override { return {160, 120}; }

protected:
    // Base
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Rescale();

    QImage Picture;
    bool Vertical = false;
    // The picture as it shows, and where.
    QImage Shown;
    QPoint ShownAt;
};
