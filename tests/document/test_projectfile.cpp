// Project files: bytes of every version, round trips of every object kind, the old origin,
// the template search, damaged and interrupted files, progress and the open dialog's preview.

#include "common/testsupport.h"
#include "filetestsupport.h"

#include "codecs/png.h"
#include "document/globals.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/canvas.h"
#include "platform/errors.h"
#include "platform/streams.h"
#include "platform/stringstream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <random>
#include <unistd.h>

namespace {

std::unique_ptr<Tvnlshape> Shape(const TRect &bounds, TColor fill = RGB(200, 30, 30))
{
    auto shape = std::make_unique<Tvnlshape>();
    shape->Bounds = bounds;
    shape->SetShapeStyle(TShapeStyle::Rectangle);
    shape->SetDrawFill(true);
    shape->Brush.SetColor(fill);
    return shape;
}

// The header a project of version 1 or 2 starts with, without a thumbnail.
QByteArray Header(int32_t version, const QByteArray &signature = "vnlabel_v1", const QByteArray &title = "",
                  const QByteArray &size = "4.00x3.50", const QByteArray &templateFile = "")
{
    return Int32Bytes(version) + signature + QByteArray(1, '\0') + Int32Bytes(0) + LString(title) +
           LString(size) + LString(templateFile);
}

QByteArray HeaderV0(const QByteArray &signature = "vnlabel_v1", const QByteArray &templateFile = "")
{
    return Int32Bytes(0) + signature + QByteArray(1, '\0') + LString(templateFile);
}

// A record with its object's serial number (bytes 11 to 14) blanked.
QByteArray WithoutId(QByteArray record)
{
    return record.replace(11, 4, QByteArray(4, '\0'));
}

const QString LoadFailed =
    QStringLiteral("Could not load file. The file may be corrupted or the wrong file type.");

// A device that takes a number of bytes, the last write perhaps in part as a filling disk
// does, and then refuses more with the system's reason, which it gives only for the refusal.
class TRefusingDevice : public QIODevice {
public:
    TRefusingDevice(qint64 room, const QString &reason) : Room(room), Reason(reason) { open(WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        if (Room == 0)
            setErrorString(Reason);
        const qint64 taken = std::min(size, Room);
        Room -= taken;
        return taken > 0 ? taken : -1;
    }

private:
    qint64 Room;
    QString Reason;
};

// A document whose saving fails half-way, as a full disk or a crash would stop it.
class TFailingDocument : public Tdrawlist {
public:
    void SaveToStream(QIODevice &stream) override
    {
        WriteBytes(stream, QByteArray(100, 'x'));
        throw EStreamError(QStringLiteral("Stream write error: No space left on device"));
    }
};

} // namespace

using ProjectFile = TFileTest;

TEST_F(ProjectFile, AnEmptyProjectIsItsHeaderAndTheEndMark)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    const QByteArray bytes = Saved(doc);
    const QByteArray thumbnail = doc.ThumbnailStream.data();
    ASSERT_GT(thumbnail.size(), 0);
    const QByteArray expected = Int32Bytes(2) + "vnlabel_v1" + QByteArray(1, '\0') +
                                Int32Bytes(static_cast<int32_t>(thumbnail.size())) + thumbnail + LString("") +
                                LString("4.00x3.50") + LString("") + QByteArray(1, char(255));
    EXPECT_EQ(bytes, expected);
    // The thumbnail is the label at ThumbnailWidth pixels wide.
    const QImage image = DecodePng(thumbnail);
    EXPECT_EQ(image.width(), DefaultThumbnailWidth);
    EXPECT_EQ(image.height(), 133);
}

