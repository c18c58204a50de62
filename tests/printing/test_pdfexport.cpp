// The PDF export from the command line, through the program itself without a display: the
// pages, their size, where the labels land, the text, and every bad input.

#include "printingtestsupport.h"
#include "printtestsupport.h"

#include "document/code.h"
#include "document/globals.h"
#include "document/picture.h"
#include "document/text.h"
#include "editing/pdfexportargs.h"
#include "editing/rulerpage.h"
#include "printing/pdfprinter.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int RenderDpi = 100;

// The program's environment without any display.
QProcessEnvironment NoDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

TRun Export(const QString &folder, const QStringList &args)
{
    return RunProgram(ProgramPath(), QStringList{QStringLiteral("--export-pdf")} + args, folder, 120000,
                      NoDisplay());
}

class PdfExport : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Folder.isValid());
        Files = WriteSheetFiles(Folder.path());
        Output = Folder.filePath(QStringLiteral("out.pdf"));
    }
    // The folder's files other than the inputs: what an export left behind.
    QStringList LeftBehind() const
    {
        QStringList names = QDir(Folder.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral("sheet.wlt"));
        names.removeAll(QStringLiteral("label.wlp"));
        names.removeAll(QStringLiteral("bad.wlp"));
        names.removeAll(QStringLiteral("bad.wlt"));
        names.removeAll(QStringLiteral("empty.wlp"));
        names.removeAll(QStringLiteral("checked.wlp"));
        return names;
    }

    QTemporaryDir Folder;
    TSheetFiles Files;
    QString Output;
};

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteContents(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

const QByteArray Yesterday = "the PDF of yesterday";

// The box's top-left near where (x, y) inches put it, in pixels at RenderDpi.
TPoint BoxCorner(const QImage &page, double x, double y)
{
    const int px = int(x * RenderDpi);
    const int py = int(y * RenderDpi);
    return {FirstDark(page, px - 20, py + 25, 1, 0), FirstDark(page, px + 100, py - 20, 0, 1)};
}
} // namespace

TEST_F(PdfExport, WritesTheChosenSpotsOfEverySheetNudged)
{
    const TRun run = Export(Folder.path(), {Output, QStringLiteral("--sheets"), QStringLiteral("2"),
                                            QStringLiteral("--nudge"), QStringLiteral("16,-8"),
                                            QStringLiteral("--spots"), QStringLiteral("1,3"), Files.Project});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
    EXPECT_EQ(PdfInfo(Output, QStringLiteral("Pages")), "2");
    EXPECT_THAT(PdfInfo(Output, QStringLiteral("Page size")).toStdString(),
                testing::StartsWith("612 x 792 pts"));
    for (int page = 1; page <= 2; ++page) {
        SCOPED_TRACE(page);
        const QImage image = RenderPage(Output, page, RenderDpi);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(850, 1100));
        // A quarter inch right and an eighth up: spot 1 from (0.75, 0.875) inch, spot 3 from
        // (0.75, 3.875); spot 2 is not printed.
        const TPoint first = BoxCorner(image, 0.75, 0.875);
        EXPECT_NEAR(first.X, 75, 1);
        EXPECT_NEAR(first.Y, 88, 1);
        const TPoint third = BoxCorner(image, 0.75, 3.875);
        EXPECT_NEAR(third.X, 75, 1);
        EXPECT_NEAR(third.Y, 388, 1);
        EXPECT_FALSE(IsDark(image, 500, 110));
    }
    const TRun text = RunProgram(QStringLiteral("pdftotext"), {Output, QStringLiteral("-")});
    ASSERT_EQ(text.Code, 0) << text.Err.toStdString();
    EXPECT_EQ(text.Out.count(LabelWords), 4);
    EXPECT_TRUE(LeftBehind() == QStringList{QStringLiteral("out.pdf")})
        << LeftBehind().join(' ').toStdString();
}

