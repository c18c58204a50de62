#include "settings/fileio.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A descriptor closed on every path.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : Fd(fd) {}
    ~TFileDescriptor()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    TFileDescriptor(const TFileDescriptor &) = delete;
    TFileDescriptor &operator=(const TFileDescriptor &) = delete;

    int Get() const { return Fd; }
    // Closes now; 0 or the errno value of a close that failed (a late write error).
    int Close()
    {
        const int fd = Fd;
        Fd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int Fd;
};

int WriteAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= written;
    }
    return 0;
}

QByteArray TempTemplate(const QString &fileName)
{
    const QFileInfo info(fileName);
    return QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                             QStringLiteral(".XXXXXX"));
}

} // namespace

int MakeFolders(const QString &path)
{
    const QByteArray native = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    for (qsizetype end = 1; end <= native.size(); ++end) {
        if (end != native.size() && native[end] != '/')
            continue;
        const QByteArray prefix = native.left(end);
        struct stat st {};
        if (::stat(prefix.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return ENOTDIR;
            continue;
        }
        if (::mkdir(prefix.constData(), 0755) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

int WriteWholeFile(const QString &fileName, const QByteArray &data, int mode)
{
    if (const int error = MakeFolders(QFileInfo(fileName).absolutePath()))
        return error;
    QByteArray temp = TempTemplate(fileName);
    TFileDescriptor fd(::mkstemp(temp.data()));
    if (fd.Get() < 0)
        return errno;
    int error = WriteAll(fd.Get(), data.constData(), data.size());
    if (error == 0 && ::fchmod(fd.Get(), static_cast<mode_t>(mode)) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd.Get()) != 0)
        error = errno;
    if (const int closeError = fd.Close(); error == 0)
        error = closeError;
    if (error == 0 && ::rename(temp.constData(), QFile::encodeName(fileName).constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.constData());
    return error;
}

int ReadWholeFile(const QString &fileName, QByteArray &data)
{
    TFileDescriptor fd(::open(QFile::encodeName(fileName).constData(), O_RDONLY));
    if (fd.Get() < 0)
        return errno;
    QByteArray content;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            break;
        content.append(buffer, got);
    }
    data = content;
    return 0;
}

int FindWriteError(const QString &fileName, qint64 size)
{
    if (const int error = MakeFolders(QFileInfo(fileName).absolutePath()))
        return error;
    const QByteArray native = QFile::encodeName(fileName);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        TFileDescriptor existing(::open(native.constData(), O_WRONLY | O_APPEND));
        if (existing.Get() < 0)
            return errno;
    }
    QByteArray temp = TempTemplate(fileName);
    TFileDescriptor fd(::mkstemp(temp.data()));
    if (fd.Get() < 0)
        return errno;
    const std::vector<char> zeros(static_cast<size_t>(std::max<qint64>(size, 1)), 0);
    int error = WriteAll(fd.Get(), zeros.data(), static_cast<qint64>(zeros.size()));
    if (error == 0 && ::fsync(fd.Get()) != 0)
        error = errno;
    if (const int closeError = fd.Close(); error == 0)
        error = closeError;
    ::unlink(temp.constData());
    return error != 0 ? error : EIO;
}