TEST_F(ProjectFile, EveryObjectKindSurvivesARoundTrip)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.AddObject(Shape({100100, 100200, 101100, 101700}));
    auto line = std::make_unique<Tvnlline>();
    line->Bounds = {100300, 100300, 102000, 100400};
    doc.AddObject(std::move(line));
    auto text = std::make_unique<Tvnltext>();
    text->Bounds = {100500, 100500, 103000, 101000};
    text->SetText(QStringLiteral("Château Lafleur\r\nRéserve 2019 – 750 ml ❦"));
    doc.AddObject(std::move(text));
    auto picture = std::make_unique<Tvnlpic>();
    QImage image(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, y, qRgb(x * 6, y * 8, 90));
    picture->SetPicture(image);
    picture->Bounds = {101000, 101000, 102000, 101750};
    doc.AddObject(std::move(picture));
    auto symbol = std::make_unique<Tvnlsymbol>();
    symbol->Bounds = {102000, 102000, 102500, 102500};
    doc.AddObject(std::move(symbol));
    auto plain = std::make_unique<Tdrawobj>();
    plain->Bounds = {103000, 103000, 103500, 103200};
    doc.AddObject(std::move(plain));
    doc.Title = QStringLiteral("Cuvée ✓");

    doc.SaveToFile(Path(QStringLiteral("all.wlp")));
    Tdrawlist loaded;
    SetUpLabel(loaded);
    ASSERT_TRUE(loaded.LoadFromFile(Path(QStringLiteral("all.wlp"))));
    ASSERT_EQ(loaded.Count(), doc.Count());
    for (int32_t i = 0; i < doc.Count(); ++i) {
        EXPECT_EQ(loaded.GetObject(i)->GetTypeCode(), doc.GetObject(i)->GetTypeCode()) << i;
        // Records match but for the serial number, which every object takes anew.
        EXPECT_EQ(WithoutId(RecordOf(*loaded.GetObject(i))), WithoutId(RecordOf(*doc.GetObject(i)))) << i;
    }
    EXPECT_EQ(dynamic_cast<Tvnlpic *>(loaded.GetObject(3))->GetPicture().pixel(39, 29), image.pixel(39, 29));
    EXPECT_EQ(loaded.Title, doc.Title);
    EXPECT_EQ(loaded.SizeText, QStringLiteral("4.00x3.50"));
    EXPECT_EQ(loaded.FileVersion, 2);
    EXPECT_EQ(loaded.GetFileName(), Path(QStringLiteral("all.wlp")));
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_EQ(loaded.GetUndoList().Count(), 0);
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('\n').toStdString();
}

TEST_F(ProjectFile, SavingTwiceGivesTheSameBytes)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.AddObject(Shape({100100, 100100, 102000, 102000}));
    auto text = std::make_unique<Tvnltext>();
    text->Bounds = {100500, 100500, 103000, 101000};
    text->SetText(QStringLiteral("Pinot noir"));
    doc.AddObject(std::move(text));
    doc.SaveToFile(Path(QStringLiteral("a.wlp")));
    doc.SaveToFile(Path(QStringLiteral("b.wlp")));
    EXPECT_EQ(ReadWholeFile(Path(QStringLiteral("a.wlp"))), ReadWholeFile(Path(QStringLiteral("b.wlp"))));
}

