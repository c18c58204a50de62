#include "document/labelgeometry.h"

#include "platform/streams.h"

#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr double MinSize = 0.001;
constexpr double MaxSize = 100.0;

// Offsets of the fields in the layout block.
constexpr int LeftMarginAt = 0;
constexpr int TopMarginAt = 8;
constexpr int ColumnsAt = 16;
constexpr int RowsAt = 20;
constexpr int HGutterAt = 24;
constexpr int VGutterAt = 32;
constexpr int LabelWidthAt = 40;
constexpr int LabelHeightAt = 48;
constexpr int ValidAt = 56;
constexpr int ReservedAt = 57;

using TLayoutBlock = std::array<uint8_t, LayoutBlockSize>;

// Reads up to size bytes over the front of bytes: a value the stream ends inside keeps the
// rest of what it held.
void ReadOver(QIODevice &stream, uint8_t *bytes, qint64 size)
{
    const QByteArray read = ReadBytes(stream, size);
    std::memcpy(bytes, read.constData(), size_t(read.size()));
}

// A little-endian value read while bytes remain; the part the stream lacks keeps its value.
template <typename T> void ReadValue(QIODevice &stream, T &value)
{
    if (Remaining(stream) <= 0)
        return;
    uint8_t bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    ReadOver(stream, bytes, sizeof(T));
    value = qFromLittleEndian<T>(bytes);
}

void PutDouble(TLayoutBlock &block, int at, double value)
{
    qToLittleEndian(value, block.data() + at);
}

double GetDouble(const TLayoutBlock &block, int at)
{
    return qFromLittleEndian<double>(block.data() + at);
}

void PutInt32(TLayoutBlock &block, int at, int32_t value)
{
    qToLittleEndian(value, block.data() + at);
}

int32_t GetInt32(const TLayoutBlock &block, int at)
{
    return qFromLittleEndian<int32_t>(block.data() + at);
}

TLayoutBlock EncodeLayout(const Tlabelgeometrylist &list)
{
    TLayoutBlock block{};
    PutDouble(block, LeftMarginAt, list.LayoutLeftMargin);
    PutDouble(block, TopMarginAt, list.LayoutTopMargin);
    PutInt32(block, ColumnsAt, list.LayoutColumns);
    PutInt32(block, RowsAt, list.LayoutRows);
    PutDouble(block, HGutterAt, list.LayoutHGutter);
    PutDouble(block, VGutterAt, list.LayoutVGutter);
    PutDouble(block, LabelWidthAt, list.LayoutLabelWidth);
    PutDouble(block, LabelHeightAt, list.LayoutLabelHeight);
    block[ValidAt] = list.LayoutValid;
    std::copy(list.Reserved.begin(), list.Reserved.end(), block.begin() + ReservedAt);
    return block;
}

void DecodeLayout(const TLayoutBlock &block, Tlabelgeometrylist &list)
{
    list.LayoutLeftMargin = GetDouble(block, LeftMarginAt);
    list.LayoutTopMargin = GetDouble(block, TopMarginAt);
    list.LayoutColumns = GetInt32(block, ColumnsAt);
    list.LayoutRows = GetInt32(block, RowsAt);
    list.LayoutHGutter = GetDouble(block, HGutterAt);
    list.LayoutVGutter = GetDouble(block, VGutterAt);
    list.LayoutLabelWidth = GetDouble(block, LabelWidthAt);
    list.LayoutLabelHeight = GetDouble(block, LabelHeightAt);
    list.LayoutValid = block[ValidAt];
    std::copy(block.begin() + ReservedAt, block.end(), list.Reserved.begin());
}

// The letter page the spots print on; an orientation of no known kind prints portrait.
TPointPair PrintedPage(const Tlabelgeometrylist &list)
{
    TPointPair page{8.5, 11.0};
    list.GetPageSize(page.X, page.Y);
    return page;
}

// "Spot 3" or "Spots 2, 3 and 5", counted from 1, and the verb that goes with it.
QString SpotNumbers(const std::vector<int32_t> &indexes, const char *one, const char *many)
{
    QStringList numbers;
    for (const int32_t index : indexes)
        numbers << QString::number(index + 1);
    if (numbers.size() == 1)
        return QStringLiteral("Spot %1 %2").arg(numbers[0], QLatin1String(one));
    const QString last = numbers.takeLast();
    return QStringLiteral("Spots %1 and %2 %3")
        .arg(numbers.join(QStringLiteral(", ")), last, QLatin1String(many));
}
} // namespace