TEST_F(PdfExport, TakesTheTemplateGivenAndItsOrientation)
{
    QTemporaryDir other;
    const TSheetFiles landscape = WriteSheetFiles(other.path(), 1);
    const TRun run = Export(Folder.path(), {Output, Files.Project, landscape.Template});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(PdfInfo(Output, QStringLiteral("Pages")), "1");
    EXPECT_THAT(PdfInfo(Output, QStringLiteral("Page size")).toStdString(),
                testing::StartsWith("792 x 612 pts"));
    const QImage image = RenderPage(Output, 1, RenderDpi);
    ASSERT_EQ(image.size(), QSize(1100, 850));
    // Every spot prints when none is listed.
    for (const TPoint &spot : {TPoint{50, 100}, TPoint{400, 100}, TPoint{50, 400}})
        EXPECT_TRUE(IsDark(image, spot.X + 100, spot.Y + 25)) << spot.X << "," << spot.Y;
}

TEST_F(PdfExport, BadInputSaysWhatIsWrongOnOneLineAndWritesNothing)
{
    QFile::copy(Files.Project, Folder.filePath(QStringLiteral("bad.wlp")));
    {
        QFile bad(Folder.filePath(QStringLiteral("bad.wlp")));
        ASSERT_TRUE(bad.open(QIODevice::ReadWrite));
        bad.seek(2);
        bad.write("garbage!");
    }
    {
        QFile bad(Folder.filePath(QStringLiteral("bad.wlt")));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("this is no template at all");
        QFile empty(Folder.filePath(QStringLiteral("empty.wlp")));
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    }
    QTemporaryDir moved;
    const TSheetFiles orphan = WriteSheetFiles(moved.path());
    QFile::remove(orphan.Template);

    struct Case {
        const char *Name;
        QStringList Args;
        const char *Says;
        int Code;
    };
    const QString missingFolder = Folder.filePath(QStringLiteral("no/such/folder/out.pdf"));
    const Case cases[] = {
        {"missing project", {Output, QStringLiteral("nothere.wlp")}, "does not exist", 1},
        {"damaged project", {Output, QStringLiteral("bad.wlp"), Files.Template}, "bad.wlp", 1},
        {"empty project", {Output, QStringLiteral("empty.wlp"), Files.Template}, "empty", 1},
        {"damaged template", {Output, Files.Project, QStringLiteral("bad.wlt")}, "bad.wlt", 1},
        {"template not found", {Output, orphan.Project}, "could not be found", 1},
        {"spot out of range",
         {Output, QStringLiteral("--spots"), QStringLiteral("2,4"), Files.Project},
         "spot 4",
         1},
        {"no sheets",
         {Output, QStringLiteral("--sheets"), QStringLiteral("0"), Files.Project},
         "--sheets",
         2},
        {"absurd sheets",
         {Output, QStringLiteral("--sheets"), QStringLiteral("1000000"), Files.Project},
         "--sheets",
         2},
        {"nudge too far",
         {Output, QStringLiteral("--nudge"), QStringLiteral("0,20"), Files.Project},
         "--nudge",
         2},
        {"nudge of one", {Output, QStringLiteral("--nudge=3"), Files.Project}, "\"3\"", 2},
        {"spots not numbers",
         {Output, QStringLiteral("--spots"), QStringLiteral("1,,x"), Files.Project},
         "--spots",
         2},
        {"unknown option", {Output, QStringLiteral("--colour"), Files.Project}, "--colour", 2},
        {"no project", {Output}, "no label project", 2},
        {"too many files", {Output, Files.Project, Files.Template, QStringLiteral("x.wlt")}, "too many", 2},
        {"output folder missing", {missingFolder, Files.Project}, "does not exist", 1},
        {"output is a folder", {Folder.path(), Files.Project}, "is a folder", 1},
        {"a project is a folder", {Output, Folder.path()}, "is not a file", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        const TRun run = Export(Folder.path(), c.Args);
        EXPECT_FALSE(run.Failed) << run.Err.toStdString();
        EXPECT_EQ(run.Code, c.Code) << run.Err.toStdString();
        EXPECT_THAT(run.Err.toStdString(), testing::HasSubstr(c.Says));
        EXPECT_EQ(run.Err.count(QLatin1Char('\n')), 1) << run.Err.toStdString();
        EXPECT_TRUE(LeftBehind().isEmpty()) << LeftBehind().join(' ').toStdString();
    }
}

TEST_F(PdfExport, AFailedExportLeavesAnEarlierFileAsItWas)
{
    {
        QFile old(Output);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the PDF of yesterday");
    }
    const TRun run =
        Export(Folder.path(), {Output, QStringLiteral("--spots"), QStringLiteral("9"), Files.Project});
    EXPECT_EQ(run.Code, 1);
    QFile old(Output);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "the PDF of yesterday");
}

