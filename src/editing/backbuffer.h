#pragma once
// The editor's off-screen image of the drawing panel. A paint fills only the rectangles the
// documents marked dirty (each clipped to the panel, merged until none touch, a few at most),
// paints the template and then the project into them, and tells the window which rectangles to
// copy to the screen.

#include "document/rectmath.h"

#include <QImage>

class Tdrawlist;

class Tbackbuffer {
public:
    // Paints document over its template (when it has one).
    explicit Tbackbuffer(Tdrawlist &document);

    const QImage &Image() const { return Buffer; }

    // The dirty rectangles of the documents that lie on a panel of the viewport's size, left in
    // the documents for the next Paint. When none does, the dirty lists are emptied.
    Trectlist PendingPanelRects(const TRect &viewport);

    // Paints the dirty rectangles, or clip when nothing is dirty (an expose; an empty clip paints
    // nothing then), under the view; returns the rectangles painted, each within the panel. When a document
    // is already painting, the rectangles go back to the project's dirty list for the next repaint.
    Trectlist Paint(const TRect &clip, const TRect &viewport, double scale);
    // Paints the template and, with withDocument, the document once for the whole plane under
    // the view (every object drawn in full, as the batch conversion does before it saves a file).
    // What the window shows is painted again at its next paint.
    void PaintWhole(const TRect &viewport, double scale, bool withDocument);

private:
    Tdrawlist &Document;
    QImage Buffer;
};
