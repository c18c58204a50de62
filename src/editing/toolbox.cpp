#include "editing/toolbox.h"

#include "codecs/imagecodecs.h"
#include "document/code.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "editing/undogroup.h"
#include "editing/zoom.h"
#include "platform/canvas.h"
#include "platform/filedialog.h"
#include "platform/messages.h"
#include "platform/rnd.h"
#include "settings/registry.h"
#include "settings/userfolders.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <numbers>

const std::array<int32_t, 22> FontSizes = {8,  9,  10, 11, 12, 14, 16, 18, 20, 22, 24,
                                           26, 28, 30, 32, 36, 40, 44, 48, 64, 72, 128};
const char *const FontSampleText = "The quick red fox jumped over the lazy brown dog";
const char *const FontListSample = "AbCdEfGhIjKlMnOpQrStUvWxYz1234567890";
const char *const InitialSampleFontName = "Microsoft Sans Serif";
const char *const SelectCaption = "* Select an object to edit *";
const char *const ShowHintSetting = "toolboxshowhint";
const char *const ImagePathSetting = "imagepath";
const char *const LoadImageTitle = "Load an Image";

namespace {

// A number as the user writes it: with the user's decimal separator, or with a point.
std::optional<double> ReadNumber(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int32_t> ReadWholeNumber(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    int32_t v = QLocale().toInt(t, &ok);
    if (!ok)
        v = QLocale::c().toInt(t, &ok);
    if (!ok)
        return std::nullopt;
    return v;
}

// The dial's value as the number box shows it: degrees with two decimals.
QString DegreesText(double degrees)
{
    return QLocale().toString(degrees, 'f', 2);
}

double Radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

} // namespace

QStringList ScalableFontFamilies()
{
    QStringList families;
    for (const QString &family : QFontDatabase::families())
        if (QFontDatabase::isScalable(family) && !QFontDatabase::isPrivateFamily(family))
            families << family;
    families.sort(Qt::CaseInsensitive);
    families.removeDuplicates();
    return families;
}

bool IsUsableFontName(const QString &name)
{
    if (name.trimmed().isEmpty())
        return false;
    return QFontDatabase::hasFamily(name) || !QFont::substitutes(name).isEmpty();
}

int32_t DialBearing(int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0)
        return 0;
    const double length = std::hypot(double(dx), double(dy));
    const double a = std::acos(std::clamp(dx / length, -1.0, 1.0)) * 180.0 / std::numbers::pi;
    int32_t value = rnd((a + 180) * 100);
    if (dy < 0)
        value = FullTurn - value;
    value -= 9000;
    while (value < 0)
        value += FullTurn;
    while (value > FullTurn)
        value -= FullTurn;
    return value;
}

std::array<TPoint, 3> DialPointer(int32_t w, int32_t h, int32_t value)
{
    const double b = 360 - value / 100.0;
    const int32_t cx = w / 2, cy = h / 2;
    auto corner = [&](double degrees, double rx, double ry) {
        return TPoint{rnd(std::sin(Radians(degrees)) * rx) + cx, rnd(std::cos(Radians(degrees)) * ry) + cy};
    };
    return {corner(b + 180, cx - 2, cy - 2), corner(b + 35, 0.3 * w, 0.3 * h),
            corner(b - 35, 0.3 * w, 0.3 * h)};
}

TRect PreviewRect(const QSize &image, const TRect &box, bool vertical)
{
    const int32_t bw = box.Right - box.Left, bh = box.Bottom - box.Top;
    if (image.isEmpty() || bw <= 0 || bh <= 0)
        return {box.Right, box.Top, box.Right, box.Top};
    const double scale = std::min(double(bw) / image.width(), double(bh) / image.height());
    const int32_t w = std::clamp(rnd(image.width() * scale), 1, bw);
    const int32_t h = std::clamp(rnd(image.height() * scale), 1, bh);
    const int32_t top = vertical ? box.Top : box.Bottom - h;
    return {box.Right - w, top, box.Right, top + h};
}

