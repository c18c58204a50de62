#include "editing/templateeditor.h"

#include "platform/canvas.h"
#include "platform/messages.h"
#include "platform/rnd.h"

#include <QBuffer>
#include <algorithm>
#include <cmath>

namespace {
// A new single spot is this many inches square.
constexpr double SingleLabelSide = 2.25;
// The page fills this share of the preview's shorter way.
constexpr double PageShare = 0.95;
const TColor PageColor = RGB(192, 192, 192);

const char *const ApplyLayoutQuestion =
    "Do you want to apply the automatic layout you have selected before continuing?";

QString TooManyLabelsMessage(int64_t count)
{
    return QStringLiteral("A template holds at most %1 labels, and this layout would make %2.\n"
                          "Choose fewer columns or rows; the sheet was not changed.")
        .arg(MaxSpots)
        .arg(count);
}

QString SheetFullMessage()
{
    return QStringLiteral("A template holds at most %1 labels, and this one has them all.\n"
                          "Remove a label before you add another.")
        .arg(MaxSpots);
}

double WithinTemplateSize(double inches)
{
    return std::clamp(inches, -MaxTemplateInches, MaxTemplateInches);
}

bool IsCount(TLayoutField field)
{
    return field == TLayoutField::Columns || field == TLayoutField::Rows;
}

QString NotANumberMessage(TLayoutField field)
{
    return IsCount(field) ? QStringLiteral("%1 must be a whole number").arg(LayoutFieldName(field))
                          : QStringLiteral("%1 must be a number in inches").arg(LayoutFieldName(field));
}

QString OffThePageQuestion(int32_t count, const Tlabelgeometrylist &spots)
{
    const TPointPair page = spots.GetPageSize();
    const QString size = QStringLiteral("%1 \u00d7 %2 in").arg(page.X).arg(page.Y);
    return count == 1
               ? QStringLiteral("1 label lies partly off the %1 page. Keep it?").arg(size)
               : QStringLiteral("%1 labels lie partly off the %2 page. Keep them?").arg(count).arg(size);
}

// Spots this close to the page's edge still count as on it (rounding of the layout's sums).
constexpr double PageEdgeTolerance = 1e-6;
} // namespace

QString LayoutFieldName(TLayoutField field)
{
    switch (field) {
    case TLayoutField::LeftMargin:
        return QStringLiteral("Left Margin");
    case TLayoutField::TopMargin:
        return QStringLiteral("Top Margin");
    case TLayoutField::Columns:
        return QStringLiteral("Columns");
    case TLayoutField::Rows:
        return QStringLiteral("Rows");
    case TLayoutField::HGutter:
        return QStringLiteral("Horizontal Gutter");
    case TLayoutField::VGutter:
        return QStringLiteral("Vertical Gutter");
    case TLayoutField::LabelWidth:
        return QStringLiteral("Label Width");
    case TLayoutField::LabelHeight:
        return QStringLiteral("Label Height");
    }
    return QString();
}

int32_t SpotsOffThePage(const Tlabelgeometrylist &spots)
{
    const TPointPair page = spots.GetPageSize();
    int32_t count = 0;
    for (int32_t i = 0; i < spots.Count(); ++i) {
        const Tlabelgeometry &s = *spots.GetSpot(i);
        const double left = std::min(s.SpotLeft, s.SpotLeft + s.SpotWidth);
        const double right = std::max(s.SpotLeft, s.SpotLeft + s.SpotWidth);
        const double top = std::min(s.SpotTop, s.SpotTop + s.SpotHeight);
        const double bottom = std::max(s.SpotTop, s.SpotTop + s.SpotHeight);
        const bool on = left >= -PageEdgeTolerance && top >= -PageEdgeTolerance &&
                        right <= page.X + PageEdgeTolerance && bottom <= page.Y + PageEdgeTolerance;
        // A place that is not a number is never on the page.
        if (!on)
            ++count;
    }
    return count;
}

Ttemplateeditor::Ttemplateeditor() = default;

void Ttemplateeditor::Show(uint32_t parts)
{
    if (OnShow && parts != 0)
        OnShow(parts);
}

void Ttemplateeditor::SetEditedTemplate(tlabeltemplate *t)
{
    Edited = t ? t : &OwnTemplate;
    Refresh();
}

