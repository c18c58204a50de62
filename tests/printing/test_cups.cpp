// Printing through the desktop's real printing system: a private CUPS scheduler of the test's
// own (its own folders and socket; no system service is touched) with a cups-pdf queue. Two
// sheets with a nudge go through the printer back end; the PDF the queue writes is checked by
// its pages, its page size and where the labels' dark pixels sit.
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
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gmock/gmock.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString Cupsd = QStringLiteral("/usr/sbin/cupsd");
const QString CupsPdfPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
constexpr int StartTimeoutMs = 15000;
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

// A scheduler in a folder of its own, listening on a socket there only.
class TPrivateCups {
public:
    ~TPrivateCups()
    {
        if (Scheduler.state() != QProcess::NotRunning) {
            Scheduler.terminate();
            if (!Scheduler.waitForFinished(10000)) {
                Scheduler.kill();
                Scheduler.waitForFinished();
            }
        }
    }

    // Starts the scheduler; empty, or why it could not start.
    QString Start()
    {
        if (!QFile::exists(Cupsd))
            return QStringLiteral("%1 is not installed (package cups)").arg(Cupsd);
        if (::geteuid() != 0)
            return QStringLiteral("the private cupsd and the cups-pdf backend need root");
        if (!Root.isValid())
            return QStringLiteral("no temporary folder");
        // The filters run as the lp user and read the spooled jobs below this folder.
        ::chmod(QFile::encodeName(Root.path()).constData(), 0755);
        for (const char *folder : {"spool", "cache", "state", "tmp", "log"})
            QDir(Root.path()).mkpath(QString::fromLatin1(folder));
        ::chmod(QFile::encodeName(Root.filePath(QStringLiteral("tmp"))).constData(), 01777);
        Socket = Root.filePath(QStringLiteral("cups.sock"));
        WriteFile(
            QStringLiteral("cupsd.conf"),
            QStringLiteral("Listen %1\nLogLevel info\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                .arg(Socket));
        WriteFile(QStringLiteral("cups-files.conf"),
                  QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
                                 "TempDir %1/tmp\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                 "PageLog %1/log/page_log\nSandboxing Relaxed\n")
                      .arg(Root.path()));
        Scheduler.setProcessChannelMode(QProcess::MergedChannels);
        Scheduler.start(Cupsd, {QStringLiteral("-f"), QStringLiteral("-c"),
                                Root.filePath(QStringLiteral("cupsd.conf")), QStringLiteral("-s"),
                                Root.filePath(QStringLiteral("cups-files.conf"))});
        if (!Scheduler.waitForStarted(StartTimeoutMs))
            return QStringLiteral("cupsd did not start: %1").arg(Scheduler.errorString());
        const bool running = WaitFor(
            [&] {
                return Scheduler.state() == QProcess::Running &&
                       Client(QStringLiteral("lpstat"), {QStringLiteral("-r")})
                           .Out.contains(QStringLiteral("is running"));
            },
            StartTimeoutMs);
        if (!running)
            return QStringLiteral("cupsd is not answering on %1: %2 %3")
                .arg(Socket, QString::fromLocal8Bit(Scheduler.readAll()), Log());
        return {};
    }

    // A CUPS command run against this scheduler.
    TRun Client(const QString &program, const QStringList &args) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CUPS_SERVER"), Socket);
        return RunProgram(program, args, QString(), 30000, environment);
    }

    QString Log() const
    {
        QFile log(Root.filePath(QStringLiteral("log/error_log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(2000)) : QString();
    }

    QString Socket;

private:
    void WriteFile(const QString &name, const QString &text)
    {
        QFile file(Root.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text.toLocal8Bit());
    }

    QTemporaryDir Root;
    QProcess Scheduler;
};

// Where cups-pdf puts a user's files: its configuration's "Out" (Debian's is ${HOME}/PDF).
QString CupsPdfFolder()
{
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly)) {
        const QRegularExpression line(QStringLiteral("^Out\\s+(\\S+)\\s*$"),
                                      QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = line.match(QString::fromLocal8Bit(conf.readAll()));
        if (match.hasMatch())
            out = match.captured(1);
    }
    const passwd *user = ::getpwuid(::geteuid());
    if (user) {
        out.replace(QStringLiteral("${HOME}"), QString::fromLocal8Bit(user->pw_dir));
        out.replace(QStringLiteral("${USER}"), QString::fromLocal8Bit(user->pw_name));
    }
    return out;
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
    const QString why = cups.Start();
    ASSERT_TRUE(why.isEmpty()) << "The private CUPS scheduler could not start, so printing cannot be tested: "
                               << why.toStdString();
    qputenv("CUPS_SERVER", cups.Socket.toLocal8Bit());
    const QString queue = QStringLiteral("ambrelo-test-%1").arg(::getpid());
    const TRun added = cups.Client(QStringLiteral("lpadmin"),
                                   {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                                    QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), CupsPdfPpd});
    ASSERT_EQ(added.Code, 0) << "lpadmin: " << added.Err.toStdString() << cups.Log().toStdString();

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
    job.NudgeX = 16; // a quarter inch right
    job.NudgeY = 8;  // an eighth down
    ASSERT_TRUE(job.PrintSheets(2));

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