TEST_F(PdfExport, AFullDiskFailsAndLeavesTheEarlierFileByteForByte)
{
    TSmallFileSystem small(Folder.filePath(QStringLiteral("small")), 64);
    if (small.Root.isEmpty())
        GTEST_SKIP() << "No small file system: " << small.Why.toStdString();
    const QString earlier = small.Root + QStringLiteral("/out.pdf");
    WriteContents(earlier, Yesterday);
    // One free page: less than ten sheets with their font need.
    WriteContents(small.Root + QStringLiteral("/filler"), QByteArray(56 * 1024, 'x'));
    const TRun run =
        Export(Folder.path(), {earlier, QStringLiteral("--sheets"), QStringLiteral("10"), Files.Project});
    EXPECT_EQ(run.Code, 1);
    EXPECT_EQ(run.Err.toStdString(),
              QStringLiteral("ambrelo: Could not write \"%1\": No space left on device.\n")
                  .arg(earlier)
                  .toStdString());
    EXPECT_EQ(Contents(earlier), Yesterday);
    EXPECT_EQ(QDir(small.Root).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("filler"), QStringLiteral("out.pdf")}));
}

TEST_F(PdfExport, AnExportEndedBySignalLeavesNoTemporaryFile)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        WriteContents(Output, Yesterday);
        QProcess process;
        process.setWorkingDirectory(Folder.path());
        process.setProcessEnvironment(NoDisplay());
        process.start(ProgramPath(), {QStringLiteral("--export-pdf"), Output, QStringLiteral("--sheets"),
                                      QString::number(MaxExportSheets), Files.Project});
        // Stopped once pages reach the temporary file.
        const QDeadlineTimer deadline(120000);
        const auto writing = [this] {
            const QFileInfoList parts =
                QDir(Folder.path())
                    .entryInfoList({QStringLiteral(".out.pdf.*.part")}, QDir::Files | QDir::Hidden);
            return !parts.isEmpty() && parts[0].size() > 0;
        };
        while (!writing() && process.state() != QProcess::NotRunning && !deadline.hasExpired())
            QThread::msleep(5);
        ASSERT_TRUE(writing()) << "the export ended before it could be stopped";
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(LeftBehind(), QStringList{QStringLiteral("out.pdf")});
        EXPECT_EQ(Contents(Output), Yesterday);
    }
}