QString OversetMessage(int32_t hiddenLines)
{
    return hiddenLines == 1 ? QStringLiteral("Text does not fit: 1 line is hidden")
                            : QStringLiteral("Text does not fit: %1 lines are hidden").arg(hiddenLines);
}

QString HintText(const QString &hint)
{
    QString text = hint;
    return text.replace(QLatin1String("\\n"), QLatin1String("\n"));
}

Ttoolbox::Ttoolbox(Tregistryex &store)
    : Store(store), TrackPosition(ZoomTrackInitial), ZoomLabel(ZoomText(1.0))
{
    SampleFont.SetName(QString::fromLatin1(InitialSampleFontName));
    SampleFont.SetHeight(InitialSampleFontHeight);
    DirectionText = DegreesText(0);
    ShowHints = Store.ReadBool(QString::fromLatin1(ShowHintSetting), true);
    CodePanel.OnChange = [this] { Changed(taCode); };
}

void Ttoolbox::Changed(uint32_t areas)
{
    if (OnViewChange)
        OnViewChange(areas);
}

template <class T> std::vector<T *> Ttoolbox::Selected() const
{
    return Document ? Document->SelectedOfKind<T>() : std::vector<T *>();
}

// ---- Panels and tools

void Ttoolbox::SelectTool(TTool tool)
{
    const bool anySelected = Document && Document->SelectedCount() > 0;
    const int32_t number = ToolNumber(tool);
    const bool hasPanel = number >= tpSelectCaption && number <= tpCode;
    Panel = hasPanel && (tool != TTool::Select || !anySelected) ? number : tpNone;
    CurrentTool = tool;
    Changed(taPanels | taShape | taImage);
}

void Ttoolbox::ShowSelection(Tdrawobj *object)
{
    SelectExpanded = object == nullptr;
    if (!object) {
        ShowPanel(tpSelectCaption);
        return;
    }
    if (auto *picture = dynamic_cast<Tvnlpic *>(object)) {
        SetPreviewPicture(picture->GetPicture());
        ShowPanel(tpImage);
    } else if (auto *text = dynamic_cast<Tvnltext *>(object)) {
        LoadTextStyle(*text);
        ShowPanel(tpText);
    } else if (auto *shape = dynamic_cast<Tvnlshape *>(object)) {
        LoadShapeStyle(*shape);
        ShowPanel(tpShapes);
    } else if (auto *code = dynamic_cast<Tvnlcode *>(object)) {
        CodePanel.Load(*code);
        ShowPanel(tpCode);
    } else if (dynamic_cast<Tvnlsymbol *>(object)) {
        ShowPanel(tpSymbols);
    } else if (dynamic_cast<Tvnlline *>(object)) {
        ShowPanel(tpLine);
    } else {
        ShowPanel(tpNone);
    }
}

void Ttoolbox::ShowPanel(int32_t panel)
{
    Panel = panel >= tpSelectCaption && panel <= tpCode ? panel : tpNone;
    Changed(taPanels);
}

void Ttoolbox::SetSelectLayout(bool vertical)
{
    SelectVertical = vertical;
    Changed(taPanels | taImage);
}

void Ttoolbox::SetSelectExpanded(bool expanded)
{
    SelectExpanded = expanded;
    Changed(taPanels);
}

// ---- Text

void Ttoolbox::LoadTextStyle(const Tvnltext &text)
{
    SampleFont.Assign(text.Font);
    SampleHAlign = text.EffectiveHAlign();
    VAlignSetting = text.EffectiveVAlign();
    ApplyTextStyle(nullptr);
}

