// The thumbnailer as a file manager runs it: the command of its entry with the size, the file
// and the output put in, the exit code, and the picture it leaves, or none.

#include "codecs/png.h"
#include "common/testsupport.h"
#include "document/labeltemplate.h"
#include "document/shape.h"
#include "settings/filetypes.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs the entry's command as a file manager does: the field codes are put in after the
// command line is split, so blanks in the paths stay inside their arguments. The test's paths
// need no escapes, so the entry is read line by line.
int RunAsFileManager(const QStringList &fields)
{
    const QString entry = QString::fromUtf8(ThumbnailerEntry(QStringLiteral(AMBRELO_THUMBNAILER)));
    const QString exec = entry.section(QStringLiteral("\nExec="), 1).section(QLatin1Char('\n'), 0, 0);
    QStringList words = QProcess::splitCommand(exec);
    for (QString &word : words) {
        const int field =
            QStringList{QStringLiteral("%s"), QStringLiteral("%i"), QStringLiteral("%o")}.indexOf(word);
        if (field >= 0)
            word = fields.value(field);
    }
    QProcess process;
    process.start(words.takeFirst(), words);
    EXPECT_TRUE(process.waitForFinished(60000));
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A label of the given size filled with one colour, as a project or a template saves it.
QByteArray Saved(Tdrawlist &&document, double width, double height, TColor colour)
{
    SetUpLabel(document, width, height);
    auto shape = std::make_unique<Tvnlshape>();
    shape->SetBounds({100000, 100000, 100000 + int32_t(width * 1000), 100000 + int32_t(height * 1000)});
    shape->SetShapeStyle(TShapeStyle::Rectangle);
    shape->SetDrawFill(true);
    shape->Brush.SetColor(colour);
    document.AddObject(std::move(shape));
    return Saved(document);
}

// A version 2 project header around the given thumbnail bytes and length.
QByteArray WithThumbnail(const QByteArray &png, int32_t length)
{
    const QByteArray noText = Int32Bytes(0);
    return Int32Bytes(2) + QByteArray("vnlabel_v1", 10) + QByteArray(1, '\0') + Int32Bytes(length) + png +
           noText + noText + noText + QByteArray(1, char(255));
}

QByteArray Flipped(QByteArray bytes, int offset)
{
    bytes[offset] = char(bytes[offset] ^ 0x5A);
    return bytes;
}

// Runs the thumbnailer with the arguments; the exit code, and standard error in err.
int RunThumbnailer(const QStringList &args, QString *err = nullptr)
{
    QProcess process;
    process.start(QStringLiteral(AMBRELO_THUMBNAILER), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    if (err)
        *err = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct TFiles {
    QTemporaryDir Dir;
    QString Input = Dir.filePath(QStringLiteral("Ch\u00e2teau Rouge 2019.wlp"));
    QString Output = Dir.filePath(QStringLiteral("thumb nail.png"));
    explicit TFiles(const QByteArray &content)
    {
        QFile file(Input);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
};

} // namespace

TEST(Thumbnailer, WritesTheHeadersThumbnailAtTheSizeAskedFor)
{
    struct Case {
        const char *What;
        QByteArray File;
        int Size;
        QSize Expected;
        TColor Centre;
    };
    const Case cases[] = {
        {"a project at the normal size", Saved(Tdrawlist(), 4, 2, clRed), 128, {128, 64}, clRed},
        {"a tall template at the large size", Saved(tlabeltemplate(), 2, 4, clBlue), 256, {128, 256}, clBlue},
        {"a single pixel", Saved(Tdrawlist(), 4, 2, clRed), 1, {1, 1}, clRed},
        {"a project of version 3 (one that holds a code)",
         QByteArray(Saved(Tdrawlist(), 4, 2, clRed)).replace(0, 4, Int32Bytes(3)),
         128,
         {128, 64},
         clRed},
    };
    for (const Case &c : cases) {
        TFiles files(c.File);
        EXPECT_EQ(RunAsFileManager({QString::number(c.Size), files.Input, files.Output}), 0) << c.What;
        QFile written(files.Output);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << c.What;
        const QImage image = DecodePng(written.readAll());
        EXPECT_EQ(image.size(), c.Expected) << c.What;
        const TColor centre = PixelAt(image, image.width() / 2, image.height() / 2);
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int(centre >> shift & 0xFF), int(c.Centre >> shift & 0xFF), 16) << c.What;
    }
}

TEST(Thumbnailer, EachFailureHasItsCodeAndLeavesNoOutput)
{
    const QByteArray project = Saved(Tdrawlist(), 4, 2, clRed);
    const int32_t length = qFromLittleEndian<int32_t>(project.constData() + 15);
    const QByteArray wide = EncodePng(QImage(20000, 1, QImage::Format_RGB32));
    // The thumbnail starts after the version, the signature, a byte and its length.
    constexpr int Thumbnail = 19;
    struct Case {
        const char *What;
        QByteArray File;
        QStringList Fields; // size, input, output; empty ones are the test's files
        int Exit;
    };
    const Case cases[] = {
        {"cut inside the thumbnail", project.left(Thumbnail + length / 2), {}, 1},
        {"a damaged byte in the picture's data", Flipped(project, Thumbnail + 50), {}, 1},
        {"a signature that is not ours", Flipped(project, 5), {}, 1},
        {"a PNG picture with our extension", EncodePng(QImage(8, 8, QImage::Format_RGB32)), {}, 1},
        {"an empty file", QByteArray(), {}, 1},
        {"a version 0 file, which keeps no thumbnail in its header",
         Int32Bytes(0) + QByteArray("vnlabel_v1", 10) + QByteArray(1, '\0') + Int32Bytes(0) +
             QByteArray(1, char(255)),
         {},
         1},
        {"a version newer than the program's", QByteArray(project).replace(0, 4, Int32Bytes(4)), {}, 1},
        {"a thumbnail length far beyond the file", WithThumbnail(QByteArray(40, 'x'), 0x7fffffff), {}, 1},
        {"a thumbnail 20000 pixels wide", WithThumbnail(wide, int32_t(wide.size())), {}, 1},
        {"a file that is not there", project, {{}, QStringLiteral("/nonexistent/label.wlp")}, 1},
        {"an output folder that is not there", project, {{}, {}, QStringLiteral("/nonexistent/t.png")}, 3},
        {"a size of 0", project, {QStringLiteral("0")}, 2},
        {"a size that is no number", project, {QStringLiteral("large")}, 2},
    };
    for (const Case &c : cases) {
        TFiles files(c.File);
        QStringList fields{QStringLiteral("128"), files.Input, files.Output};
        for (int i = 0; i < c.Fields.size(); ++i)
            if (!c.Fields[i].isEmpty())
                fields[i] = c.Fields[i];
        EXPECT_EQ(RunAsFileManager(fields), c.Exit) << c.What;
        EXPECT_FALSE(QFileInfo::exists(files.Output)) << c.What;
        EXPECT_EQ(QDir(files.Dir.path()).count(), 3u) << c.What << ": nothing left beside the output";
    }
}

TEST(Thumbnailer, AFileGivenAsAUriIsRead)
{
    TFiles files(Saved(Tdrawlist(), 4, 2, clRed));
    EXPECT_EQ(RunAsFileManager({QStringLiteral("64"),
                                QUrl::fromLocalFile(files.Input).toString(QUrl::FullyEncoded), files.Output}),
              0);
    EXPECT_TRUE(QFileInfo::exists(files.Output));
}

TEST(Thumbnailer, RefusesOutputsThatWouldDestroyAFileAndASecondSizeAndWritesThroughALink)
{
    TFiles files(Saved(Tdrawlist(), 4, 2, clRed));
    const QByteArray project = Contents(files.Input);
    const QString hardLink = files.Dir.filePath(QStringLiteral("hard.wlp"));
    const QString fifo = files.Dir.filePath(QStringLiteral("fifo.png"));
    ASSERT_EQ(::link(QFile::encodeName(files.Input).constData(), QFile::encodeName(hardLink).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QString err;
    EXPECT_EQ(RunThumbnailer({files.Input, files.Input}, &err), 2);
    EXPECT_EQ(err, QStringLiteral("ambrelo-thumbnailer: The output \"%1\" is the label file itself.\n")
                       .arg(files.Input));
    for (const QString &output : {hardLink, fifo, QStringLiteral("/dev/full")})
        EXPECT_EQ(RunThumbnailer({files.Input, output}), 2) << output.toStdString();
    EXPECT_EQ(Contents(files.Input), project);
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_EQ(RunThumbnailer({QStringLiteral("-s"), QStringLiteral("64"), QStringLiteral("-s"),
                              QStringLiteral("128"), files.Input, files.Output}),
              2);
    EXPECT_FALSE(QFileInfo::exists(files.Output));
    // A link stays, and the file it names becomes the thumbnail.
    ASSERT_EQ(::symlink("thumb.png", QFile::encodeName(files.Output).constData()), 0);
    EXPECT_EQ(RunThumbnailer({files.Input, files.Output}), 0);
    EXPECT_TRUE(QFileInfo(files.Output).isSymLink());
    EXPECT_EQ(DecodePng(Contents(files.Dir.filePath(QStringLiteral("thumb.png")))).size(), QSize(128, 64));
}
