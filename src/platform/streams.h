#pragma once
// Little-endian reading and writing on Qt's streams (QBuffer for memory, QFile for files).
// A read that finds too few bytes returns false and leaves its target as it was, so a record
// that ends early keeps the fields it could not read; the bytes it found are used up.

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <cstdint>

// Bytes between the position and the end (0 when past the end).
qint64 Remaining(const QIODevice &stream);

// The bytes of one record, read as a stream that notes when a read or skip below asks for more
// than the record has left: a length that lies, a field that starts past the record's end.
// Such a record is damaged. Bytes left unread at its end are not.
class TRecordFrame : public QBuffer {
public:
    bool Overran() const { return FOverran; }
    void NoteOverrun() { FOverran = true; }

private:
    bool FOverran = false;
};

void WriteBytes(QIODevice &stream, const char *data, qint64 size);
void WriteBytes(QIODevice &stream, const QByteArray &bytes);
void WriteUInt8(QIODevice &stream, uint8_t value);
void WriteInt32(QIODevice &stream, int32_t value);
void WriteDouble(QIODevice &stream, double value);

// Reads min(size, Remaining) bytes; never more than the stream holds.
QByteArray ReadBytes(QIODevice &stream, qint64 size);
// The same bytes without copying them when the stream is a memory buffer (QBuffer): the result
// then refers to the buffer's memory and is valid only while the buffer's data is unchanged.
QByteArray ReadBytesView(QIODevice &stream, qint64 size);
bool ReadUInt8(QIODevice &stream, uint8_t &value);
bool ReadInt32(QIODevice &stream, int32_t &value);
bool ReadDouble(QIODevice &stream, double &value);
// Moves the position by count bytes, stopping at the end.
void SkipBytes(QIODevice &stream, qint64 count);

// Replaces the file at path with bytes, whole: they are written beside it and take its place
// only once every one is written. On failure the old file stays as it was, nothing is left
// behind, and EOSError names the file and the system's reason ("No space left on device").
void SaveFileWhole(const QString &path, const QByteArray &bytes);