void Ttemplateeditor::Shown()
{
    Snapshot.clear();
    QBuffer buffer(&Snapshot);
    buffer.open(QIODevice::WriteOnly);
    Geometry().SaveToStream(buffer);
    LoadFields();
}

void Ttemplateeditor::Closed()
{
    SetEditedTemplate(nullptr);
    Snapshot.clear();
}

void Ttemplateeditor::LoadFields()
{
    const Tlabelgeometrylist &g = Geometry();
    uint32_t parts = tpDescription;
    if (g.LayoutValid != 0) {
        Layout = g.GridLayout();
        parts |= tpLayout;
    }
    // The box always shows this template's description: one left from another template would
    // be taken for this one's, and an edit of it would replace this one's.
    Description = Edited->GetTitle();
    if (g.LayoutValid != 0 && Description.trimmed().isEmpty()) {
        Description = QStringLiteral("Description");
        Edited->Title = Description;
    }
    Show(parts);
    Refresh();
    LayoutTouched = false;
}

void Ttemplateeditor::SetTemplateSize(double width, double height)
{
    Edited->SetLabelWidth(WithinTemplateSize(width));
    Edited->SetLabelHeight(WithinTemplateSize(height));
}

void Ttemplateeditor::ShowSpot(int32_t index)
{
    const Tlabelgeometry &s = *Geometry().GetSpot(index);
    SpotValues = {s.SpotLeft, s.SpotTop, s.SpotWidth, s.SpotHeight};
}

void Ttemplateeditor::Refresh()
{
    const Tlabelgeometrylist &g = Geometry();
    SpotItems.clear();
    SpotItems.reserve(g.Count());
    for (int32_t i = 0; i < g.Count(); ++i)
        SpotItems.append(QString::asprintf("%.2f,%.2f", g.GetSpot(i)->SpotLeft, g.GetSpot(i)->SpotTop));
    // The template, and the document attached to it, take the size of the last spot.
    if (g.Count() > 0)
        SetTemplateSize(g.GetSpot(g.Count() - 1)->SpotWidth, g.GetSpot(g.Count() - 1)->SpotHeight);
    uint32_t parts = tpSpotList;
    if (IsSpot(SelectedSpot)) {
        ShowSpot(SelectedSpot);
        parts |= tpSpotValues;
    } else {
        SelectedSpot = -1;
    }
    Show(parts);
    RedrawPreview();
    if (OnTemplateChanged)
        OnTemplateChanged();
}

void Ttemplateeditor::SpotListClicked(int32_t index)
{
    SelectedSpot = IsSpot(index) ? index : -1;
    uint32_t parts = tpSpotSelection;
    if (SelectedSpot >= 0) {
        ShowSpot(SelectedSpot);
        parts |= tpSpotValues;
    }
    Show(parts);
    RedrawPreview();
}

void Ttemplateeditor::SpotFieldChanged(int32_t tag, double value, bool focused)
{
    if (!focused || !IsSpot(SelectedSpot))
        return;
    Tlabelgeometrylist &g = Geometry();
    switch (tag) {
    case sfLeft:
        g.GetSpot(SelectedSpot)->SpotLeft = value;
        g.LayoutValid = 0;
        break;
    case sfTop:
        g.GetSpot(SelectedSpot)->SpotTop = value;
        g.LayoutValid = 0;
        break;
    case sfWidth:
        for (int32_t i = 0; i < g.Count(); ++i)
            g.GetSpot(i)->SpotWidth = value;
        break;
    case sfHeight:
        for (int32_t i = 0; i < g.Count(); ++i)
            g.GetSpot(i)->SpotHeight = value;
        break;
    default:
        return;
    }
    Refresh();
}

void Ttemplateeditor::LayoutFieldChanged(TLayoutField field, double value, int32_t integer)
{
    switch (field) {
    case TLayoutField::LeftMargin:
        Layout.LeftMargin = value;
        break;
    case TLayoutField::TopMargin:
        Layout.TopMargin = value;
        break;
    case TLayoutField::Columns:
        Layout.Columns = integer;
        LayoutTouched = true;
        break;
    case TLayoutField::Rows:
        Layout.Rows = integer;
        LayoutTouched = true;
        break;
    case TLayoutField::HGutter:
        Layout.HGutter = value;
        break;
    case TLayoutField::VGutter:
        Layout.VGutter = value;
        break;
    case TLayoutField::LabelWidth:
        Layout.LabelWidth = value;
        break;
    case TLayoutField::LabelHeight:
        Layout.LabelHeight = value;
        break;
    }
}