void Ttoolbox::ApplyTextTo(Tvnltext &text)
{
    if (!text.Font.SameAs(SampleFont))
        text.Font.Assign(SampleFont);
    SampleFont.SetCharset(DEFAULT_CHARSET);
    // The alignments are stored without an announcement of their own; announced here, so that
    // a change of alignment is undone and saved like any other.
    if (text.GetHAlign() != SampleHAlign || text.GetVAlign() != VAlignSetting) {
        text.BeginChange(ckProperty, QStringLiteral("alignment"));
        text.SetHAlign(SampleHAlign);
        text.SetVAlign(VAlignSetting);
    }
}

void Ttoolbox::ApplyTextStyle(Tvnltext *text)
{
    Changed(taText);
    if (OnTextStyleChange)
        OnTextStyleChange();
    if (text) {
        ApplyTextTo(*text);
        text->ReportChange();
        return;
    }
    if (!Document)
        return;
    TUndoGroup group(Document);
    for (Tdrawobj *o : Selected<Tdrawobj>()) {
        if (auto *t = dynamic_cast<Tvnltext *>(o))
            ApplyTextTo(*t);
        o->ReportChange();
    }
}

bool Ttoolbox::SetFontName(const QString &name)
{
    if (name == SampleFont.Name())
        return true;
    if (!IsUsableFontName(name)) {
        Changed(taText);
        return false;
    }
    SampleFont.SetName(name);
    ApplyTextStyle(nullptr);
    return true;
}

void Ttoolbox::SetFontSizeText(const QString &text)
{
    const std::optional<int32_t> size = ReadWholeNumber(text);
    if (!size || *size < 1 || *size > MaxFontPoints || *size == SampleFont.Size())
        return;
    SampleFont.SetSize(*size);
    ApplyTextStyle(nullptr);
}

void Ttoolbox::SetFontStyle(uint8_t bit, bool on)
{
    SampleFont.SetStyle(on ? SampleFont.Style() | bit : SampleFont.Style() & ~bit);
    ApplyTextStyle(nullptr);
}

void Ttoolbox::SetHAlign(THorizontalAlign align)
{
    if (align > THorizontalAlign::Centre)
        return;
    SampleHAlign = align;
    ApplyTextStyle(nullptr);
}

void Ttoolbox::SetVAlign(TVerticalAlign align)
{
    if (align > TVerticalAlign::Bottom)
        return;
    VAlignSetting = align;
    ApplyTextStyle(nullptr);
}

void Ttoolbox::SetTextColor(TColor color)
{
    SampleFont.SetColor(color);
    ApplyTextStyle(nullptr);
}

void Ttoolbox::TextMeasured()
{
    QString overset;
    auto *text = Document ? dynamic_cast<Tvnltext *>(Document->GetSelectedObject()) : nullptr;
    if (text && text->GetHiddenLines() > 0)
        overset = OversetMessage(text->GetHiddenLines());
    if (overset == OversetText)
        return;
    OversetText = overset;
    Changed(taText);
}

// ---- Shape

void Ttoolbox::LoadShapeStyle(const Tvnlshape &shape)
{
    ++LoadingShape;
    Figure = shape.GetShapeStyle();
    CurveX = std::clamp(shape.GetCurveX(), MinCurve, MaxCurve);
    CurveY = std::clamp(shape.GetCurveY(), MinCurve, MaxCurve);
    // The box shows the angle in degrees and the dial takes what the box shows.
    const double degrees = shape.GetAngle() * 180.0 / std::numbers::pi;
    DirectionText = std::isfinite(degrees) ? DegreesText(degrees) : DegreesText(0);
    SetDialValue(rnd(ReadNumber(DirectionText).value_or(0) * 100));
    Sides = std::clamp(shape.GetSideCount(), MinSides, MaxSides);
    LineColor = shape.Pen.Color();
    LineWidth = std::clamp(shape.Pen.Width(), MinLineWidth, MaxLineWidth);
    FillColor = shape.Brush.Color();
    DrawLine = shape.GetDrawOutline();
    DrawFill = shape.GetDrawFill();
    --LoadingShape;
    Changed(taShape);
}

