#include "document/datarun.h"

#include "document/csvtable.h"

#include <algorithm>
#include <limits>

int64_t TRunLayout::LabelAt(int64_t sheet, int32_t slot) const
{
    if (sheet < 0 || slot < 0 || slot >= PerSheet)
        return -1;
    const int64_t label = sheet * PerSheet + slot - Skipped;
    return label >= 0 && label < Labels ? label : -1;
}

int64_t TRunLayout::FirstLabelOn(int64_t sheet) const
{
    if (sheet < 0 || sheet >= Sheets)
        return Labels;
    return std::max<int64_t>(0, sheet * PerSheet - Skipped);
}

TRunLayout LayoutRun(const std::vector<int32_t> &spots, int32_t startSpot, int64_t labels)
{
    TRunLayout layout;
    layout.Labels = std::max<int64_t>(labels, 0);
    layout.PerSheet = int32_t(spots.size());
    if (layout.PerSheet == 0 || layout.Labels == 0)
        return layout;
    layout.Skipped = int32_t(std::count_if(spots.begin(), spots.end(),
                                           [startSpot](int32_t spot) { return spot + 1 < startSpot; }));
    // A start past every printing spot begins on the next sheet's first one.
    if (layout.Skipped == layout.PerSheet)
        layout.Skipped = 0;
    layout.Sheets = (layout.Skipped + layout.Labels + layout.PerSheet - 1) / layout.PerSheet;
    return layout;
}

namespace {
int64_t CountRecords(const QString &path)
{
    Tcsvreader reader(path);
    QStringList fields;
    int64_t records = 0;
    while (reader.Next(fields))
        ++records;
    return records;
}

int64_t Clamped(int64_t labels)
{
    return std::clamp<int64_t>(labels, 0, MaxRunLabels);
}
} // namespace

Trunlabels::Trunlabels(const TDataRun &run, QDate today) : RunSettings(run)
{
    RunSettings.CopiesPerRecord = std::max(RunSettings.CopiesPerRecord, 1);
    Current.Today = today;
    switch (RunSettings.Kind) {
    case TRunKind::SameLabel:
        RecordCount = 1;
        LabelCount = 1;
        RunSettings.CopiesPerRecord = 1;
        break;
    case TRunKind::Numbered:
        RecordCount = Clamped(RunSettings.Count);
        LabelCount = Clamped(RecordCount * RunSettings.CopiesPerRecord);
        break;
    case TRunKind::Table:
        RunSettings.From = 1;
        RunSettings.Step = 1;
        RecordCount = Clamped(CountRecords(RunSettings.Table));
        LabelCount = Clamped(RecordCount * RunSettings.CopiesPerRecord);
        Restart();
        break;
    }
    Current.Count = RecordCount;
}

Trunlabels::~Trunlabels() = default;

const QStringList &Trunlabels::Names() const
{
    static const QStringList none;
    return Current.Names ? *Current.Names : none;
}

void Trunlabels::Restart()
{
    Reader = std::make_unique<Tcsvreader>(RunSettings.Table);
    Current.Names = std::make_shared<const QStringList>(Reader->Names());
    CurrentRecord = -1;
}

const TFieldValues &Trunlabels::Label(int64_t label)
{
    label = std::clamp<int64_t>(label, 0, std::max<int64_t>(LabelCount - 1, 0));
    const int64_t record = label / RunSettings.CopiesPerRecord;
    Current.Number = RunSettings.From + record * RunSettings.Step;
    switch (RunSettings.Kind) {
    case TRunKind::SameLabel:
    case TRunKind::Numbered:
        break;
    case TRunKind::Table:
        if (record < CurrentRecord)
            Restart();
        while (CurrentRecord < record) {
            if (!Reader->Next(Current.Values))
                throw ECsvError(
                    QStringLiteral("the table \"%1\" changed while it was printed").arg(RunSettings.Table));
            ++CurrentRecord;
        }
        break;
    }
    return Current;
}

QStringList Trunlabels::UnknownFields(const QStringList &fields) const
{
    QStringList unknown;
    TFieldValues probe = Current;
    probe.Values = QStringList(Names().size());
    for (const QString &field : fields)
        FillFields(field, probe, &unknown);
    return unknown;
}