void Ttemplateeditor::SetLayoutFieldValid(TLayoutField field, bool valid)
{
    InvalidFields[size_t(field)] = !valid;
}

Ttemplateeditor::TSheetState Ttemplateeditor::KeepSheet() const
{
    TSheetState state;
    QBuffer buffer(&state.Spots);
    buffer.open(QIODevice::WriteOnly);
    Geometry().SaveToStream(buffer);
    state.LabelWidth = Edited->GetLabelWidth();
    state.LabelHeight = Edited->GetLabelHeight();
    return state;
}

void Ttemplateeditor::RestoreSheet(const TSheetState &state)
{
    QByteArray spots = state.Spots;
    QBuffer buffer(&spots);
    buffer.open(QIODevice::ReadOnly);
    Geometry().LoadFromStream(buffer);
    SetTemplateSize(state.LabelWidth, state.LabelHeight);
    Refresh();
}

bool Ttemplateeditor::KeepSpotsOffThePage()
{
    const int32_t off = SpotsOffThePage(Geometry());
    return off == 0 || MessageBox(OffThePageQuestion(off, Geometry()), TMsgIcon::Confirmation,
                                  TMsgButtons::OkCancel) == mrOk;
}

bool Ttemplateeditor::Go()
{
    for (size_t i = 0; i < InvalidFields.size(); ++i)
        if (InvalidFields[i]) {
            MessageBox(NotANumberMessage(TLayoutField(i)), TMsgIcon::Warning);
            return false;
        }
    // A template file holds at most MaxSpots spots and reads a sheet of more as empty: such a
    // sheet would lose every spot on its next load.
    const int64_t count = int64_t(std::max(Layout.Columns, 0)) * std::max(Layout.Rows, 0);
    if (count > MaxSpots) {
        MessageBox(TooManyLabelsMessage(count), TMsgIcon::Warning);
        return false;
    }
    const TSheetState before = KeepSheet();
    Tlabelgeometrylist &g = Geometry();
    SetTemplateSize(Layout.LabelWidth, Layout.LabelHeight);
    g.LayOutGrid(Layout);
    Refresh();
    if (!KeepSpotsOffThePage()) {
        RestoreSheet(before);
        return false;
    }
    LayoutTouched = false;
    return true;
}

void Ttemplateeditor::OrientationClicked(int32_t index)
{
    if (index != 0 && index != 1)
        return;
    Geometry().Orientation = uint8_t(index);
    RedrawPreview();
}

bool Ttemplateeditor::AddSingleLabel()
{
    Tlabelgeometrylist &g = Geometry();
    const int32_t n = g.Count();
    if (n >= MaxSpots) {
        MessageBox(SheetFullMessage(), TMsgIcon::Warning);
        return false;
    }
    const TSheetState before = KeepSheet();
    const int32_t offBefore = SpotsOffThePage(g);
    auto spot = std::make_unique<Tlabelgeometry>();
    spot->SpotLeft = n + 1;
    spot->SpotTop = n + 1;
    spot->SpotWidth = SingleLabelSide;
    spot->SpotHeight = SingleLabelSide;
    g.Add(std::move(spot));
    Refresh();
    if (SpotsOffThePage(g) > offBefore && !KeepSpotsOffThePage()) {
        RestoreSheet(before);
        return false;
    }
    SelectedSpot = n;
    ShowSpot(n);
    Show(tpSpotSelection | tpSpotValues);
    return true;
}

void Ttemplateeditor::RemoveSelectedLabel()
{
    if (!IsSpot(SelectedSpot))
        return;
    Geometry().Delete(SelectedSpot);
    Refresh();
}

void Ttemplateeditor::DescriptionChanged(const QString &text)
{
    Description = text;
    Edited->Title = text;
}

void Ttemplateeditor::Reset()
{
    if (!Snapshot.isEmpty()) {
        QBuffer buffer(&Snapshot);
        buffer.open(QIODevice::ReadOnly);
        Geometry().LoadFromStream(buffer);
    }
    LoadFields();
}