TEST_F(PdfExport, RefusesAnOutputThatIsAnInputOrNotARegularFileAndWritesThroughALink)
{
    const QString hardLink = Folder.filePath(QStringLiteral("hard.wlp"));
    const QString fifo = Folder.filePath(QStringLiteral("fifo.pdf"));
    ASSERT_EQ(::link(QFile::encodeName(Files.Project).constData(), QFile::encodeName(hardLink).constData()),
              0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QByteArray project = Contents(Files.Project);
    const QByteArray sheet = Contents(Files.Template);
    struct Case {
        QString Output;
        QStringList Inputs;
        const char *Is;
    };
    const Case cases[] = {
        {Files.Project, {Files.Project}, "the label file itself"},
        {Files.Template, {Files.Project, Files.Template}, "the label file itself"},
        {Files.Template, {Files.Project}, "the label file itself"}, // the template the project names
        {hardLink, {Files.Project}, "the label file itself"},
        {fifo, {Files.Project}, "not a regular file"},
        {QStringLiteral("/dev/full"), {Files.Project}, "not a regular file"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Output.toStdString());
        const TRun run = Export(Folder.path(), QStringList{c.Output} + c.Inputs);
        EXPECT_EQ(run.Code, 2);
        EXPECT_EQ(run.Err.toStdString(), QStringLiteral("ambrelo: The output \"%1\" is %2.\n")
                                             .arg(c.Output, QLatin1String(c.Is))
                                             .toStdString());
        EXPECT_EQ(Contents(Files.Project), project);
        EXPECT_EQ(Contents(Files.Template), sheet);
        EXPECT_FALSE(QFileInfo(fifo).isFile());
    }
    // A link stays, and the file it names becomes the PDF with the permissions it had.
    const QString target = Folder.filePath(QStringLiteral("target.pdf"));
    WriteContents(target, Yesterday);
    ::chmod(QFile::encodeName(target).constData(), 0640);
    ASSERT_EQ(::symlink("target.pdf", QFile::encodeName(Output).constData()), 0);
    ASSERT_EQ(Export(Folder.path(), {Output, Files.Project}).Code, 0);
    EXPECT_TRUE(QFileInfo(Output).isSymLink());
    EXPECT_TRUE(Contents(target).startsWith("%PDF"));
    struct stat info {};
    EXPECT_TRUE(::stat(QFile::encodeName(target).constData(), &info) == 0 && (info.st_mode & 0777) == 0640);
}

TEST_F(PdfExport, SpotsThatCannotPrintAreNamedAndWithoutOthersNothingIsWritten)
{
    const TSheetFiles files =
        WriteSheetFiles(Folder.path(), 0, [](Tlabelgeometrylist &spots) { spots.GetSpot(1)->SpotLeft = 20; });
    const TRun alone =
        Export(Folder.path(), {Output, QStringLiteral("--spots"), QStringLiteral("2"), files.Project});
    EXPECT_EQ(alone.Code, 1);
    EXPECT_EQ(alone.Err.toStdString(), "ambrelo: Spot 2 lies outside the 8.5 \u00d7 11 in page.\n");
    EXPECT_FALSE(QFileInfo::exists(Output));
    const TRun others = Export(Folder.path(), {Output, files.Project});
    EXPECT_EQ(others.Code, 0);
    EXPECT_EQ(others.Err.toStdString(), "ambrelo: warning: Spot 2 lies outside the 8.5 \u00d7 11 in page.\n");
    const QImage page = RenderPage(Output, 1, RenderDpi);
    ASSERT_FALSE(page.isNull());
    EXPECT_TRUE(IsDark(page, 75, 110));
    EXPECT_TRUE(IsDark(page, 75, 410));
}

TEST_F(PdfExport, ACodeThatCannotBeMadeIsLeftOutWithAWarning)
{
    // A QR code at the left of the label, an EAN-13 of five digits at its right, nothing else.
    TTestSheet sheet;
    sheet.Project.ClearObjects();
    const TPoint origin{sheet.Project.GetLabelRect().Left, sheet.Project.GetLabelRect().Top};
    auto good = std::make_unique<Tvnlcode>();
    good->SetData(QStringLiteral("https://www.fennbrook.example/"));
    good->SetBounds({origin.X + 100, origin.Y + 100, origin.X + 900, origin.Y + 900});
    sheet.Project.AddObject(std::move(good));
    auto bad = std::make_unique<Tvnlcode>();
    bad->SetSymbology(uint8_t(TSymbology::Ean13));
    bad->SetData(QStringLiteral("12345"));
    bad->SetBounds({origin.X + 1100, origin.Y + 100, origin.X + 1900, origin.Y + 900});
    sheet.Project.AddObject(std::move(bad));
    const QString project = Folder.filePath(QStringLiteral("codes.wlp"));
    sheet.Project.SaveToFile(project);

    const TRun run = Export(
        Folder.path(), {Output, QStringLiteral("--spots"), QStringLiteral("1"), project, Files.Template});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(
        run.Err.split(QLatin1Char('\n')).filter(QStringLiteral("warning")),
        QStringList{QStringLiteral("ambrelo: warning: object 2 of \"%1\" is left out: EAN-13 takes 12 or 13 "
                                   "digits; \"12345\" has 5")
                        .arg(project)});
    // Spot 1 lies at (0.5, 1) inch: the QR code prints, the bad code leaves its place empty.
    const QImage page = RenderPage(Output, 1, RenderDpi);
    const auto dark = [&](int left) {
        int n = 0;
        for (int y = 110; y < 190; ++y)
            for (int x = left; x < left + 80; ++x)
                n += qGray(page.pixel(x, y)) < 100 ? 1 : 0;
        return n;
    };
    EXPECT_GT(dark(60), 1500);
    EXPECT_EQ(dark(160), 0);
}

TEST_F(PdfExport, TheLabelIsCheckedFirstAndStrictTurnsWarningsIntoExitCodeThreeWithNothingWritten)
{
    // The test label with a coarse picture and an empty text box added (a file keeps no prompt of
    // its own: the box shows the default one).
    TTestSheet sheet;
    const TPoint origin{sheet.Project.GetLabelRect().Left, sheet.Project.GetLabelRect().Top};
    auto picture = std::make_unique<Tvnlpic>();
    QImage pixels(50, 50, QImage::Format_RGB32);
    pixels.fill(Qt::gray);
    picture->SetPicture(pixels);
    picture->Bounds = {origin.X + 1500, origin.Y + 500, origin.X + 2000, origin.Y + 1000};
    sheet.Project.AddObject(std::move(picture));
    auto prompt = std::make_unique<Tvnltext>();
    prompt->Bounds = {origin.X + 100, origin.Y + 100, origin.X + 900, origin.Y + 400};
    sheet.Project.AddObject(std::move(prompt));
    const QString project = Folder.filePath(QStringLiteral("checked.wlp"));
    sheet.Project.SaveToFile(project);
    const QStringList expected{
        QStringLiteral("ambrelo: warning: object 3 of \"%1\": A picture prints at 100 dots per inch at 0.50 "
                       "\u00d7 0.50 in, under 200: it will look coarse.")
            .arg(project),
        QStringLiteral("ambrelo: warning: object 4 of \"%1\": The prompt \"* Click here to add text *\" is "
                       "still empty: nothing "
                       "prints there.")
            .arg(project)};

    WriteContents(Output, Yesterday);
    const TRun strict = Export(Folder.path(), {Output, QStringLiteral("--strict"), project, Files.Template});
    EXPECT_EQ(strict.Code, 3);
    EXPECT_EQ(strict.Err.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
              expected +
                  QStringList{QStringLiteral("ambrelo: --strict: nothing was written, since 2 warnings are "
                                             "above")});
    EXPECT_EQ(Contents(Output), Yesterday);
    EXPECT_TRUE(LeftBehind() == QStringList{QStringLiteral("out.pdf")})
        << LeftBehind().join(' ').toStdString();

    const TRun loose = Export(Folder.path(), {Output, project, Files.Template});
    EXPECT_EQ(loose.Code, 0);
    EXPECT_EQ(loose.Err.toStdString(), (expected.join(QLatin1Char('\n')) + QLatin1Char('\n')).toStdString());
    EXPECT_NE(Contents(Output), Yesterday);
    // A label with nothing to say passes --strict.
    const TRun clean = Export(Folder.path(), {Output, QStringLiteral("--strict"), Files.Project});
    EXPECT_EQ(clean.Code, 0) << clean.Err.toStdString();
}

TEST_F(PdfExport, ScaleCorrectsAboutTheSheetsCornerAndKeepsToItsLimits)
{
    // +3 % across, -2 % down: spot 2 at (4, 1) inches lands at (4.12, 0.98), spot 1 at (0.515, 0.98).
    const TRun run = Export(Folder.path(), {Output, QStringLiteral("--scale"), QStringLiteral("3,-2"),
                                            QStringLiteral("--spots"), QStringLiteral("1,2"), Files.Project});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    const QImage page = RenderPage(Output, 1, RenderDpi);
    ASSERT_FALSE(page.isNull());
    const TPoint first = BoxCorner(page, 0.515, 0.98);
    EXPECT_NEAR(first.X, 51.5, 1);
    EXPECT_NEAR(first.Y, 98, 1);
    const TPoint second = BoxCorner(page, 4.12, 0.98);
    EXPECT_NEAR(second.X, 412, 1);
    EXPECT_NEAR(second.Y, 98, 1);

    WriteContents(Output, Yesterday);
    const TRun beyond =
        Export(Folder.path(), {Output, QStringLiteral("--scale"), QStringLiteral("3.05,0"), Files.Project});
    EXPECT_EQ(beyond.Code, 2);
    EXPECT_EQ(beyond.Err.toStdString(), "ambrelo: --scale takes X,Y in per cent, each from -3.00 to 3.00 in "
                                        "steps of 0.05, not \"3.05,0\"\n");
    EXPECT_EQ(Contents(Output), Yesterday);
}

TEST(RulerPagePdf, MarksLieEightAndTenInchesApartAt600DpiThroughTheCorrection)
{
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("ruler.pdf"));
    constexpr int Dpi = 600;
    // A whole page at 600 dpi is more than Qt reads by default.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(512);
    const auto restore = qScopeGuard([limit] { QImageReader::setAllocationLimit(limit); });
    for (const TCalibration &c : {TCalibration{}, TCalibration{0, 0, 100, -50}}) {
        SCOPED_TRACE(c.ScaleX);
        ASSERT_TRUE(PrintRulerPageToPdf(pdf, c));
        const QImage page = RenderPage(pdf, 1, Dpi);
        ASSERT_EQ(page.size(), QSize(5100, 6600));
        const std::vector<double> xs =
            DarkRunCentres(page, 0, int(MarkAcrossY * ScaleFactor(c.ScaleY) * Dpi), 1, 0);
        const std::vector<double> ys =
            DarkRunCentres(page, int(MarkDownX * ScaleFactor(c.ScaleX) * Dpi), 0, 0, 1);
        ASSERT_EQ(xs.size(), 2u);
        ASSERT_EQ(ys.size(), 2u);
        EXPECT_NEAR(xs[0], MarkLeft * ScaleFactor(c.ScaleX) * Dpi, 1.5);
        EXPECT_NEAR(xs[1] - xs[0], RulerAcross * ScaleFactor(c.ScaleX) * Dpi, 1.5);
        EXPECT_NEAR(ys[1] - ys[0], RulerDown * ScaleFactor(c.ScaleY) * Dpi, 1.5);
    }
    const TRun text = RunProgram(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_THAT(text.Out.simplified().toStdString(), testing::HasSubstr("Ruler page. With a good ruler"));
}

namespace {
// A sheet of thirty 2 x 1 inch spots in three columns of ten, whose label's text holds fields,
// saved as runs.wlt and runs.wlp in folder.
TSheetFiles WriteRunFiles(const QString &folder, const QString &text)
{
    TTestSheet sheet;
    sheet.Template.Geometry.Clear();
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 3; ++column)
            AddSpot(sheet.Template, 0.25 + column * 2.75, 0.5 + row, TestLabelWidth, TestLabelHeight);
    dynamic_cast<Tvnltext &>(*sheet.Project.GetObject(1)).SetText(text);
    const TSheetFiles files{QDir(folder).filePath(QStringLiteral("runs.wlt")),
                            QDir(folder).filePath(QStringLiteral("runs.wlp"))};
    sheet.Template.SaveToFile(files.Template);
    sheet.Project.SaveToFile(files.Project);
    return files;
}

QString PageText(const QString &pdf, int page)
{
    const QString number = QString::number(page);
    return RunProgram(QStringLiteral("pdftotext"),
                      {QStringLiteral("-f"), number, QStringLiteral("-l"), number, QStringLiteral("-layout"),
                       pdf, QStringLiteral("-")})
        .Out;
}
} // namespace