double ClampSize(double value)
{
    // Written so that a NaN, which fails every comparison, is clamped as well.
    if (!(value >= MinSize && value <= MaxSize))
        return MinSize;
    return value;
}

TPointPair PointPair(double x, double y)
{
    return {x, y};
}

void Tlabelgeometry::Assign(const Tlabelgeometry &source)
{
    SpotTop = source.SpotTop;
    SpotLeft = source.SpotLeft;
    SpotHeight = source.SpotHeight;
    SpotWidth = source.SpotWidth;
    Marked = source.Marked;
}

void Tlabelgeometry::SaveToStream(QIODevice &stream) const
{
    WriteDouble(stream, SpotLeft);
    WriteDouble(stream, SpotTop);
    WriteDouble(stream, SpotWidth);
    WriteDouble(stream, SpotHeight);
}

void Tlabelgeometry::LoadFromStream(QIODevice &stream)
{
    SpotColor = 0;
    ReadValue(stream, SpotLeft);
    ReadValue(stream, SpotTop);
    ReadValue(stream, SpotWidth);
    ReadValue(stream, SpotHeight);
    SpotLeft = ClampSize(SpotLeft);
    SpotTop = ClampSize(SpotTop);
    SpotWidth = ClampSize(SpotWidth);
    SpotHeight = ClampSize(SpotHeight);
}

int32_t Tlabelgeometrylist::MarkedCount() const
{
    return int32_t(std::count_if(Spots.begin(), Spots.end(), [](const auto &s) { return s->Marked; }));
}

int32_t Tlabelgeometrylist::Add(std::unique_ptr<Tlabelgeometry> spot)
{
    if (!spot)
        return -1;
    Spots.push_back(std::move(spot));
    return Count() - 1;
}

void Tlabelgeometrylist::Delete(int32_t index)
{
    if (index < 0 || index >= Count())
        return;
    Spots.erase(Spots.begin() + index);
}

void Tlabelgeometrylist::GetPageSize(double &width, double &height) const
{
    switch (Orientation) {
    case 0:
        width = 8.5;
        height = 11.0;
        break;
    case 1:
        width = 11.0;
        height = 8.5;
        break;
    default:
        break;
    }
}

TPointPair Tlabelgeometrylist::GetPageSize() const
{
    TPointPair size;
    GetPageSize(size.X, size.Y);
    return size;
}

TSpotFit Tlabelgeometrylist::Fit(int32_t index) const
{
    const Tlabelgeometry &spot = *Spots[index];
    const TPointPair page = PrintedPage(*this);
    const double left = spot.SpotLeft, top = spot.SpotTop, width = spot.SpotWidth, height = spot.SpotHeight;
    if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(width) || !std::isfinite(height))
        return TSpotFit::OffPage;
    if (width <= MinSize || height <= MinSize)
        return TSpotFit::TooSmall;
    if (width > MaxSize || height > MaxSize)
        return TSpotFit::TooLarge;
    if (left + width <= 0 || top + height <= 0 || left >= page.X || top >= page.Y)
        return TSpotFit::OffPage;
    return TSpotFit::Prints;
}

std::vector<int32_t> Tlabelgeometrylist::MarkedSpots() const
{
    std::vector<int32_t> marked;
    for (int32_t i = 0; i < Count(); ++i)
        if (Spots[i]->Marked)
            marked.push_back(i);
    return marked;
}

int32_t Tlabelgeometrylist::PrintableCount(const std::vector<int32_t> &spots) const
{
    return int32_t(PrintableSpots(spots).size());
}

std::vector<int32_t> Tlabelgeometrylist::PrintableSpots(const std::vector<int32_t> &spots) const
{
    std::vector<int32_t> printable;
    for (const int32_t i : spots)
        if (i >= 0 && i < Count() && Fit(i) == TSpotFit::Prints)
            printable.push_back(i);
    return printable;
}

QString Tlabelgeometrylist::UnprintableSpots(const std::vector<int32_t> &spots) const
{
    std::vector<int32_t> off, small, large;
    for (const int32_t i : spots) {
        if (i < 0 || i >= Count())
            continue;
        switch (Fit(i)) {
        case TSpotFit::OffPage:
            off.push_back(i);
            break;
        case TSpotFit::TooSmall:
            small.push_back(i);
            break;
        case TSpotFit::TooLarge:
            large.push_back(i);
            break;
        case TSpotFit::Prints:
            break;
        }
    }
    const TPointPair page = PrintedPage(*this);
    QStringList sentences;
    if (!off.empty())
        sentences << SpotNumbers(off, "lies", "lie") +
                         QStringLiteral(" outside the %1 \u00d7 %2 in page.").arg(page.X).arg(page.Y);
    if (!small.empty())
        sentences << SpotNumbers(small, "is", "are") + QStringLiteral(" too small to print.");
    if (!large.empty())
        sentences << SpotNumbers(large, "is", "are") + QStringLiteral(" too large to print.");
    return sentences.join(QLatin1Char(' '));
}