void Ttoolbox::ApplyShapeTo(Tvnlshape &s) const
{
    // Each setter is called only for a value that differs, so an unchanged shape records nothing.
    if (s.GetShapeStyle() != Figure)
        s.SetShapeStyle(Figure);
    if (s.GetCurveX() != CurveX)
        s.SetCurveX(CurveX);
    if (s.GetCurveY() != CurveY)
        s.SetCurveY(CurveY);
    const double angle = Direction / 100.0 * std::numbers::pi / 180.0;
    if (s.GetAngle() != angle)
        s.SetAngle(angle);
    if (s.GetSideCount() != Sides)
        s.SetSideCount(Sides);
    if (s.Pen.Color() != LineColor)
        s.Pen.SetColor(LineColor);
    if (s.Pen.Width() != LineWidth)
        s.Pen.SetWidth(LineWidth);
    if (s.Brush.Color() != FillColor)
        s.Brush.SetColor(FillColor);
    if (s.GetDrawOutline() != DrawLine)
        s.SetDrawOutline(DrawLine);
    if (s.GetDrawFill() != DrawFill)
        s.SetDrawFill(DrawFill);
}

void Ttoolbox::ApplyShapeStyle(Tvnlshape *shape)
{
    if (LoadingShape > 0)
        return;
    if (shape) {
        ApplyShapeTo(*shape);
    } else if (Document) {
        TUndoGroup group(Document);
        for (Tvnlshape *s : Selected<Tvnlshape>())
            ApplyShapeTo(*s);
    }
    Changed(taShape);
}

std::optional<TShapeStyle> FigureOfChoice(int32_t choice)
{
    if (choice < 0)
        return TShapeStyle::Ellipse;
    if (choice > static_cast<int32_t>(TShapeStyle::DiagonalDown))
        return std::nullopt;
    return static_cast<TShapeStyle>(choice);
}

void Ttoolbox::SetFigure(TShapeStyle figure)
{
    if (figure > TShapeStyle::DiagonalDown)
        return;
    Figure = figure;
    if (LoadingShape == 0 && Document) {
        TUndoGroup group(Document);
        for (Tvnlshape *s : Selected<Tvnlshape>())
            s->SetShapeStyle(figure);
    }
    Changed(taShape);
}

bool Ttoolbox::SetSides(int32_t sides)
{
    if (sides < MinSides || sides > MaxSides)
        return false;
    Sides = sides;
    if (LoadingShape == 0 && Document) {
        TUndoGroup group(Document);
        for (Tvnlshape *s : Selected<Tvnlshape>())
            s->SetSideCount(sides);
    }
    Changed(taShape);
    return true;
}

bool Ttoolbox::SetLineWidth(int32_t width)
{
    if (width < MinLineWidth || width > MaxLineWidth)
        return false;
    LineWidth = width;
    ApplyShapeStyle(nullptr);
    return true;
}

bool Ttoolbox::SetCurveX(int32_t curve)
{
    if (curve < MinCurve || curve > MaxCurve)
        return false;
    CurveX = curve;
    ApplyShapeStyle(nullptr);
    return true;
}

bool Ttoolbox::SetCurveY(int32_t curve)
{
    if (curve < MinCurve || curve > MaxCurve)
        return false;
    CurveY = curve;
    ApplyShapeStyle(nullptr);
    return true;
}

void Ttoolbox::SetDialValue(int32_t value)
{
    Direction = value;
}

void Ttoolbox::SetDirectionText(const QString &text)
{
    DirectionText = text;
    if (text == DegreesText(Direction / 100.0))
        return;
    const std::optional<double> degrees = ReadNumber(text);
    // Far beyond any turn a user means; the dial's value stays an int.
    if (!degrees || std::abs(*degrees) > 1e6)
        return;
    SetDialValue(rnd(*degrees * 100));
    ApplyShapeStyle(nullptr);
}

void Ttoolbox::SetLineColor(TColor color)
{
    LineColor = color;
    ApplyShapeStyle(nullptr);
}