TEST_F(PdfExport, NinetyFiveRecordsOnThirtySpotsFillFourPagesInOrder)
{
    const TSheetFiles files = WriteRunFiles(Folder.path(), QStringLiteral("Lot ${lot} #${n:3}"));
    QByteArray table = "lot;grower\r\n";
    for (int i = 1; i <= 95; ++i)
        table += QStringLiteral("L%1;\"Grower \"\"%1\"\"\"\r\n").arg(i, 3, 10, QLatin1Char('0')).toUtf8();
    const QString csv = Folder.filePath(QStringLiteral("lots.csv"));
    WriteContents(csv, table);
    const TRun run =
        Export(Folder.path(), {Output, QStringLiteral("--data"), csv, files.Project, files.Template});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
    EXPECT_EQ(PdfInfo(Output, QStringLiteral("Pages")), "4");
    const QRegularExpression lot(QStringLiteral("Lot L(\\d{3}) #(\\d{3})"));
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE(page);
        QList<int> numbers;
        for (const QRegularExpressionMatch &m : lot.globalMatch(PageText(Output, page))) {
            EXPECT_EQ(m.captured(1), m.captured(2));
            numbers.append(m.captured(1).toInt());
        }
        std::sort(numbers.begin(), numbers.end());
        QList<int> expected;
        for (int n = (page - 1) * 30 + 1; n <= std::min(page * 30, 95); ++n)
            expected.append(n);
        EXPECT_EQ(numbers, expected);
    }
    // The last page: record 95 on its fifth spot (row 2, column 2), nothing after it.
    const QImage last = RenderPage(Output, 4, RenderDpi);
    ASSERT_FALSE(last.isNull());
    EXPECT_TRUE(IsDark(last, 300 + 100, 150 + 20));
    EXPECT_FALSE(IsDark(last, 575 + 100, 150 + 20));
    EXPECT_FALSE(IsDark(last, 25 + 100, 250 + 20));
}

