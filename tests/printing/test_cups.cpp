// Printing through the desktop's real printing system: a private CUPS scheduler of the test's
// own (its own folders and socket; no system service is touched; privatecups.sh, which the
// end-to-end tests share, starts it) with a cups-pdf queue. Two sheets with a nudge go through the printer
// back end; the PDF the queue writes is checked by its pages, its page size and where the labels' dark pixels
// sit.
//
// This file's tests run first in the program: the CUPS client library reads CUPS_SERVER once,
// when the first printer is looked up.

#include "printingtestsupport.h"
#include "printtestsupport.h"

#include "editing/printjob.h"
#include "printing/qtprinter.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gmock/gmock.h>
#include <unistd.h>

namespace {
constexpr int JobTimeoutMs = 90000;
constexpr int PollMs = 100;

// Polls condition until it holds or timeoutMs have passed.
template <class Condition> bool WaitFor(Condition condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(PollMs);
    }
    return true;
}

// The scheduler and its queue, as the shell script the end-to-end tests share starts them.
TRun PrivateCups(const QStringList &args)
{
    return RunProgram(QStringLiteral("bash"), QStringList{QStringLiteral(PRIVATE_CUPS_SCRIPT)} + args);
}

// A scheduler in a folder of its own, listening on a socket there only, with one cups-pdf queue.
class TPrivateCups {
public:
    ~TPrivateCups()
    {
        if (!Socket.isEmpty())
            PrivateCups({QStringLiteral("stop"), Root.path()});
    }

    // Starts the scheduler with the queue; empty, or why it could not start.
    QString Start(const QString &queue)
    {
        if (!Root.isValid())
            return QStringLiteral("no temporary folder");
        const TRun run = PrivateCups({QStringLiteral("start"), Root.path(), queue});
        if (run.Failed || run.Code != 0)
            return run.Err.trimmed();
        Socket = run.Out.trimmed();
        return {};
    }

    // A CUPS command run against this scheduler.
    TRun Client(const QString &program, const QStringList &args) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CUPS_SERVER"), Socket);
        return RunProgram(program, args, QString(), 30000, environment);
    }

    QString Log() const { return PrivateCups({QStringLiteral("log"), Root.path()}).Out; }

    QString Socket;

private:
    QTemporaryDir Root;
};

// Where cups-pdf puts this user's files.
QString CupsPdfFolder()
{
    return PrivateCups({QStringLiteral("outfolder")}).Out.trimmed();
}

// The file of the job whose title holds token, or empty.
QString FindOutput(const QString &folder, const QString &token)
{
    for (const QString &name : QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files))
        if (name.contains(token))
            return QDir(folder).filePath(name);
    return {};
}
} // namespace

TEST(CupsPrinting, TwoNudgedSheetsThroughACupsPdfQueue)
{
    TPrivateCups cups;
    const QString queue = QStringLiteral("ambrelo-test-%1").arg(::getpid());
    const QString why = cups.Start(queue);
    ASSERT_TRUE(why.isEmpty()) << "The private CUPS scheduler could not start, so printing cannot be tested: "
                               << why.toStdString();
    qputenv("CUPS_SERVER", cups.Socket.toLocal8Bit());

    // The label's title names the file the queue writes.
    const QString token =
        QStringLiteral("cupstest%1x%2").arg(::getpid()).arg(QDateTime::currentMSecsSinceEpoch());
    TTestSheet sheet;
    sheet.Project.Title = token;
    sheet.Template.Geometry.GetSpot(0)->Marked = true;
    sheet.Template.Geometry.GetSpot(2)->Marked = true;
    Tqtprinter printer;
    ASSERT_TRUE(printer.SelectPrinter(queue)) << "Qt does not see the queue " << queue.toStdString();
    ASSERT_TRUE(printer.Available());
    Tprintjob job(&printer);
    job.SetDocument(&sheet.Project);
    TPrintSettings settings = MarkedSettings(sheet, 2);
    settings.NudgeX = 16; // a quarter inch right
    settings.NudgeY = 8;  // an eighth down
    ASSERT_TRUE(job.PrintSheets(settings));

    const QString folder = CupsPdfFolder();
    QString pdf;
    const bool done = WaitFor(
        [&] {
            pdf = FindOutput(folder, token);
            return !pdf.isEmpty() && cups.Client(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue})
                                         .Out.trimmed()
                                         .isEmpty();
        },
        JobTimeoutMs);
    ASSERT_TRUE(done) << "no PDF with " << token.toStdString() << " in " << folder.toStdString() << "\n"
                      << cups.Log().toStdString();
    struct TRemove {
        QString Path;
        ~TRemove() { QFile::remove(Path); }
    } remove{pdf};

    EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Pages")), "2");
    EXPECT_THAT(PdfInfo(pdf, QStringLiteral("Page size")).toStdString(),
                testing::StartsWith("612 x 792 pts"));
    for (int page = 1; page <= 2; ++page) {
        SCOPED_TRACE(page);
        const QImage image = RenderPage(pdf, page, 100);
        ASSERT_EQ(image.size(), QSize(850, 1100));
        // Spot 1 at (0.5, 1) inch and spot 3 at (0.5, 4), a quarter inch right, an eighth down.
        for (const int top : {100, 400}) {
            EXPECT_NEAR(FirstDark(image, 50, top + 12 + 25, 1, 0), 75, 2) << top;
            EXPECT_NEAR(FirstDark(image, 175, top - 20, 0, 1), top + 12, 2) << top;
        }
        // Spot 2 was not chosen.
        EXPECT_FALSE(IsDark(image, 500, 137));
    }
}