TEST_F(ProjectFile, AVersionZeroFileLoadsUnderTheNewOrigin)
{
    Tdrawlist source;
    auto old = Shape({10500, 25000, 11500, 26000});
    auto stays = Shape({20000, 19999, 21000, 21000});
    const QByteArray bytes = HeaderV0() + Entry(*old) + Entry(*stays) + QByteArray(1, char(255));

    Tdrawlist doc;
    SetUpLabel(doc);
    doc.Title = QStringLiteral("from the file before");
    Load(doc, bytes);
    EXPECT_EQ(doc.FileVersion, 0);
    ASSERT_EQ(doc.Count(), 2);
    // Each coordinate moves on its own, the size kept.
    EXPECT_EQ(doc.GetObject(0)->Bounds, (TRect{100500, 25000, 101500, 26000}));
    EXPECT_EQ(doc.GetObject(1)->Bounds, (TRect{20000, 109999, 21000, 111000}));
    // A version 0 file has no title, size text or thumbnail of its own.
    EXPECT_TRUE(doc.Title.isEmpty());
    EXPECT_TRUE(doc.SizeText.isEmpty());
    EXPECT_EQ(doc.ThumbnailStream.size(), 0);
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(ProjectFile, TheReaderChecksVersionAndTheFirstEightSignatureBytes)
{
    auto shape = Shape({100100, 100100, 100900, 100900});
    const QByteArray objects = Entry(*shape) + QByteArray(1, char(255));
    {
        Tdrawlist doc;
        SetUpLabel(doc);
        Load(doc, Header(1, "vnlabel_xy", "Brut") + objects);
        EXPECT_EQ(doc.Count(), 1);
        EXPECT_EQ(doc.FileVersion, 1);
        EXPECT_EQ(doc.Title, QStringLiteral("Brut"));
        EXPECT_TRUE(Messages.isEmpty());
    }
    // Version 3 has the same header (its files hold codes); a newer one is refused with a message
    // of its own.
    for (const int32_t version : {3, 4}) {
        Messages.clear();
        Tdrawlist doc;
        SetUpLabel(doc);
        Load(doc, Header(version) + objects);
        EXPECT_EQ(doc.Count(), version == 3 ? 1 : 0);
        EXPECT_EQ(Messages, version == 3 ? QStringList{} : QStringList{NewerVersionMessage});
    }
    for (const QByteArray &bad :
         {Header(4, "vnlabeX_v1") + objects, Header(-1) + objects, Header(2, "vntempl_v1") + objects,
          HeaderV0("vnlabeX_v1") + objects, QByteArray("\x02\0\0", 3)}) {
        Messages.clear();
        Tdrawlist doc;
        SetUpLabel(doc);
        doc.AddObject(Shape({100100, 100100, 100900, 100900}));
        doc.SetModified(true);
        Load(doc, bad);
        EXPECT_EQ(doc.Count(), 0);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(Messages, QStringList{LoadFailed});
    }
}

TEST_F(ProjectFile, ATemplateFileIsNotAProjectButImportsAsATemplate)
{
    tlabeltemplate t;
    SetUpLabel(t);
    t.AddObject(Shape({100100, 100100, 100900, 100900}));
    t.SaveToFile(Path(QStringLiteral("stock.wlp")));

    Tdrawlist doc;
    SetUpLabel(doc);
    EXPECT_TRUE(doc.LoadFromFile(Path(QStringLiteral("stock.wlp"))));
    EXPECT_EQ(doc.Count(), 0);
    EXPECT_EQ(Messages, QStringList{LoadFailed});

    // A project file read as a template's own objects.
    Messages.clear();
    Tdrawlist project;
    SetUpLabel(project);
    project.AddObject(Shape({100200, 100200, 101000, 101000}));
    project.AddObject(Shape({101200, 100200, 102000, 101000}));
    project.SaveToFile(Path(QStringLiteral("label.wlp")));
    tlabeltemplate imported;
    SetUpLabel(imported);
    imported.LoadProjectAsTemplate(Path(QStringLiteral("label.wlp")));
    EXPECT_EQ(imported.Count(), 2);
    EXPECT_EQ(imported.Geometry.Count(), 0);
    EXPECT_EQ(imported.StarterObjects.Count(), 0);
    EXPECT_FALSE(imported.AsProject);
    EXPECT_TRUE(Messages.isEmpty());
    // A template file is then refused again.
    imported.LoadProjectAsTemplate(Path(QStringLiteral("stock.wlp")));
    EXPECT_FALSE(imported.AsProject);
    EXPECT_EQ(Messages, QStringList{LoadFailed});
}

TEST_F(ProjectFile, AnEmptyFileLoadsNothing)
{
    WriteWholeFile(Path(QStringLiteral("empty.wlp")), {});
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.AddObject(Shape({100100, 100100, 100900, 100900}));
    doc.Title = QStringLiteral("kept");
    EXPECT_FALSE(doc.LoadFromFile(Path(QStringLiteral("empty.wlp"))));
    EXPECT_EQ(doc.Count(), 1);
    EXPECT_EQ(doc.Title, QStringLiteral("kept"));
    EXPECT_EQ(doc.GetFileName(), Path(QStringLiteral("empty.wlp")));
    EXPECT_THROW(doc.LoadFromFile(Path(QStringLiteral("missing.wlp"))), EOSError);
}

TEST_F(ProjectFile, DamagedListsKeepTheObjectsBeforeTheDamageAndSaySo)
{
    auto a = Shape({100100, 100100, 100900, 100900});
    auto b = Shape({101100, 100100, 101900, 100900});
    const QByteArray damagedPicture = UnreadablePictureEntry();
    QByteArray lying = Entry(*a);
    lying.replace(1, 4, Int32Bytes(0x40000000));
    const QByteArray end(1, char(255));
    QByteArray longer = Entry(*a) + "more";
    longer.replace(1, 4, Int32Bytes(int32_t(longer.size() - 5)));
    // One message, which gives the picture's own reason.
    const QString pictureUnreadable =
        DamagedFile + QStringLiteral("\n\nThe picture in the file cannot be read. ");
    struct Case {
        const char *name;
        QByteArray list;
        int32_t count; // objects loaded
        QStringList messages;
    };
    const std::vector<Case> cases{
        {"whole", Entry(*a) + Entry(*b) + end, 2, {}},
        {"an unknown type code ends the list",
         Entry(*a) + QByteArray(1, char(9)) + Entry(*b) + end,
         1,
         {DamagedFile}},
        // The record takes the rest of the file and no more.
        {"a length beyond the file", Entry(*b) + lying + Entry(*b) + end, 2, {DamagedFile}},
        {"cut before the end mark", Entry(*a) + Entry(*b), 2, {DamagedFile}},
        {"cut inside a record", Entry(*a) + Entry(*b).chopped(9), 2, {DamagedFile}},
        // The frame around the damaged picture lets the objects on either side of it load.
        {"a picture that cannot be read",
         Entry(*a) + damagedPicture + Entry(*b) + end,
         2,
         {pictureUnreadable}},
        // The object keeps its defaults and the next entry is read where its record would start.
        {"a negative length", QByteArray(1, char(1)) + Int32Bytes(-5) + RecordOf(*b), 2, {DamagedFile}},
        {"bytes left unread at a record's end", longer + Entry(*b) + end, 2, {}},
        {"a shape record shorter than its fields",
         Entry(*a) + QByteArray(1, char(1)) + Int32Bytes(40) + RecordOf(*b).left(40) + end,
         2,
         {DamagedFile}},
    };
    for (const Case &c : cases) {
        Messages.clear();
        Tdrawlist doc;
        SetUpLabel(doc);
        Load(doc, Header(2) + c.list);
        EXPECT_EQ(doc.Count(), c.count) << c.name;
        ASSERT_EQ(Messages.size(), c.messages.size()) << c.name;
        for (qsizetype i = 0; i < Messages.size(); ++i)
            EXPECT_TRUE(Messages[i].startsWith(c.messages[i])) << c.name << ": " << Messages[i].toStdString();
        // Closing asks before the part that loaded replaces the file.
        EXPECT_EQ(doc.IsModified(), !c.messages.isEmpty()) << c.name;
        EXPECT_EQ(doc.LoadDamaged, !c.messages.isEmpty()) << c.name;
    }
    // From a file the warning names it.
    Messages.clear();
    WriteWholeFile(Path(QStringLiteral("Cellar.wlp")), Header(2) + Entry(*a) + lying);
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.LoadFromFile(Path(QStringLiteral("Cellar.wlp")));
    EXPECT_EQ(Messages, QStringList{QString(DamagedFile)
                                        .replace(QStringLiteral("The file"),
                                                 QStringLiteral("The file \"Cellar.wlp\""))});
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(ProjectFile, TextRecordsWhoseLengthsLieAreDamageAndKeepNoGarbage)
{
    // Seventeen objects, the first six texts; the sixth one's text length is 8 MiB in the one
    // file, 16 in the other.
    const std::pair<const char *, const char *> cases[] = {
        {"damaged-text-length-past-record.wlp", ""},
        {"damaged-text-length-short-of-text.wlp", "Domaine des Coll"},
    };
    for (const auto &[file, text] : cases) {
        Messages.clear();
        const QString path = Path(QString::fromLatin1(file));
        QFile::copy(QStringLiteral(AMBRELO_FUZZ_CORPUS "/project/") + QLatin1String(file), path);
        Tdrawlist doc;
        SetUpLabel(doc);
        doc.LoadFromFile(path);
        ASSERT_EQ(doc.Count(), 17) << file;
        const auto *last = dynamic_cast<const Tvnltext *>(doc.GetObject(5));
        ASSERT_NE(last, nullptr) << file;
        EXPECT_EQ(last->GetText(), text);
        EXPECT_EQ(last->Font.Name(), Tvnltext().Font.Name());
        EXPECT_EQ(Messages, QStringList{QString(DamagedFile)
                                            .replace(QStringLiteral("The file"),
                                                     QStringLiteral("The file \"%1\"").arg(file))});
        EXPECT_TRUE(doc.IsModified()) << file;
    }
}

TEST_F(ProjectFile, AFileCutAnywhereLoadsWhatItHolds)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.AddObject(Shape({100100, 100100, 100900, 100900}));
    auto text = std::make_unique<Tvnltext>();
    text->Bounds = {100500, 100500, 103000, 101000};
    text->SetText(QStringLiteral("Riesling Spätlese"));
    doc.AddObject(std::move(text));
    auto picture = std::make_unique<Tvnlpic>();
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    picture->SetPicture(image);
    picture->Bounds = {101000, 101000, 102000, 102000};
    doc.AddObject(std::move(picture));
    doc.Title = QStringLiteral("Spätlese");
    const QByteArray bytes = Saved(doc);

    // Version, signature, the ignored byte and the thumbnail's length.
    const qint64 headerEnd = 4 + 10 + 1 + 4;
    for (qint64 cut = 0; cut < bytes.size(); ++cut) {
        Messages.clear();
        Tdrawlist loaded;
        SetUpLabel(loaded);
        const int32_t end = Load(loaded, bytes.left(cut));
        EXPECT_LE(end, cut);
        EXPECT_LE(loaded.Count(), 3);
        // Only a file cut inside the fixed part of its header is refused; any other cut is
        // reported as damage in one message (which gives the picture's reason when the cut
        // goes through its data), and the document is left modified.
        if (cut >= headerEnd) {
            ASSERT_EQ(Messages.size(), 1) << cut;
            if (Messages[0] != DamagedFile) {
                EXPECT_TRUE(Messages[0].startsWith(
                    DamagedFile + QStringLiteral("\n\nThe picture in the file cannot be read. ")))
                    << cut << " " << Messages[0].toStdString();
            }
            EXPECT_TRUE(loaded.IsModified()) << cut;
        } else {
            EXPECT_EQ(Messages, QStringList{LoadFailed}) << cut;
        }
    }
    Messages.clear();
    Tdrawlist whole;
    SetUpLabel(whole);
    EXPECT_EQ(Load(whole, bytes), bytes.size());
    EXPECT_EQ(whole.Count(), 3);
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_FALSE(whole.IsModified());
}

TEST_F(ProjectFile, AFailedSaveLeavesTheOldFile)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.AddObject(Shape({100100, 100100, 100900, 100900}));
    const QString path = Path(QStringLiteral("cellar.wlp"));
    doc.SaveToFile(path);
    const QByteArray before = ReadWholeFile(path);
    ASSERT_FALSE(before.isEmpty());

    TFailingDocument failing;
    SetUpLabel(failing);
    EXPECT_THROW(failing.SaveToFile(path), EStreamError);
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("cellar.wlp")});

    // A stream that stops taking bytes part-way raises with the reason instead of reporting
    // success.
    for (qint64 room : {0, 10, 30, 500}) {
        for (const char *reason : {"No space left on device", "Permission denied", "Read-only file system"}) {
            TRefusingDevice device(room, QString::fromLatin1(reason));
            try {
                doc.SaveToStream(device);
                ADD_FAILURE() << room << ": saved";
            } catch (const EStreamError &e) {
                EXPECT_EQ(e.Message().toStdString(), std::string("Stream write error: ") + reason) << room;
            }
        }
    }

    // A folder that does not exist cannot hold the file.
    EXPECT_THROW(doc.SaveToFile(Path(QStringLiteral("nowhere/cellar.wlp"))), EOSError);
}

