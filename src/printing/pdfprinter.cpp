#include "printing/pdfprinter.h"

#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "editing/printjob.h"
#include "platform/outputpath.h"
#include "platform/scopedvalue.h"
#include "printing/qtprinter.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {
constexpr int PdfResolution = 600;

QString SystemReason(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

// The permissions the finished file takes: those of the file it replaces, or those any new
// file gets (a temporary file is private).
mode_t PermissionsFor(const QString &target)
{
    struct stat info {};
    if (::stat(QFile::encodeName(target).constData(), &info) == 0)
        return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The rename itself is made lasting too; a folder that cannot be synced loses nothing written.
void SyncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

// Collects the document's bytes and writes them to the file in large pieces straight through
// the system, so that the first write refused is seen with the system's reason; counts every
// byte it was given.
class Tpdfprinter::TCheckedDevice : public QIODevice {
public:
    explicit TCheckedDevice(int fd) : Fd(fd) { open(QIODevice::WriteOnly); }

    // Writes what it still holds. The system's error number of the first write refused, or 0.
    int Flush()
    {
        if (Failure == 0)
            Failure = WriteAll(Fd, Pending.constData(), size_t(Pending.size()));
        Pending.clear();
        return Failure;
    }

    qint64 Given = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        Given += size;
        Pending.append(data, size);
        if (Pending.size() >= Piece)
            Flush();
        return Failure == 0 ? size : -1;
    }

private:
    static constexpr qsizetype Piece = 64 * 1024;
    int Fd;
    int Failure = 0;
    QByteArray Pending;
};

Tpdfprinter::Tpdfprinter(const QString &path, const QStringList &inputs) : Shown(path)
{
    std::vector<std::string> read;
    for (const QString &input : inputs)
        if (!input.isEmpty())
            read.push_back(QFile::encodeName(input).toStdString());
    const TOutputTarget target = ResolveOutput(QFile::encodeName(path).toStdString(), read);
    const QString shown = QDir::toNativeSeparators(Shown);
    switch (target.Refusal) {
    case TOutputRefusal::IsInput:
        throw EOutputRefused(QStringLiteral("The output \"%1\" is the label file itself.").arg(shown));
    case TOutputRefusal::NotRegular:
        throw EOutputRefused(QStringLiteral("The output \"%1\" is not a regular file.").arg(shown));
    case TOutputRefusal::Folder:
        Failed(QStringLiteral("it is a folder"));
    case TOutputRefusal::None:
        break;
    }
    const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(target.Path)));
    Target = info.absoluteFilePath();
    const QDir folder = info.absoluteDir();
    if (!folder.exists())
        Failed(
            QStringLiteral("the folder \"%1\" does not exist").arg(QDir::toNativeSeparators(folder.path())));
    Temporary = std::make_unique<QTemporaryFile>(
        folder.filePath(QStringLiteral(".%1.XXXXXX.part").arg(info.fileName())));
    if (!Temporary->open())
        Failed(Temporary->errorString());
    Guard = std::make_unique<TRemovedOnSignal>(QFile::encodeName(Temporary->fileName()).toStdString());
    Device = std::make_unique<TCheckedDevice>(Temporary->handle());
    Writer = std::make_unique<QPdfWriter>(Device.get());
    Writer->setResolution(PdfResolution);
    Writer->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    Writer->setCreator(QStringLiteral("Ambrelo"));
}

Tpdfprinter::~Tpdfprinter()
{
    // An unfinished job ends into the temporary file, which then goes with it.
    FCanvas.Unbind();
}

void Tpdfprinter::Failed(const QString &reason) const
{
    throw EOSError(
        QStringLiteral("Could not write \"%1\": %2.").arg(QDir::toNativeSeparators(Shown), reason));
}

void Tpdfprinter::Commit()
{
    EndDoc();
    if (const int error = Device->Flush())
        Failed(SystemReason(error));
    if (Device->Given == 0)
        Failed(QStringLiteral("nothing was printed"));
    const int fd = Temporary->handle();
    if (::fsync(fd) != 0)
        Failed(SystemReason(errno));
    struct stat written {};
    if (::fstat(fd, &written) != 0)
        Failed(SystemReason(errno));
    if (written.st_size != Device->Given)
        Failed(QStringLiteral("the file holds %1 of the %2 bytes written")
                   .arg(written.st_size)
                   .arg(Device->Given));
    if (::fchmod(fd, PermissionsFor(Target)) != 0)
        Failed(SystemReason(errno));
    if (std::rename(QFile::encodeName(Temporary->fileName()).constData(),
                    QFile::encodeName(Target).constData()) != 0)
        Failed(SystemReason(errno));
    Temporary->setAutoRemove(false);
    Temporary->close();
    SyncFolder(QFileInfo(Target).absolutePath());
}

int32_t Tpdfprinter::GetDeviceCaps(TDeviceCap cap) const
{
    return PageLayoutCap(Writer->pageLayout(), Writer->resolution(), cap);
}

void Tpdfprinter::SetOrientation(uint8_t orientation)
{
    Writer->setPageOrientation(orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

uint8_t Tpdfprinter::GetOrientation() const
{
    return Writer->pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
}

void Tpdfprinter::SetTitle(const QString &title)
{
    Writer->setTitle(title);
}

void Tpdfprinter::BeginDoc()
{
    FCanvas.Bind(Writer.get());
    if (!FCanvas.IsBound())
        throw EPrinter(
            QStringLiteral("Cannot write the PDF file \"%1\".").arg(QDir::toNativeSeparators(Shown)));
    InJob = true;
}

void Tpdfprinter::NewPage()
{
    if (!InJob || !Writer->newPage())
        throw EPrinter(QStringLiteral("The printer could not start a new page."));
}

void Tpdfprinter::EndDoc()
{
    // Ending the painter writes the rest of the document.
    FCanvas.Unbind();
    InJob = false;
}

bool PrintSheetsToPdf(Tprintjob &job, const QString &path, const TPrintSettings &settings)
{
    QStringList inputs;
    if (const Tdrawlist *document = job.GetDocument()) {
        inputs << document->GetFileName();
        if (const tlabeltemplate *t = document->GetTemplate())
            inputs << t->GetFullPath();
    }
    Tpdfprinter printer(path, inputs);
    // The job goes back to its printer on every way out.
    const TScopeEnd restore([&job, previous = job.GetPrinter()] { job.SetPrinter(previous); });
    job.SetPrinter(&printer);
    if (!job.PrintSheets(settings))
        return false;
    printer.Commit();
    return true;
}
