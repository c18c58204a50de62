#pragma once
// A label template: a document whose objects are the background of every label made from it,
// with the spots where the labels sit on the sheet and the objects a new project starts with.
// Its size changes are passed on to the projects attached to it.

#include "document/drawlist.h"
#include "document/labelgeometry.h"

#include <functional>

class Tfiledialog;

class tlabeltemplate : public Tdrawlist {
public:
    tlabeltemplate();
    ~tlabeltemplate() override;

    // Tdrawlist
    tlabeltemplate *AsTemplate() override { return this; }
    void SetLabelHeight(double inches) override;
    void SetLabelWidth(double inches) override;
    // "vntempl_v1", or the project's signature while AsProject is set.
    QByteArray GetSignature() const override;
    // Its own objects' and its starter objects' needs.
    int32_t FileVersionNeeded() const override;
    // The project's sections, then the starter objects, the geometry and the description.
    void SaveToStream(QIODevice &stream) override;
    int32_t LoadFromStream(QIODevice &stream) override;

    static QString GetDefaultExt();
    static QString GetFileFilter();
    static void SetupFileDialog(Tfiledialog &dialog);
    // The stock templates of the running program: "templates" among its data.
    static QString StockTemplatesFolder();

    // Loads a project file as this template's own objects (the template editor's import).
    // The template sections are absent from such a file: the template is left without spots
    // and starter objects.
    void LoadProjectAsTemplate(const QString &path);

    // While set, the signature is the project's.
    bool AsProject = false;
    Tlabelgeometrylist Geometry;
    std::function<void(tlabeltemplate *)> OnResize;
    // The objects a new project made from this template starts with.
    Tdrawlist StarterObjects;

private:
    void Resized();
};

// Draws the sheet: each spot of document's template (the document itself when it is a
// template) at origin + its place times scale pixels per inch, filled with the label rendered
// at that scale, a marked spot under tint (alpha in the top byte, 0x00BBGGRR below), each spot
// outlined in the canvas pen over its display colour when outlines is set. A spot without a
// colour gets a random light one and keeps it. False, drawing nothing, when there are no spots
// to draw on; otherwise the result of rendering the label.
bool PaintSheet(Tdrawlist &document, const TPoint &origin, bool outlines, uint32_t tint, Tcanvas &canvas,
                double scale);
