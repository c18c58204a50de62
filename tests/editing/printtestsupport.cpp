#include "printtestsupport.h"

#include "document/shape.h"
#include "document/text.h"
#include "platform/rnd.h"

#include <algorithm>

const QString LabelWords = QStringLiteral("Chateau Ambrelo");

namespace {
constexpr TRect LabelUnits{100000, 100000, 102000, 101000};
} // namespace

void BuildTestLabel(Tdrawlist &document)
{
    auto box = std::make_unique<Tvnlshape>();
    box->Bounds = {LabelUnits.Left, LabelUnits.Top, LabelUnits.Right, LabelUnits.Top + 500};
    box->SetShapeStyle(TShapeStyle::Rectangle);
    box->SetDrawFill(true);
    box->SetDrawOutline(false);
    box->Brush.SetColor(clBlack);
    document.AddObject(std::move(box));
    auto text = std::make_unique<Tvnltext>();
    text->Bounds = {LabelUnits.Left + 100, LabelUnits.Top + 600, LabelUnits.Right - 100, LabelUnits.Bottom};
    text->Font.SetName(QStringLiteral("Liberation Sans"));
    text->Font.SetHeight(-14);
    text->Font.SetStyle(fsBold);
    text->SetText(LabelWords);
    document.AddObject(std::move(text));
}

TTestSheet::TTestSheet()
{
    for (Tdrawlist *d : {static_cast<Tdrawlist *>(&Template), &Project})
        d->SetLabelRect(LabelUnits);
    Template.SetLabelWidth(TestLabelWidth);
    Template.SetLabelHeight(TestLabelHeight);
    AddSpot(Template, 0.5, 1, TestLabelWidth, TestLabelHeight);
    AddSpot(Template, 4, 1, TestLabelWidth, TestLabelHeight);
    AddSpot(Template, 0.5, 4, TestLabelWidth, TestLabelHeight);
    Project.SetTemplate(&Template);
    BuildTestLabel(Project);
}

TPrintSettings MarkedSettings(const TTestSheet &sheet, int32_t copies)
{
    TPrintSettings settings;
    settings.Copies = copies;
    settings.Spots = sheet.Template.Geometry.MarkedSpots();
    return settings;
}

TMemoryStore::TMemoryStore()
{
    SetRootBackend(HKEY_CURRENT_USER, std::make_shared<Tmemorybackend>());
    Store.OpenKey(QString::fromLatin1(SettingsKeyPath), true);
}

TMemoryStore::~TMemoryStore()
{
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

Trecordingprinter::Trecordingprinter(int32_t dpi, int32_t offsetX, int32_t offsetY, double widthInches,
                                     double heightInches)
    : Dpi(dpi), Offset{offsetX, offsetY}, Page{rnd(widthInches * dpi), rnd(heightInches * dpi)}
{
}

int32_t Trecordingprinter::GetDeviceCaps(TDeviceCap cap) const
{
    if (!IsAvailable || std::find(Failing.begin(), Failing.end(), cap) != Failing.end())
        throw EPrinter(QStringLiteral("no answer"));
    const bool turned = Orientation == 1;
    const TPoint page = turned ? TPoint{Page.Y, Page.X} : Page;
    switch (cap) {
    case TDeviceCap::PhysicalOffsetX:
        return Offset.X;
    case TDeviceCap::PhysicalOffsetY:
        return Offset.Y;
    case TDeviceCap::LogPixelsX:
    case TDeviceCap::LogPixelsY:
        return Dpi;
    case TDeviceCap::PhysicalWidth:
        return page.X;
    case TDeviceCap::PhysicalHeight:
        return page.Y;
    case TDeviceCap::HorzRes:
        return page.X - 2 * Offset.X;
    case TDeviceCap::VertRes:
        return page.Y - 2 * Offset.Y;
    }
    return 0;
}

void Trecordingprinter::SetOrientation(uint8_t orientation)
{
    Orientation = orientation;
    ++OrientationCalls;
}

void Trecordingprinter::BeginDoc()
{
    Pages.clear();
    NewPage();
}

void Trecordingprinter::NewPage()
{
    if (int32_t(Pages.size()) == FailAtPage)
        throw EPrinter(QStringLiteral("out of paper"));
    FCanvas.Unbind();
    Pages.emplace_back(GetDeviceCaps(TDeviceCap::HorzRes), GetDeviceCaps(TDeviceCap::VertRes),
                       QImage::Format_RGB32);
    Pages.back().fill(Qt::white);
    FCanvas.Bind(&Pages.back());
}

void Trecordingprinter::EndDoc()
{
    FCanvas.Unbind();
    ++EndDocCalls;
}

bool IsDark(const QImage &image, int32_t x, int32_t y)
{
    const QRgb p = image.pixel(x, y);
    return qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100;
}

int32_t FirstDark(const QImage &image, int32_t x, int32_t y, int32_t dx, int32_t dy)
{
    while (x >= 0 && y >= 0 && x < image.width() && y < image.height()) {
        if (IsDark(image, x, y))
            return dx != 0 ? x : y;
        x += dx;
        y += dy;
    }
    return -1;
}

std::vector<double> DarkRunCentres(const QImage &image, int32_t x, int32_t y, int32_t dx, int32_t dy)
{
    std::vector<double> centres;
    int32_t start = -1;
    for (int32_t at = 0;; ++at) {
        const int32_t px = x + at * dx, py = y + at * dy;
        const bool inside = px < image.width() && py < image.height();
        const bool dark = inside && IsDark(image, px, py);
        if (dark && start < 0)
            start = at;
        if (!dark && start >= 0) {
            centres.push_back((start + at - 1) / 2.0);
            start = -1;
        }
        if (!inside)
            return centres;
    }
}