bool Ttemplateeditor::Ok()
{
    if (!LayoutTouched)
        return true;
    switch (MessageBox(QString::fromLatin1(ApplyLayoutQuestion), TMsgIcon::Confirmation,
                       TMsgButtons::YesNoCancel)) {
    case mrYes:
        // A layout refused for its size keeps the window open, so that it can be set right.
        return Go();
    case mrNo:
        return true;
    default:
        return false;
    }
}

void Ttemplateeditor::SetPreviewSize(int32_t w, int32_t h)
{
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (w == PreviewWidth && h == PreviewHeight)
        return;
    PreviewWidth = w;
    PreviewHeight = h;
    RedrawPreview();
}

void Ttemplateeditor::RedrawPreview()
{
    uint32_t parts = tpPreview;
    const Tlabelgeometrylist &g = Geometry();
    if (ShownOrientation != g.Orientation) {
        ShownOrientation = g.Orientation;
        parts |= tpOrientation;
    }
    double pageWidth = 8.5;
    double pageHeight = 11.0;
    g.GetPageSize(pageWidth, pageHeight);
    // The whole page and every spot on or off it, in inches from the page's corner.
    double left = 0, top = 0, right = pageWidth, bottom = pageHeight;
    const auto take = [](double v, double &low, double &high) {
        if (std::isfinite(v) && std::fabs(v) <= MaxTemplateInches) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    };
    for (int32_t i = 0; i < g.Count(); ++i) {
        const Tlabelgeometry &spot = *g.GetSpot(i);
        take(spot.SpotLeft, left, right);
        take(spot.SpotLeft + spot.SpotWidth, left, right);
        take(spot.SpotTop, top, bottom);
        take(spot.SpotTop + spot.SpotHeight, top, bottom);
    }
    const int32_t w = PreviewWidth;
    const int32_t h = PreviewHeight;
    PreviewScale = std::min(h / (bottom - top), w / (right - left)) * PageShare;
    PreviewOrigin = {rnd((w - (right - left) * PreviewScale) / 2 - left * PreviewScale),
                     rnd((h - (bottom - top) * PreviewScale) / 2 - top * PreviewScale)};

    Preview = QImage();
    if (w > 0 && h > 0) {
        Preview = QImage(w, h, QImage::Format_RGB32);
        Tcanvas canvas(&Preview);
        canvas.Pen().SetColor(clBlack);
        canvas.Brush().SetStyle(TBrushStyle::Solid);
        canvas.Brush().SetColor(clWindow);
        canvas.Rectangle({0, 0, w, h});
        canvas.Brush().SetColor(PageColor);
        canvas.Rectangle({PreviewOrigin.X, PreviewOrigin.Y, PreviewOrigin.X + rnd(pageWidth * PreviewScale),
                          PreviewOrigin.Y + rnd(pageHeight * PreviewScale)});
        const double labelPixels = std::fabs(Edited->GetLabelWidth() * PreviewScale) *
                                   std::fabs(Edited->GetLabelHeight() * PreviewScale);
        if (labelPixels <= double(MaxPreviewLabelPixels))
            PaintSheet(*Edited, PreviewOrigin, true, PreviewTint, canvas, PreviewScale);
    }
    Show(parts);
}

void Ttemplateeditor::PreviewMouseDown(const TPoint &p)
{
    Tlabelgeometrylist &g = Geometry();
    for (int32_t i = 0; i < g.Count(); ++i)
        g.GetSpot(i)->Marked = false;
    uint32_t parts = 0;
    if (PreviewScale != 0) {
        const double px = (p.X - PreviewOrigin.X) / PreviewScale;
        const double py = (p.Y - PreviewOrigin.Y) / PreviewScale;
        for (int32_t i = 0; i < g.Count(); ++i) {
            Tlabelgeometry &s = *g.GetSpot(i);
            if (s.SpotLeft < px && px < s.SpotLeft + s.SpotWidth && s.SpotTop < py &&
                py < s.SpotTop + s.SpotHeight) {
                SelectedSpot = i;
                ShowSpot(i);
                s.Marked = true;
                parts = tpSpotSelection | tpSpotValues;
            }
        }
    }
    Show(parts);
    RedrawPreview();
}