void Ttoolbox::SetFillColor(TColor color)
{
    FillColor = color;
    if (LoadingShape == 0 && Document) {
        TUndoGroup group(Document);
        for (Tvnlshape *s : Selected<Tvnlshape>())
            if (s->Brush.Color() != color)
                s->Brush.SetColor(color);
    }
    Changed(taShape);
}

void Ttoolbox::SetDrawLine(bool on)
{
    DrawLine = on;
    ApplyShapeStyle(nullptr);
}

void Ttoolbox::SetDrawFill(bool on)
{
    DrawFill = on;
    ApplyShapeStyle(nullptr);
}

void Ttoolbox::SquareSides()
{
    TUndoGroup group(Document);
    for (Tvnlshape *s : Selected<Tvnlshape>())
        s->ResetAspect();
}

void Ttoolbox::DialPress(const TPoint &p)
{
    if (Dialing)
        return;
    // The drag is one undo group; a group someone left open is joined, not nested in.
    if (Document) {
        const int32_t depth = Document->BeginUndoGroup();
        if (depth > 1)
            Document->EndUndoGroup();
        else
            Document->CloseUndoGroup();
    }
    Dialing = true;
    DialPressPoint = p;
}

void Ttoolbox::DialDrag(const TPoint &p)
{
    if (!Dialing)
        return;
    SetDialValue(DialBearing(p.X - DialPressPoint.X, p.Y - DialPressPoint.Y));
    DirectionText = DegreesText(Direction / 100.0);
    ApplyShapeStyle(nullptr);
}

void Ttoolbox::DialRelease()
{
    if (!Dialing)
        return;
    Dialing = false;
    if (Document)
        Document->EndUndoGroup();
}

// ---- Image

void Ttoolbox::SetPreviewPicture(const QImage &image)
{
    if (image.width() <= 0 || image.height() <= 0) {
        ClearPreview();
        return;
    }
    Preview = image;
    ImageLoaded = true;
    Changed(taImage);
}

void Ttoolbox::ClearPreview()
{
    Preview = QImage();
    ImageLoaded = false;
    Changed(taImage);
}

bool Ttoolbox::LoadImage()
{
    const bool pictureSelected = Document && dynamic_cast<Tvnlpic *>(Document->GetSelectedObject());
    if (!pictureSelected && CurrentTool == TTool::Select)
        return false;
    std::unique_ptr<Tfiledialog> dialog = CreateFileDialog(TFileDialogKind::Open);
    dialog->SetTitle(QString::fromLatin1(LoadImageTitle));
    dialog->SetFilter(ImageFileFilter());
    if (!ImageFormats().empty() && !ImageFormats().front().Extensions.isEmpty())
        dialog->SetDefaultExt(ImageFormats().front().Extensions.front());
    dialog->SetOptions(dialog->GetOptions() | ofFileMustExist);
    dialog->SetInitialDir(
        StartFolder(Store.ReadString(QString::fromLatin1(ImagePathSetting)), DocumentsFolder()));
    // The pane shows the picture being browsed, fitted into it.
    dialog->ongetpreview = [](Tfiledialog *sender, bool &drawn) {
        QString error;
        const QImage image = ::LoadImageFile(sender->GetFileName(), &error);
        QImage &pane = sender->PreviewImage();
        if (image.isNull() || pane.isNull())
            return;
        pane.fill(ToQColor(clBtnFace));
        // Fitted into the pane and centred in it.
        const TRect box{0, 0, pane.width(), pane.height()};
        TRect r = PreviewRect(image.size(), box, true);
        const int32_t dx = r.Left / 2, dy = (box.Bottom - r.Bottom) / 2;
        r = {r.Left - dx, r.Top + dy, r.Right - dx, r.Bottom + dy};
        Tcanvas canvas(&pane);
        canvas.CopyRect(r, image, {0, 0, image.width(), image.height()});
        sender->SetPreviewCaption(QStringLiteral("%1 x %2").arg(image.width()).arg(image.height()));
        drawn = true;
    };
    if (!dialog->Execute())
        return false;
    Store.WriteString(QString::fromLatin1(ImagePathSetting), QFileInfo(dialog->GetFileName()).absolutePath());
    return LoadImageFile(dialog->GetFileName());
}

