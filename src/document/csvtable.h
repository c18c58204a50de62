#pragma once
// A table of records in a CSV file, read one record at a time so that memory stays the same
// however many records it holds. Fields may be quoted, with doubled quotes inside and line
// breaks; the separator (comma, semicolon or tab) is the one the first line uses most; the
// text is UTF-8, with or without a byte-order mark, or Windows-1252 when it is not valid
// UTF-8. The first line names the fields.
//
//     Tcsvreader table(path);              // may throw ECsvError
//     QStringList fields;
//     while (table.Next(fields)) ...       // may throw ECsvError "line 214: a quote is not closed"

#include "platform/errors.h"

#include <QIODevice>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <cstdint>
#include <memory>

// A table that cannot be read: the message says why and, where there is one, on which line.
class ECsvError : public Exception {
public:
    using Exception::Exception;
    const char *ClassName() const override { return "ECsvError"; }
};

// The longest field a table may hold, in characters: a quote left open swallows the rest of
// the file, which must not take the memory with it.
constexpr qsizetype MaxCsvField = qsizetype(16) << 20;

class Tcsvreader {
public:
    // The table in the file at path. Raises ECsvError when it cannot be opened, is empty, or its
    // first line cannot be read.
    explicit Tcsvreader(const QString &path);
    // The table on device (opened for reading, seekable), which the reader keeps.
    explicit Tcsvreader(std::unique_ptr<QIODevice> device);
    ~Tcsvreader();
    Tcsvreader(const Tcsvreader &) = delete;
    Tcsvreader &operator=(const Tcsvreader &) = delete;

    // The field names of the first line, trimmed of blanks.
    const QStringList &Names() const { return FieldNames; }
    QChar Separator() const { return Delimiter; }
    // The text was read as UTF-8 (else as Windows-1252).
    bool IsUtf8() const { return Utf8; }

    // The next record, as many fields as the first line names; false at the end of the table.
    // Empty lines are passed over. Raises ECsvError with the line on which the record starts.
    bool Next(QStringList &fields);
    // The line (from 1) on which the record Next gave last starts.
    int64_t RecordLine() const { return StartLine; }

private:
    void Open();
    bool CheckUtf8();
    // Decodes more of the file onto the end of Text; false at its end.
    bool Fill();
    // Text reaches index i, reading more when needed; false when the file ends before.
    bool Have(qsizetype i);
    // The character at Pos, reading more when needed; false at the end.
    bool Peek(QChar &c);
    QChar Separator(); // finds it on the first line
    // Reads one line's fields; false when nothing was left.
    bool ReadRecord(QStringList &fields);
    [[noreturn]] void Fail(int64_t line, const QString &what) const;

    std::unique_ptr<QIODevice> Device;
    std::unique_ptr<QStringDecoder> Utf8Decoder;
    bool Utf8 = true;
    bool AtStart = true;
    QString Text;
    qsizetype Pos = 0;
    QChar Delimiter = u',';
    QStringList FieldNames;
    int64_t Line = 1;
    int64_t StartLine = 0;
};
