#pragma once
// What the template editor does: it edits a template's sheet in place (the spots, the page's
// orientation, the description) spot by spot or as a regular grid from margins, gutters, a label
// size and a count of rows and columns, keeps the template's label size on the spots, draws the
// sheet's preview and undoes one showing's geometry changes on "RESET". The window shows what this
// holds (the spot list and its selection, the field values, the preview image) and hands its
// events here as plain values.

#include "document/labeltemplate.h"
#include "platform/types.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

// The values of the automatic layout's eight fields, as the window starts with them.
struct TLayoutFields : TGridLayout {
    TLayoutFields() : TGridLayout{0.4, 0.4, 2, 3, 0.4, 0.4, 3.4, 3.0} {}
    TLayoutFields(const TGridLayout &grid) : TGridLayout(grid) {}
};

enum class TLayoutField { LeftMargin, TopMargin, Columns, Rows, HGutter, VGutter, LabelWidth, LabelHeight };
// The field's name as the window labels it ("Left Margin").
QString LayoutFieldName(TLayoutField field);
// How many spots lie partly or wholly off the page (or have a place that is not a number).
int32_t SpotsOffThePage(const Tlabelgeometrylist &spots);

// The tags of the selected spot's fields.
enum TSpotField : int32_t { sfLeft = 1, sfTop = 2, sfWidth = 3, sfHeight = 4 };

// The selected spot's place and size, as its four fields show them.
struct TSpotValues {
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
};

// The parts of the window that have something new to show.
enum TTemplateEditorPart : uint32_t {
    tpSpotList = 1,      // the list's entries and its selection
    tpSpotSelection = 2, // the list's selection only
    tpSpotValues = 4,    // the four fields of the selected spot
    tpLayout = 8,        // the eight layout fields
    tpDescription = 16,  // the description box
    tpOrientation = 32,  // the page orientation buttons
    tpPreview = 64,      // the preview image
};

// The tint of marked spots in the preview: blue at alpha 68.
constexpr uint32_t PreviewTint = 0x44FF0000u;
// The largest size in inches the editor gives the template, either way: far beyond any sheet,
// and well within what the label rectangle holds in thousandths of an inch.
constexpr double MaxTemplateInches = 10000.0;
// The largest label picture the preview renders; a label larger than this at the preview's scale
// lies far beyond the page, and its spots are not drawn.
constexpr int64_t MaxPreviewLabelPixels = int64_t(1) << 24;

class Ttemplateeditor {
public:
    Ttemplateeditor();
    Ttemplateeditor(const Ttemplateeditor &) = delete;
    Ttemplateeditor &operator=(const Ttemplateeditor &) = delete;

    // Edits t, or the editor's own template for nullptr; then refreshes.
    void SetEditedTemplate(tlabeltemplate *t);

    // The window was shown: the snapshot for "RESET", the fields loaded, the list refreshed.
    void Shown();
    // The window was closed, by "OK" or otherwise: back to the own template, snapshot dropped.
    void Closed();

    // The user chose an entry of the spot list (-1 for none).
    void SpotListClicked(int32_t index);
    // One of the selected spot's fields changed to value. Only a change the user makes counts:
    // focused says whether the field has the keyboard focus.
    void SpotFieldChanged(int32_t tag, double value, bool focused);
    // A layout field now holds value (integer for the two counts). A count changed by its arrows
    // means the user is setting up a layout.
    void LayoutFieldChanged(TLayoutField field, double value, int32_t integer);
    // The user entered a layout field.
    void LayoutFieldEntered() { LayoutTouched = true; }
    // Whether the layout field's text reads as a number (the window keeps the last number read
    // while it does not).
    void SetLayoutFieldValid(TLayoutField field, bool valid);
    // "GO": the grid from the layout fields replaces the spots. Refused with a message, changing
    // nothing, while a field does not hold a number, or when it would make more spots than a
    // template file holds. A grid with labels partly off the page is kept only when the user
    // says so.
    bool Go();
    // The page orientation buttons: 0 portrait, 1 landscape.
    void OrientationClicked(int32_t index);
    // A 2.25-inch square spot at (n + 1, n + 1) inches after the n spots there are, selected.
    // Refused with a message when the sheet is full; asks first when it lies partly off the page.
    bool AddSingleLabel();
    void RemoveSelectedLabel();
    void DescriptionChanged(const QString &text);
    // Back to the spots, orientation and layout block of the window's showing; the fields again.
    void Reset();
    // "OK": true when the window closes (result 1). With the layout fields touched but not
    // applied, asks whether to apply them first; Cancel keeps the window open.
    bool Ok();

    // The preview is w by h pixels now; redrawn when that is new.
    void SetPreviewSize(int32_t w, int32_t h);
    // Marks the spots under a point of the preview and selects the last of them.
    void PreviewMouseDown(const TPoint &p);
    void RedrawPreview();

    // What the window shows.
    const QStringList &GetSpotItems() const { return SpotItems; }
    int32_t GetSelectedSpot() const { return SelectedSpot; }
    const TSpotValues &GetSpotValues() const { return SpotValues; }
    const TLayoutFields &GetLayout() const { return Layout; }
    const QString &GetDescription() const { return Description; }
    int32_t GetShownOrientation() const { return ShownOrientation; }
    const QImage &GetPreview() const { return Preview; }
    double GetPreviewScale() const { return PreviewScale; }
    const TPoint &GetPreviewOrigin() const { return PreviewOrigin; }
    bool IsLayoutTouched() const { return LayoutTouched; }

    // Raised with the parts of the window to show again (TTemplateEditorPart flags).
    std::function<void(uint32_t parts)> OnShow;
    // The template's spots or label size changed: the label's windows repaint.
    std::function<void()> OnTemplateChanged;

private:
    Tlabelgeometrylist &Geometry() const { return Edited->Geometry; }
    bool IsSpot(int32_t index) const { return index >= 0 && index < Geometry().Count(); }
    void Show(uint32_t parts);
    void LoadFields();
    void Refresh();
    void ShowSpot(int32_t index);
    void SetTemplateSize(double width, double height);
    // Asks whether to keep the spots that lie partly off the page; false (Cancel) when there are
    // some and the user does not want them.
    bool KeepSpotsOffThePage();
    // The spots and the label size as they are now, and back to what was kept.
    struct TSheetState {
        QByteArray Spots;
        double LabelWidth = 0;
        double LabelHeight = 0;
    };
    TSheetState KeepSheet() const;
    void RestoreSheet(const TSheetState &state);

    tlabeltemplate OwnTemplate;
    tlabeltemplate *Edited = &OwnTemplate;
    // The edited spot list as SaveToStream wrote it when the window was shown.
    QByteArray Snapshot;
    TPoint PreviewOrigin;
    // Pixels per inch of the preview; 0 until it was first drawn.
    double PreviewScale = 0;
    bool LayoutTouched = false;
    // The layout fields whose text does not read as a number, by TLayoutField.
    std::array<bool, 8> InvalidFields{};

    QStringList SpotItems;
    int32_t SelectedSpot = -1;
    TSpotValues SpotValues;
    TLayoutFields Layout;
    QString Description = QStringLiteral("Description");
    int32_t ShownOrientation = 0;
    int32_t PreviewWidth = 0;
    int32_t PreviewHeight = 0;
    QImage Preview;
};