bool Ttoolbox::LoadImageFile(const QString &path)
{
    QString error;
    const QImage image = ::LoadImageFile(path, &error);
    if (image.isNull()) {
        MessageBox(error, TMsgIcon::Error);
        return false;
    }
    SetPreviewPicture(image);
    if (Document)
        if (auto *picture = dynamic_cast<Tvnlpic *>(Document->GetSelectedObject())) {
            TUndoGroup group(Document);
            picture->SetPicture(Preview);
            picture->Changed();
        }
    return true;
}

void Ttoolbox::AddToLabel()
{
    if (!Document)
        return;
    const TRect label = Document->GetLabelRect();
    const int32_t half = (label.Right - label.Left) / 2;
    if (half < std::abs(InsertOffset))
        InsertOffset = -half;
    Tvnlpic *picture = nullptr;
    {
        TUndoGroup group(Document);
        auto owned = std::make_unique<Tvnlpic>();
        picture = owned.get();
        Document->AddObject(std::move(owned));
        if (ImageLoaded)
            picture->SetPicture(Preview);
        const TPoint size = picture->GetDefaultSize(label.Width());
        picture->SetHeight(size.Y);
        picture->SetWidth(size.X);
        picture->SetLeft(label.Left + (label.Right - label.Left) / 2);
        picture->SetTop(label.Top + (label.Bottom - label.Top) / 2);
        picture->SetLeft(picture->Left() + InsertOffset - picture->Width() / 2);
        picture->SetTop(picture->Top() + InsertOffset - picture->Height() / 2);
    }
    if (OnSelectTool)
        OnSelectTool(TTool::Select);
    Document->SelectObject(picture);
    InsertOffset += 100;
    Document->Invalidate(true);
}

void Ttoolbox::ResetAspect()
{
    TUndoGroup group(Document);
    for (Tvnlpic *p : Selected<Tvnlpic>())
        p->ResetAspect();
}

// ---- Zoom

void Ttoolbox::ShowZoom(double zoom, int32_t trackPosition)
{
    ZoomLabel = ZoomText(zoom);
    TrackPosition = trackPosition;
    Changed(taZoom);
}

void Ttoolbox::TrackBarMoved(int32_t position)
{
    if (OnTrackMoved)
        OnTrackMoved(std::clamp(position, ZoomTrackMin, ZoomTrackMax));
}

// ---- Hint line

void Ttoolbox::SetShowHints(bool show)
{
    ShowHints = show;
    Store.WriteBool(QString::fromLatin1(ShowHintSetting), show);
    Changed(taHint);
}

void Ttoolbox::ShowToolHint(const QString &hint)
{
    Hint = HintText(hint);
    Changed(taHint);
}

// ---- Alignment panel

void Ttoolbox::SetAlignTool(TAlignTool tool)
{
    AlignPanel.SetTool(tool);
    Changed(taAlign);
}

void Ttoolbox::SetAlignStretch(bool stretch)
{
    AlignPanel.SetStretch(stretch);
    Changed(taAlign);
}

void Ttoolbox::AlignSide(int32_t side, std::optional<double> inches)
{
    if (Document)
        AlignPanel.AlignSide(*Document, side, inches);
}

void Ttoolbox::AlignAll(std::optional<double> inches)
{
    if (Document)
        AlignPanel.AlignAll(*Document, inches);
}

void Ttoolbox::MatchSizes(TSizeMatch how)
{
    if (Document)
        ::MatchSizes(*Document, how);
}

void Ttoolbox::ChangeOrder(TOrderChange how)
{
    if (Document)
        ::ChangeOrder(*Document, how);
}
