#pragma once
// A PDF file as a printer, written so that it never destroys a file and never reports a failure
// as success: US Letter at 600 dots per inch, the whole page printable, in the orientation the
// job sets. The pages go to a temporary file beside the final one (".NAME.XXXXXX.part") through
// a device that sees every write error; Commit, once the job has ended, makes sure the whole
// document reached the disk (no write refused, flushed and synced, the file as large as what
// was written) and only then renames it over the final name.
//
//     Tpdfprinter printer(path, {projectFile, templateFile}); // may throw
//     Tprintjob job(&printer);
//     ...
//     if (job.PrintSheets(settings))
//         printer.Commit();                                   // may throw
//
// A printer destroyed without Commit (the job failed or was refused, an exception) removes its
// temporary file, and so does a process ended by SIGINT, SIGTERM or SIGHUP meanwhile; an
// earlier file of the final name keeps every byte. Writing through a symbolic link replaces
// the file it points to and leaves the link.

#include "editing/printer.h"
#include "platform/canvas.h"
#include "platform/errors.h"

#include <QString>
#include <QStringList>
#include <memory>

class QPdfWriter;
class QTemporaryFile;
class TRemovedOnSignal;

// The PDF may not go where it was asked to, before anything is written: the output is one of
// the files the job reads, or exists and is not a regular file (a FIFO, a device).
// "The output "x" is the label file itself." / "The output "x" is not a regular file."
class EOutputRefused : public EOSError {
public:
    using EOSError::EOSError;
    const char *ClassName() const override { return "EOutputRefused"; }
};

class Tpdfprinter : public Tprinter {
public:
    // The PDF file at path, which must not be any of inputs (the files the job reads: the label
    // project, its template). Raises EOutputRefused as above, and EOSError
    // ("Could not write "x": reason.") when path is a folder, its folder does not exist or the
    // temporary file cannot be made there.
    explicit Tpdfprinter(const QString &path, const QStringList &inputs = {});
    ~Tpdfprinter() override;
    Tpdfprinter(const Tpdfprinter &) = delete;
    Tpdfprinter &operator=(const Tpdfprinter &) = delete;

    // Ends the job if it is still running and puts the finished PDF in place of the final name
    // (with the permissions of the file it replaces, or of any new file). Raises EOSError
    // "Could not write "x": No space left on device." (the system's reason) when any of it was
    // not written; the temporary file is then removed and the earlier file stays as it was.
    // A printer makes one file: it is spent after Commit.
    void Commit();

    // Tprinter
    bool Available() const override { return true; }
    int32_t GetDeviceCaps(TDeviceCap cap) const override;
    bool Printing() const override { return InJob; }
    bool IsFirstPrinter() const override { return false; }
    void SetOrientation(uint8_t orientation) override;
    uint8_t GetOrientation() const override;
    void SetTitle(const QString &title) override;
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    Tcanvas &Canvas() override { return FCanvas; }

private:
    class TCheckedDevice;
    [[noreturn]] void Failed(const QString &reason) const;

    // The name as given, for messages, and the file that is replaced.
    QString Shown;
    QString Target;
    // Declared first, so that it is let go only after the temporary file is removed.
    std::unique_ptr<TRemovedOnSignal> Guard;
    std::unique_ptr<QTemporaryFile> Temporary;
    std::unique_ptr<TCheckedDevice> Device;
    std::unique_ptr<QPdfWriter> Writer;
    Tcanvas FCanvas;
    bool InJob = false;
};

class Tprintjob;
struct TPrintSettings;

// Prints the sheets settings names of the job into the PDF file at path, through a Tpdfprinter, exactly as
// the job would print them on its printer (which it prints on again afterwards). The project
// and its template are the inputs the file may not replace. True when the file was written;
// false when the job printed nothing (it said why). Raises what Tpdfprinter raises.
bool PrintSheetsToPdf(Tprintjob &job, const QString &path, const TPrintSettings &settings);
