#pragma once
// A run of labels that differ: numbered from a start value, or one per record of a table, each
// record printed a number of times; and where its labels fall on the sheets: the chosen spots
// in their order, the first sheet from a given spot on, as many sheets as the run needs.

#include "document/fields.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class Tcsvreader;

enum class TRunKind : uint8_t {
    SameLabel, // every spot the same label, its fields filled as for the first label
    Numbered,  // Count labels numbered From, From + Step, ...
    Table,     // one label per record of the table, CopiesPerRecord times each
};

// The most labels a run may hold, and the number above which the user is asked first.
constexpr int64_t MaxRunLabels = 10'000'000;
constexpr int64_t LargeRunLabels = 10'000;
// The most copies of each record.
constexpr int32_t MaxRecordCopies = 1000;

struct TDataRun {
    TRunKind Kind = TRunKind::SameLabel;
    int64_t From = 1;
    int64_t Count = 1;
    int64_t Step = 1;
    // The table's file. A table's records are numbered from 1 by 1, whatever From and Step say.
    QString Table;
    int32_t CopiesPerRecord = 1;
    // The sheet's spot (counted from 1 in the template's order) where the first sheet starts.
    int32_t StartSpot = 1;

    bool IsRun() const { return Kind != TRunKind::SameLabel; }
    bool operator==(const TDataRun &) const = default;
};

// Where a run's labels fall: label L of the run prints on sheet (Skipped + L) / PerSheet, on
// the spot of that remainder among the printing spots.
struct TRunLayout {
    int64_t Labels = 0;
    int32_t PerSheet = 0;
    // The printing spots of the first sheet left free before the start spot.
    int32_t Skipped = 0;
    int64_t Sheets = 0;

    // The run's label at the slot'th printing spot of sheet (both from 0), or -1 for none.
    int64_t LabelAt(int64_t sheet, int32_t slot) const;
    // The first label on sheet, or Labels when none is.
    int64_t FirstLabelOn(int64_t sheet) const;
};

// The layout of labels labels on the printing spots spots (spot indices from 0, in print
// order), the first sheet starting at the spot numbered startSpot (from 1). No sheets when
// nothing prints.
TRunLayout LayoutRun(const std::vector<int32_t> &spots, int32_t startSpot, int64_t labels);

// The labels of a run in order, each with the values its fields are filled from. A table is
// read through once when the run opens, so that a damaged one is refused before anything
// prints and its records are counted, and then read again as the labels are asked for: memory
// does not grow with the number of records.
class Trunlabels {
public:
    // Raises ECsvError for a table that cannot be read ("line 214: a quote is not closed").
    // ${n} numbers the records From, From + Step, ... (a table's from 1), the copies of a record
    // alike; ${count} is the number of records. A same-label run is one record, numbered From.
    explicit Trunlabels(const TDataRun &run, QDate today = QDate::currentDate());
    ~Trunlabels();
    Trunlabels(const Trunlabels &) = delete;
    Trunlabels &operator=(const Trunlabels &) = delete;

    const TDataRun &Run() const { return RunSettings; }
    int64_t Records() const { return RecordCount; }
    int64_t Labels() const { return LabelCount; }
    // The table's field names; empty without a table.
    const QStringList &Names() const;

    // Label label of the run (from 0, below Labels()). Asked in order, the table is read on;
    // an earlier label reads it again from the start. Raises ECsvError when the file changed
    // since and no longer reads.
    const TFieldValues &Label(int64_t label);

    // The fields of texts that no value fills ("${lott}"), once each.
    QStringList UnknownFields(const QStringList &fields) const;

private:
    void Restart();

    TDataRun RunSettings;
    int64_t RecordCount = 0;
    int64_t LabelCount = 0;
    std::unique_ptr<Tcsvreader> Reader;
    // The record Current holds, -1 before the first.
    int64_t CurrentRecord = -1;
    TFieldValues Current;
};