TEST_F(PdfExport, RunsThatCannotPrintSayWhyAndWriteNothing)
{
    const TSheetFiles files = WriteRunFiles(Folder.path(), QStringLiteral("${lot} ${lott}"));
    const QString csv = Folder.filePath(QStringLiteral("lots.csv"));
    QByteArray table = "lot\n";
    for (int i = 1; i < 213; ++i)
        table += QByteArray::number(i) + "\n";
    WriteContents(csv, table + "\"unclosed\n");
    const TRun bad =
        Export(Folder.path(), {Output, QStringLiteral("--data"), csv, files.Project, files.Template});
    EXPECT_EQ(bad.Code, 1);
    EXPECT_EQ(bad.Err.toStdString(),
              QStringLiteral("ambrelo: cannot read the table \"%1\": line 214: a quote is not closed\n")
                  .arg(csv)
                  .toStdString());
    EXPECT_FALSE(QFileInfo::exists(Output));

    WriteContents(csv, table);
    const TRun unknown =
        Export(Folder.path(), {Output, QStringLiteral("--data"), csv, QStringLiteral("--first-spot"),
                               QStringLiteral("29"), files.Project, files.Template});
    ASSERT_EQ(unknown.Code, 0) << unknown.Err.toStdString();
    EXPECT_EQ(unknown.Err.toStdString(),
              QStringLiteral("ambrelo: warning: nothing fills ${lott} in \"%1\"; printed as written\n")
                  .arg(files.Project)
                  .toStdString());
    // 212 labels from spot 29: two on the first sheet, then 210 on seven more.
    EXPECT_EQ(PdfInfo(Output, QStringLiteral("Pages")), "8");
    EXPECT_THAT(PageText(Output, 1).toStdString(), testing::HasSubstr("2 ${lott}"));
}

TEST(CommandLineHelp, DescribesTheExport)
{
    const TRun run = RunProgram(ProgramPath(), {QStringLiteral("--help")});
    EXPECT_EQ(run.Code, 0);
    EXPECT_THAT(run.Out.toStdString(), testing::HasSubstr("--export-pdf OUT.pdf [--sheets N]"));
}