TEST_F(ProjectFile, AFailedSaveSaysWhichFileAndWhyAndKeepsTheDocument)
{
    // A picture of noise makes the file larger than the small file system below.
    QImage noise(200, 200, QImage::Format_RGB32);
    std::mt19937 random(5);
    std::generate_n(reinterpret_cast<uint32_t *>(noise.bits()), 200 * 200, random);
    auto picture = std::make_unique<Tvnlpic>();
    picture->SetPicture(noise);
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.AddObject(std::move(picture));
    const QString name = Path(QStringLiteral("cellar.wlp"));
    const auto expectRefused = [&](const QString &path, const QString &reason) {
        const QByteArray before = ReadWholeFile(path);
        const QStringList files = QDir(QFileInfo(path).path()).entryList(QDir::Files);
        doc.SetFileName(name);
        doc.SetModified(true);
        try {
            doc.SaveToFile(path);
            ADD_FAILURE() << reason.toStdString() << ": saved";
        } catch (const EOSError &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Could not save \"%1\": %2.").arg(path, reason));
        }
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.GetFileName(), name);
        EXPECT_EQ(ReadWholeFile(path), before);
        EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files), files);
    };
    expectRefused(Path(QStringLiteral("nowhere/cellar.wlp")), QStringLiteral("No such file or directory"));
    if (geteuid() != 0) { // the superuser writes into any folder
        QDir(Dir.path()).mkdir(QStringLiteral("locked"));
        QFile::setPermissions(Path(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner);
        expectRefused(Path(QStringLiteral("locked/cellar.wlp")), QStringLiteral("Permission denied"));
    }
    TSmallFileSystem small(Path(QStringLiteral("small")), 64);
    if (small.Root.isEmpty())
        GTEST_SKIP() << "No small file system for a full and a read-only disk: " << small.Why.toStdString();
    const QString onSmall = small.Root + QStringLiteral("/cellar.wlp");
    WriteWholeFile(onSmall, "the old file");
    expectRefused(onSmall, QStringLiteral("No space left on device"));
    ASSERT_TRUE(small.MakeReadOnly());
    expectRefused(onSmall, QStringLiteral("Read-only file system"));
}