void Tlabelgeometrylist::Assign(const Tlabelgeometrylist &source)
{
    if (&source == this)
        return;
    Clear();
    Spots.reserve(source.Spots.size());
    for (const auto &s : source.Spots) {
        auto copy = std::make_unique<Tlabelgeometry>();
        copy->Assign(*s);
        Spots.push_back(std::move(copy));
    }
    Orientation = source.Orientation;
}

void Tlabelgeometrylist::Clear()
{
    Spots.clear();
}

Tlabelgeometrylist::TSectionRead Tlabelgeometrylist::LoadFromStream(QIODevice &stream)
{
    Clear();
    // Every writer writes each part whole, so a stream that ends before the layout block does
    // was cut.
    const qint64 spotSize = 4 * qint64(sizeof(double));
    bool whole = Remaining(stream) >= qint64(sizeof(int32_t));
    bool tooMany = false;
    if (Remaining(stream) > 0) {
        int32_t count = 0;
        ReadValue(stream, count);
        if (count < 0) {
            whole = false;
            count = 0;
        } else if (count > MaxSpots) {
            // A sheet of that many spots is read as none; it is damage only when the stream
            // does not hold the spots it names.
            tooMany = true;
            whole = whole && Remaining(stream) >= count * spotSize + 1 + LayoutBlockSize;
            count = 0;
        }
        whole = whole && Remaining(stream) >= count * spotSize;
        // One spot at a time: a count the stream cannot back costs no more than the spots made.
        for (int32_t i = 0; i < count; ++i) {
            auto spot = std::make_unique<Tlabelgeometry>();
            spot->LoadFromStream(stream);
            Spots.push_back(std::move(spot));
        }
    }
    whole = whole && Remaining(stream) >= 1 + LayoutBlockSize;
    ReadValue(stream, Orientation);
    if (Remaining(stream) > 0) {
        TLayoutBlock block = EncodeLayout(*this);
        ReadOver(stream, block.data(), LayoutBlockSize);
        DecodeLayout(block, *this);
    }
    if (!whole)
        return TSectionRead::Damaged;
    return tooMany ? TSectionRead::TooManySpots : TSectionRead::Whole;
}

void Tlabelgeometrylist::SaveToStream(QIODevice &stream) const
{
    WriteInt32(stream, Count());
    for (const auto &s : Spots)
        s->SaveToStream(stream);
    WriteUInt8(stream, Orientation);
    const TLayoutBlock block = EncodeLayout(*this);
    WriteBytes(stream, reinterpret_cast<const char *>(block.data()), LayoutBlockSize);
}

void Tlabelgeometrylist::LayOutGrid()
{
    Clear();
    for (int32_t r = 0; r < LayoutRows; ++r) {
        for (int32_t c = 0; c < LayoutColumns; ++c) {
            auto spot = std::make_unique<Tlabelgeometry>();
            spot->SpotLeft = LayoutLeftMargin + c * (LayoutLabelWidth + LayoutHGutter);
            spot->SpotTop = LayoutTopMargin + r * (LayoutLabelHeight + LayoutVGutter);
            spot->SpotWidth = LayoutLabelWidth;
            spot->SpotHeight = LayoutLabelHeight;
            Add(std::move(spot));
        }
    }
    LayoutValid = 1;
}

void Tlabelgeometrylist::LayOutGrid(const TGridLayout &grid)
{
    LayoutLeftMargin = grid.LeftMargin;
    LayoutTopMargin = grid.TopMargin;
    LayoutColumns = grid.Columns;
    LayoutRows = grid.Rows;
    LayoutHGutter = grid.HGutter;
    LayoutVGutter = grid.VGutter;
    LayoutLabelWidth = grid.LabelWidth;
    LayoutLabelHeight = grid.LabelHeight;
    LayOutGrid();
}

TGridLayout Tlabelgeometrylist::GridLayout() const
{
    return {LayoutLeftMargin, LayoutTopMargin, LayoutColumns,    LayoutRows,
            LayoutHGutter,    LayoutVGutter,   LayoutLabelWidth, LayoutLabelHeight};
}
