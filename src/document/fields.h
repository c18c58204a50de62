#pragma once
// Fields in a text box's text or a code's data, filled per label when a run prints: ${name}
// takes the value of the table's field of that name, ${n} the label's number in the run
// (${n:4} with at least four digits), ${count} the number of labels in the run, ${date} today
// in the desktop's short format (${date:yyyy-MM-dd} in the one given), and $$ stands for one $.
// A column of the table named like a built-in (a "date") wins over it. A field nobody knows
// stays as written. What is stored in the document never changes: the
// objects fill their text while a paint has FieldFill set.

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

// What one label's fields are filled from.
struct TFieldValues {
    // The table's field names, shared by all its records; nullptr without a table.
    std::shared_ptr<const QStringList> Names;
    // The record, as many values as Names holds.
    QStringList Values;
    int64_t Number = 1;
    int64_t Count = 1;
    QDate Today = QDate::currentDate();

    // The value of the field called name (compared without case), or nullptr.
    const QString *Value(const QString &name) const;
};

// text with its fields filled from values. The fields nobody knows are added to unknown, once
// each, as written ("${lott}"), when it is given.
QString FillFields(const QString &text, const TFieldValues &values, QStringList *unknown = nullptr);
// The fields text holds, as written, once each; empty for a text without fields.
QStringList FieldsIn(const QString &text);
bool HasFields(const QString &text);

// The values the objects fill their fields from while a document paints with data (set for
// the length of the paint from Tdrawlist::Fill); nullptr otherwise, when fields show as written.
extern const TFieldValues *FieldFill;
