#include "platform/streams.h"

#include "platform/errors.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <unistd.h>

qint64 Remaining(const QIODevice &stream)
{
    return std::max<qint64>(0, stream.size() - stream.pos());
}

void WriteBytes(QIODevice &stream, const char *data, qint64 size)
{
    // A device may take part of a write (a disk filling up); the write of the rest is then
    // refused with the system's reason.
    while (size > 0) {
        const qint64 written = stream.write(data, size);
        if (written <= 0)
            throw EStreamError(QStringLiteral("Stream write error: %1").arg(stream.errorString()));
        data += written;
        size -= written;
    }
}

void WriteBytes(QIODevice &stream, const QByteArray &bytes)
{
    WriteBytes(stream, bytes.constData(), bytes.size());
}

void WriteUInt8(QIODevice &stream, uint8_t value)
{
    WriteBytes(stream, reinterpret_cast<const char *>(&value), 1);
}

void WriteInt32(QIODevice &stream, int32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    WriteBytes(stream, bytes, 4);
}

void WriteDouble(QIODevice &stream, double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char bytes[8];
    qToLittleEndian(bits, bytes);
    WriteBytes(stream, bytes, 8);
}

namespace {
// A read of size bytes finds fewer: a record frame takes note.
void CheckRoom(QIODevice &stream, qint64 size)
{
    if (size > Remaining(stream))
        if (auto *frame = dynamic_cast<TRecordFrame *>(&stream))
            frame->NoteOverrun();
}
} // namespace

QByteArray ReadBytes(QIODevice &stream, qint64 size)
{
    CheckRoom(stream, size);
    const qint64 n = std::min(std::max<qint64>(size, 0), Remaining(stream));
    if (n == 0)
        return {};
    return stream.read(n);
}

QByteArray ReadBytesView(QIODevice &stream, qint64 size)
{
    auto *buffer = qobject_cast<QBuffer *>(&stream);
    if (!buffer || !buffer->isReadable())
        return ReadBytes(stream, size);
    CheckRoom(stream, size);
    const qint64 n = std::min(std::max<qint64>(size, 0), Remaining(stream));
    if (n == 0)
        return {};
    const qint64 start = buffer->pos();
    buffer->seek(start + n);
    return QByteArray::fromRawData(buffer->data().constData() + start, n);
}

namespace {
template <int N> bool ReadExactly(QIODevice &stream, char (&bytes)[N])
{
    // Too few bytes: they are used up as a partial read would, so the next read finds the end
    // instead of a field's stray bytes.
    if (Remaining(stream) < N) {
        CheckRoom(stream, N);
        stream.seek(stream.size());
        return false;
    }
    return stream.read(bytes, N) == N;
}
} // namespace

bool ReadUInt8(QIODevice &stream, uint8_t &value)
{
    char bytes[1];
    if (!ReadExactly(stream, bytes))
        return false;
    value = static_cast<uint8_t>(bytes[0]);
    return true;
}

bool ReadInt32(QIODevice &stream, int32_t &value)
{
    char bytes[4];
    if (!ReadExactly(stream, bytes))
        return false;
    value = qFromLittleEndian<int32_t>(bytes);
    return true;
}

bool ReadDouble(QIODevice &stream, double &value)
{
    char bytes[8];
    if (!ReadExactly(stream, bytes))
        return false;
    const uint64_t bits = qFromLittleEndian<uint64_t>(bytes);
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

void SkipBytes(QIODevice &stream, qint64 count)
{
    CheckRoom(stream, count);
    stream.seek(stream.pos() + std::min(std::max<qint64>(count, 0), Remaining(stream)));
}

namespace {
EOSError SaveFailed(const QString &path, const QString &reason)
{
    return EOSError(QStringLiteral("Could not save \"%1\": %2.").arg(QDir::toNativeSeparators(path), reason));
}

// Why a file that exists may not be written, in the system's words ("Read-only file system",
// "Permission denied"); empty when it may be.
QString WhyNotWritable(const QString &path)
{
    if (!QFileInfo::exists(path) || ::access(QFile::encodeName(path).constData(), W_OK) == 0)
        return {};
    return QString::fromStdString(std::generic_category().message(errno));
}
} // namespace

void SaveFileWhole(const QString &path, const QByteArray &bytes)
{
    // Unbuffered, so a refused write reports the system's reason at once instead of a failed
    // flush later; the file is replaced only by a complete commit.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // A file that may not be replaced is refused in the library's own words.
        const QString why = WhyNotWritable(path);
        throw SaveFailed(path, why.isEmpty() ? file.errorString() : why);
    }
    try {
        WriteBytes(file, bytes);
    } catch (const EStreamError &) {
        throw SaveFailed(path, file.errorString());
    }
    if (!file.commit())
        throw SaveFailed(path, file.errorString());
}