TEST_F(ProjectFile, NamesAndTitlesFromAFileAreShownSafely)
{
    const QByteArray odd[] = {QByteArray("\x01\x1b[2J\x07\r\nSquare.wlt"), QByteArray(100000, 'a') + ".wlt"};
    for (const QByteArray &text : odd) {
        Messages.clear();
        WriteWholeFile(Path(QStringLiteral("odd.wlp")),
                       Header(2, "vnlabel_v1", text, "4.00x3.50", text) + QByteArray(1, char(255)));
        tlabeltemplate t;
        Tdrawlist doc;
        SetUpLabel(doc);
        doc.SetTemplate(&t);
        Answers.push_back(mrCancel);
        doc.LoadFromFile(Path(QStringLiteral("odd.wlp")));
        const QString shown = ShownFileText(QString::fromLatin1(text));
        EXPECT_LE(shown.size(), MaxShownFileText);
        EXPECT_EQ(Messages,
                  QStringList{QStringLiteral("The template for this label project could not be found,"
                                             "\r\nPlease locate ") +
                              shown + QStringLiteral(".")});
        // The document keeps the title as the file holds it; the preview shows it safely.
        EXPECT_EQ(doc.Title, QString::fromLatin1(text));
        QString title;
        EXPECT_TRUE(Tdrawlist::DrawFilePreview(Path(QStringLiteral("odd.wlp")), nullptr, title, {}));
        EXPECT_EQ(title, shown);
    }
}

TEST_F(ProjectFile, TheTemplateReferenceIsRelativeToTheProgramWithBackslashes)
{
    tlabeltemplate t;
    SetUpLabel(t, 3.0, 2.0);
    t.SaveToFile(ProgramDir() + QStringLiteral("/templates/Round 3x2.wlt"));
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.SetTemplate(&t);
    doc.SaveToFile(Path(QStringLiteral("p.wlp")));

    Tdrawlist reader;
    QFile file(Path(QStringLiteral("p.wlp")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_TRUE(reader.LoadHeader(file));
    EXPECT_EQ(reader.TemplateFile, QStringLiteral("templates\\Round 3x2.wlt"));
    EXPECT_EQ(reader.SizeText, QStringLiteral("3.00x2.00"));

    // A template outside the program's folder is reached through "..".
    t.SaveToFile(Path(QStringLiteral("elsewhere.wlt")));
    doc.SaveToFile(Path(QStringLiteral("q.wlp")));
    QFile other(Path(QStringLiteral("q.wlp")));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    ASSERT_TRUE(reader.LoadHeader(other));
    EXPECT_EQ(reader.TemplateFile, QStringLiteral("..\\elsewhere.wlt"));
}

TEST_F(ProjectFile, TheTemplateIsFoundInTheProgramsFolder)
{
    tlabeltemplate stock;
    SetUpLabel(stock, 3.0, 2.0);
    stock.Geometry.Add(Spot(1, 1, 3.0, 2.0));
    stock.SaveToFile(ProgramDir() + QStringLiteral("/templates/Oval.wlt"));

    auto shape = Shape({100100, 100100, 100900, 100900});
    for (const QByteArray &stored : {QByteArray("templates\\Oval.wlt"), QByteArray("templates/Oval.wlt")}) {
        tlabeltemplate t;
        SetUpLabel(t);
        Tdrawlist doc;
        SetUpLabel(doc);
        doc.SetTemplate(&t);
        Load(doc,
             Header(2, "vnlabel_v1", "", "3.00x2.00", stored) + Entry(*shape) + QByteArray(1, char(255)));
        EXPECT_EQ(t.GetFileName(), ProgramDir() + QStringLiteral("/templates/Oval.wlt"))
            << stored.constData();
        EXPECT_EQ(t.Geometry.Count(), 1);
        // The project takes the template's size.
        EXPECT_EQ(doc.GetLabelWidth(), 3.0);
        EXPECT_EQ(doc.GetLabelHeight(), 2.0);
        EXPECT_EQ(doc.Count(), 1);
        EXPECT_TRUE(Messages.isEmpty());
    }
}

TEST_F(ProjectFile, AMissingTemplateIsAskedFor)
{
    tlabeltemplate stock;
    SetUpLabel(stock, 2.5, 2.0);
    stock.Geometry.Add(Spot(0, 0, 2.5, 2.0));
    stock.SaveToFile(Path(QStringLiteral("Square.wlt")));
    const QByteArray file =
        Header(2, "vnlabel_v1", "", "2.50x2.00", "C:\\Labels\\Square.wlt") + QByteArray(1, char(255));
    const QString question = QStringLiteral("The template for this label project could not be found,\r\n"
                                            "Please locate Square.wlt.");
    {
        // OK, and the user points at the file.
        tlabeltemplate t;
        SetUpLabel(t);
        Tdrawlist doc;
        SetUpLabel(doc);
        doc.SetTemplate(&t);
        DialogChoices.push_back(Path(QStringLiteral("Square.wlt")));
        Load(doc, file);
        EXPECT_EQ(Messages, QStringList{question});
        EXPECT_EQ(DialogsShown, 1);
        EXPECT_EQ(t.GetFileName(), Path(QStringLiteral("Square.wlt")));
        EXPECT_EQ(doc.GetLabelWidth(), 2.5);
    }
    Messages.clear();
    DialogsShown = 0;
    {
        // Cancel: the template stays as it was.
        tlabeltemplate t;
        SetUpLabel(t);
        Tdrawlist doc;
        SetUpLabel(doc);
        doc.SetTemplate(&t);
        Answers.push_back(mrCancel);
        Load(doc, file);
        EXPECT_EQ(Messages, QStringList{question});
        EXPECT_EQ(DialogsShown, 0);
        EXPECT_TRUE(t.GetFileName().isEmpty());
        EXPECT_EQ(doc.GetLabelWidth(), 4.0);
    }
    Messages.clear();
    {
        // A template that cannot be read is reported; the project stays loaded.
        WriteWholeFile(Path(QStringLiteral("Broken.wlt")), QByteArray("\x02\0\0\0garbage", 11));
        tlabeltemplate t;
        SetUpLabel(t);
        Tdrawlist doc;
        SetUpLabel(doc);
        doc.SetTemplate(&t);
        auto shape = Shape({100100, 100100, 100900, 100900});
        Load(doc, Header(2, "vnlabel_v1", "", "2.50x2.00", "Broken.wlt") + Entry(*shape) +
                      QByteArray(1, char(255)));
        EXPECT_EQ(Messages, QStringList{LoadFailed});
        EXPECT_EQ(doc.Count(), 1);
    }
}

TEST_F(ProjectFile, LoadingAndSavingReportProgress)
{
    TRecordingProgress progress;
    SetProgressWindow(&progress);
    Tdrawlist doc;
    SetUpLabel(doc);
    for (int i = 0; i < 4; ++i)
        doc.AddObject(Shape({100100 + i * 500, 100100, 100500 + i * 500, 100900}));
    doc.SaveToFile(Path(QStringLiteral("Merlot.wlp")));
    EXPECT_EQ(progress.Captions, QStringList{QStringLiteral("Saving Merlot.wlp... Please Wait")});
    ASSERT_GE(progress.Fractions.size(), 5u);
    EXPECT_EQ(progress.Fractions.front(), 0.0);
    EXPECT_EQ(progress.Fractions.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(progress.Fractions.begin(), progress.Fractions.end()));
    EXPECT_FALSE(progress.Visible);

    progress.Captions.clear();
    progress.Fractions.clear();
    Tdrawlist loaded;
    SetUpLabel(loaded);
    loaded.LoadFromFile(Path(QStringLiteral("Merlot.wlp")));
    EXPECT_EQ(progress.Captions, QStringList{QStringLiteral("Loading... Merlot.wlp")});
    EXPECT_EQ(progress.Fractions.front(), 0.0);
    EXPECT_EQ(progress.Fractions.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(progress.Fractions.begin(), progress.Fractions.end()));
    EXPECT_FALSE(progress.Visible);
}

TEST_F(ProjectFile, TheTitleFallsBackToTheTemplates)
{
    tlabeltemplate t;
    t.Title = QStringLiteral("Avery 5164");
    Tdrawlist doc;
    doc.SetTemplate(&t);
    doc.Title = QStringLiteral("   ");
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Avery 5164"));
    doc.Title = QStringLiteral("Rosé");
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Rosé"));
}

TEST_F(ProjectFile, TheDialogsStartWhereTheFilesAre)
{
    std::unique_ptr<Tfiledialog> open = CreateFileDialog(TFileDialogKind::Open);
    open->SetFileName(QStringLiteral("left over"));
    Tdrawlist::SetupFileDialog(*open);
    EXPECT_EQ(open->GetFilter(), QStringLiteral("Wine Label Project (*.wlp)|*.wlp"));
    EXPECT_EQ(open->GetDefaultExt(), QStringLiteral("wlp"));
    EXPECT_EQ(open->GetTitle(), QStringLiteral("Open Wine Label Project"));
    EXPECT_EQ(open->GetOptions(), TOpenOptions(ofHideReadOnly | ofEnableSizing));
    EXPECT_TRUE(open->GetFileName().isEmpty());
    EXPECT_TRUE(bool(open->ongetpreview));

    std::unique_ptr<Tfiledialog> save = CreateFileDialog(TFileDialogKind::Save);
    tlabeltemplate::SetupFileDialog(*save);
    EXPECT_EQ(save->GetFilter(), QStringLiteral("Wine Label Template (*.wlt)|*.wlt"));
    EXPECT_EQ(save->GetDefaultExt(), QStringLiteral("wlt"));
    EXPECT_EQ(save->GetTitle(), QStringLiteral("Save Wine Label Template"));
    EXPECT_EQ(save->GetInitialDir(), ProgramDir() + QStringLiteral("/templates"));
}

TEST_F(ProjectFile, ThePreviewShowsTheThumbnailAndTheTitle)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.AddObject(Shape({100000, 100000, 104000, 103500}, RGB(0, 0, 255)));
    doc.Title = QStringLiteral("Syrah");
    doc.SaveToFile(Path(QStringLiteral("Syrah.wlp")));

    std::unique_ptr<Tfiledialog> dialog = CreateFileDialog(TFileDialogKind::Open);
    dialog->PreviewImage() = QImage(200, 240, QImage::Format_RGB32);
    dialog->SetFileName(Path(QStringLiteral("Syrah.wlp")));
    bool drawn = false;
    Tdrawlist::PreviewFile(dialog.get(), drawn);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(dialog->GetPreviewCaption(), QStringLiteral("Syrah"));
    EXPECT_EQ(ThumbnailWidth, 200);
    const QImage &image = dialog->PreviewImage();
    // The label fills the width in the middle, the caption sits under it.
    EXPECT_EQ(PixelAt(image, 100, 110), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(image, 100, 5), ColorToRGB(clBtnFace));
    bool captionDrawn = false;
    for (int y = 200; y < 240; ++y)
        for (int x = 0; x < 200; ++x)
            captionDrawn |= PixelAt(image, x, y) != ColorToRGB(clBtnFace);
    EXPECT_TRUE(captionDrawn);

    // Nothing to show: a missing file, a folder, a file of another kind.
    dialog->SetFileName(Path(QStringLiteral("none.wlp")));
    Tdrawlist::PreviewFile(dialog.get(), drawn);
    EXPECT_FALSE(drawn);
    EXPECT_EQ(PixelAt(image, 100, 110), ColorToRGB(clBtnFace));
    QString title;
    Tcanvas canvas(&dialog->PreviewImage());
    EXPECT_FALSE(Tdrawlist::DrawFilePreview(Dir.path(), &canvas, title, {0, 0, 200, 240}));
    WriteWholeFile(Path(QStringLiteral("notes.wlp")), "just some text");
    EXPECT_TRUE(
        Tdrawlist::DrawFilePreview(Path(QStringLiteral("notes.wlp")), &canvas, title, {0, 0, 200, 240}));
    EXPECT_TRUE(title.isEmpty());
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(ProjectFile, AThumbnailIsAtMostSixteenTimesAsHighAsWide)
{
    // A damaged template's first spot makes the label 0.001 by 100 inches.
    Tdrawlist doc;
    SetUpLabel(doc, 0.001, 100.0);
    doc.MakeThumbnail();
    const QImage image = DecodePng(doc.ThumbnailStream.data());
    EXPECT_EQ(image.width(), DefaultThumbnailWidth);
    EXPECT_EQ(image.height(), DefaultThumbnailWidth * MaxThumbnailAspect);
}
