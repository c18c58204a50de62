// Template files: the sections after the object list in every version, the label size taken
// from the first spot, damaged sections, and projects read as templates.

#include "filetestsupport.h"

#include "codecs/png.h"
#include "common/testsupport.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/errors.h"
#include "platform/stringstream.h"

namespace {

std::unique_ptr<Tvnlshape> Shape(const TRect &bounds)
{
    auto shape = std::make_unique<Tvnlshape>();
    shape->Bounds = bounds;
    shape->SetShapeStyle(TShapeStyle::RoundRect);
    return shape;
}

QByteArray TemplateHeader(int32_t version, const QByteArray &title = "")
{
    return Int32Bytes(version) + "vntempl_v1" + QByteArray(1, '\0') + Int32Bytes(0) + LString(title) +
           LString("2.63x1.00") + LString("");
}

const QByteArray EndOfList(1, char(255));

// A layout block: margins 0.5 and 0.25, 3 columns, 10 rows, gutters 0.125 and 0, labels
// 2.625 by 1, valid, reserved bytes 1 to 7.
QByteArray LayoutBlock()
{
    return Doubles({0.5, 0.25}) + Int32Bytes(3) + Int32Bytes(10) + Doubles({0.125, 0.0, 2.625, 1.0}) +
           QByteArray(1, char(1)) + QByteArray("\x01\x02\x03\x04\x05\x06\x07", 7);
}

QByteArray Geometry(std::initializer_list<std::array<double, 4>> spots, uint8_t orientation = 0)
{
    QByteArray bytes = Int32Bytes(static_cast<int32_t>(spots.size()));
    for (const auto &s : spots)
        bytes += Doubles({s[0], s[1], s[2], s[3]});
    return bytes + QByteArray(1, char(orientation)) + LayoutBlock();
}

QByteArray Description(const QByteArray &text)
{
    return Int32Bytes(static_cast<int32_t>(text.size())) + text;
}

const QString LoadFailed =
    QStringLiteral("Could not load file. The file may be corrupted or the wrong file type.");

} // namespace

using TemplateFile = TFileTest;

TEST_F(TemplateFile, AVersionOneFileHasNoStarterObjects)
{
    auto background = Shape({100100, 100100, 102000, 100900});
    const QByteArray bytes = TemplateHeader(1, "header title") + Entry(*background) + EndOfList +
                             Geometry({{0.5, 0.25, 2.625, 1.0}, {3.25, 0.25, 2.625, 1.0}}) +
                             Description("Address labels");
    tlabeltemplate t;
    SetUpLabel(t);
    Tdrawlist project;
    SetUpLabel(project);
    project.SetTemplate(&t);
    int resizes = 0;
    const auto previous = t.OnResize;
    t.OnResize = [&](tlabeltemplate *sender) {
        ++resizes;
        previous(sender);
    };
    EXPECT_EQ(Load(t, bytes), TemplateHeader(1, "header title").size() + Entry(*background).size() + 1);
    EXPECT_EQ(t.FileVersion, 1);
    EXPECT_EQ(t.Count(), 1);
    EXPECT_EQ(t.StarterObjects.Count(), 0);
    ASSERT_EQ(t.Geometry.Count(), 2);
    EXPECT_EQ(t.Geometry.GetSpot(1)->SpotLeft, 3.25);
    EXPECT_EQ(t.Geometry.LayoutColumns, 3);
    EXPECT_EQ(t.Geometry.LayoutRows, 10);
    EXPECT_EQ(t.Geometry.LayoutValid, 1);
    // The label takes the first spot's size, and the attached project follows.
    EXPECT_EQ(t.GetLabelWidth(), 2.625);
    EXPECT_EQ(t.GetLabelHeight(), 1.0);
    EXPECT_EQ(resizes, 2);
    EXPECT_EQ(project.GetLabelWidth(), 2.625);
    EXPECT_EQ(project.GetLabelHeight(), 1.0);
    EXPECT_EQ(t.Title, QStringLiteral("Address labels"));
    EXPECT_FALSE(t.IsModified());
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(TemplateFile, AVersionZeroFileEndsInItsThumbnail)
{
    QImage thumbnail(16, 8, QImage::Format_RGB32);
    thumbnail.fill(qRgb(10, 200, 30));
    const QByteArray png = EncodePng(thumbnail);
    auto background = Shape({10100, 10100, 12000, 10900});
    const QByteArray bytes = Int32Bytes(0) + "vntempl_v1" + QByteArray(1, '\0') + LString("") +
                             Entry(*background) + EndOfList + Geometry({{1.0, 1.0, 4.0, 2.0}}) +
                             Description("Wide") + png;
    tlabeltemplate t;
    SetUpLabel(t);
    Load(t, bytes);
    EXPECT_EQ(t.FileVersion, 0);
    ASSERT_EQ(t.Count(), 1);
    EXPECT_EQ(t.GetObject(0)->Bounds, (TRect{100100, 100100, 102000, 100900}));
    EXPECT_EQ(t.Title, QStringLiteral("Wide"));
    EXPECT_EQ(t.ThumbnailStream.data(), png);
    EXPECT_EQ(PixelAt(t.GetThumbnail(), 3, 3), RGB(10, 200, 30));
    EXPECT_EQ(t.GetLabelWidth(), 4.0);
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(TemplateFile, EverySectionSurvivesARoundTrip)
{
    tlabeltemplate t;
    SetUpLabel(t, 2.625, 1.0);
    t.AddObject(Shape({100000, 100000, 102625, 100200}));
    auto text = std::make_unique<Tvnltext>();
    text->Bounds = {100100, 100300, 102500, 100900};
    text->SetText(QStringLiteral("Estate bottled"));
    t.StarterObjects.AddObject(std::move(text));
    t.StarterObjects.AddObject(Shape({100100, 100100, 100500, 100500}));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            t.Geometry.Add(Spot(0.5 + column * 2.75, 0.25 + row, 2.625, 1.0));
    t.Geometry.GetSpot(2)->Marked = true;
    t.Geometry.Orientation = 1;
    t.Geometry.LayoutColumns = 2;
    t.Geometry.LayoutRows = 3;
    t.Geometry.LayoutLabelWidth = 2.625;
    t.Geometry.LayoutValid = 1;
    t.Geometry.Reserved = {9, 8, 7, 6, 5, 4, 3};
    t.Title = QStringLiteral("Étiquettes 2⅝ × 1");
    const QString path = Path(QStringLiteral("Six.wlt"));
    t.SaveToFile(path);
    const QByteArray bytes = ReadWholeFile(path);

    // Header, own objects, starter objects, geometry, description: nothing else.
    const QByteArray thumbnail = t.ThumbnailStream.data();
    const QByteArray geometry = Saved(t.Geometry);
    const QByteArray description = EncodeFileText(t.Title);
    const QByteArray expected = Int32Bytes(2) + "vntempl_v1" + QByteArray(1, '\0') +
                                Int32Bytes(static_cast<int32_t>(thumbnail.size())) + thumbnail +
                                LString(EncodeFileText(t.Title)) + LString("2.63x1.00") + LString("") +
                                Entry(*t.GetObject(0)) + EndOfList + Entry(*t.StarterObjects.GetObject(0)) +
                                Entry(*t.StarterObjects.GetObject(1)) + EndOfList + geometry +
                                Description(description);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(geometry.size(), 4 + 6 * 32 + 1 + 64);
    // The thumbnail shows a new label from the template: the starter shape (0.1 to 0.5 inch)
    // over the background strip (the top 0.2 inch), at 152 pixels for 2.625 inches.
    const QImage image = t.GetThumbnail();
    int starterPixels = 0;
    for (int y = 14; y < 29; ++y)
        for (int x = 4; x < 31; ++x)
            starterPixels += qGray(image.pixel(x, y)) < 128;
    EXPECT_GT(starterPixels, 10);

    tlabeltemplate loaded;
    SetUpLabel(loaded);
    ASSERT_TRUE(loaded.LoadFromFile(path));
    EXPECT_EQ(loaded.Count(), 1);
    ASSERT_EQ(loaded.StarterObjects.Count(), 2);
    EXPECT_EQ(dynamic_cast<Tvnltext *>(loaded.StarterObjects.GetObject(0))->GetText(),
              QStringLiteral("Estate bottled"));
    ASSERT_EQ(loaded.Geometry.Count(), 6);
    EXPECT_EQ(loaded.Geometry.GetSpot(5)->SpotLeft, 3.25);
    EXPECT_EQ(loaded.Geometry.GetSpot(5)->SpotTop, 2.25);
    // Marks are the session's, not the file's.
    EXPECT_FALSE(loaded.Geometry.GetSpot(2)->Marked);
    EXPECT_EQ(loaded.Geometry.Orientation, 1);
    EXPECT_EQ(loaded.Geometry.Reserved, t.Geometry.Reserved);
    EXPECT_EQ(loaded.Title, t.Title);
    EXPECT_EQ(loaded.GetTitle(), t.Title);

    // Saved again it gives the same sections (the objects' serial numbers are new).
    loaded.SaveToFile(Path(QStringLiteral("Again.wlt")));
    const QByteArray again = ReadWholeFile(Path(QStringLiteral("Again.wlt")));
    EXPECT_EQ(again.size(), bytes.size());
    const qsizetype sections = geometry.size() + 4 + description.size();
    EXPECT_EQ(again.right(sections), bytes.right(sections));
}

TEST_F(TemplateFile, ASheetOrDescriptionCutOrLyingIsDamage)
{
    auto background = Shape({100100, 100100, 102000, 100900});
    auto starter = Shape({100100, 100100, 100500, 100500});
    const QByteArray lists =
        TemplateHeader(2, "from the header") + Entry(*background) + EndOfList + Entry(*starter) + EndOfList;
    const QByteArray sheet = Geometry({{0.5, 0.25, 2.625, 1.0}, {3.25, 0.25, 2.625, 1.0}}, 1);
    const QByteArray afterSpots = sheet.mid(4 + 2 * 32);
    const QByteArray whole = lists + sheet + Description("Two up");
    const qsizetype spots = lists.size() + 4, orientation = spots + 2 * 32, layout = orientation + 1,
                    description = layout + LayoutBlockSize;
    // A sheet of more than 100 spots that are all there: read as none, the orientation and the
    // layout block from the bytes after the count (the first spot's), and not damage.
    QByteArray manySpots;
    for (int i = 0; i < 101; ++i)
        manySpots += Doubles({1.0 + i * 0.01, 1, 2, 3});
    const QString header = QStringLiteral("from the header");
    const QString unreadablePicture =
        DamagedFile + QStringLiteral("\n\nThe picture in the file cannot be read. ");
    struct Case {
        const char *name;
        QByteArray bytes;
        QString message; // what the one message starts with; empty: none
        int32_t spots;
        int orientation, rows; // -1: not checked
        QString title;
    };
    const std::vector<Case> cases{
        {"whole", whole, {}, 2, 1, 10, QStringLiteral("Two up")},
        {"cut where the sheet begins", whole.left(lists.size()), DamagedFile, 0, 0, 0, header},
        // The two bytes of the count there are its low bytes; spots the file lacks are tiny.
        {"cut inside the spot count", whole.left(lists.size() + 2), DamagedFile, 2, 0, 0, header},
        {"cut after the spot count", whole.left(spots), DamagedFile, 2, 0, 0, header},
        {"cut inside a spot", whole.left(spots + 32 + 12), DamagedFile, 2, 0, 0, header},
        {"cut after the spots", whole.left(orientation), DamagedFile, 2, 0, 0, header},
        {"cut after the orientation", whole.left(layout), DamagedFile, 2, 1, 0, header},
        {"cut inside the layout block", whole.left(layout + 24), DamagedFile, 2, 1, 10, header},
        {"cut after the layout block", whole.left(description), DamagedFile, 2, 1, 10, header},
        {"cut inside the description's length", whole.left(description + 2), DamagedFile, 2, 1, 10, header},
        {"cut inside the description", whole.chopped(2), DamagedFile, 2, 1, 10, QStringLiteral("Two ")},
        {"a version 1 file cut after its objects", TemplateHeader(1, "from the header") + EndOfList,
         DamagedFile, 0, 0, 0, header},
        {"a spot count below 0", lists + Int32Bytes(-1) + afterSpots + Description("Two up"), DamagedFile, 0,
         1, 10, QStringLiteral("Two up")},
        {"more spots than the file holds", lists + Int32Bytes(101) + afterSpots + Description("Two up"),
         DamagedFile, 0, 1, 10, QStringLiteral("Two up")},
        {"the largest spot count", lists + Int32Bytes(2147483647) + afterSpots + Description("Two up"),
         DamagedFile, 0, 1, 10, QStringLiteral("Two up")},
        {"more than 100 spots, all there",
         lists + Int32Bytes(101) + manySpots + afterSpots + Description("Many"),
         {},
         0,
         0,
         -1,
         {}},
        {"a description length below 0", lists + sheet + Int32Bytes(-1) + "Lost", DamagedFile, 2, 1, 10,
         header},
        {"a description length of a megabyte", lists + sheet + Int32Bytes(1048575) + "Lost", DamagedFile, 2,
         1, 10, header},
        {"a description length of a gigabyte", lists + sheet + Int32Bytes(1 << 30) + "Lost", DamagedFile, 2,
         1, 10, header},
        {"a description longer than the file", lists + sheet + Int32Bytes(1000) + "Short", DamagedFile, 2, 1,
         10, QStringLiteral("Short")},
        // One message, which gives the picture's reason.
        {"a starter picture that cannot be read",
         TemplateHeader(2, "from the header") + EndOfList + UnreadablePictureEntry() + EndOfList + sheet +
             Description("Two up"),
         unreadablePicture, 2, 1, 10, QStringLiteral("Two up")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Messages.clear();
        tlabeltemplate t;
        SetUpLabel(t);
        Load(t, c.bytes);
        const bool damaged = !c.message.isEmpty();
        ASSERT_EQ(Messages.size(), damaged ? 1 : 0) << Messages.join('\n').toStdString();
        if (damaged) {
            EXPECT_TRUE(Messages[0].startsWith(c.message)) << Messages[0].toStdString();
        }
        EXPECT_EQ(t.IsModified(), damaged);
        EXPECT_EQ(t.LoadDamaged, damaged);
        EXPECT_EQ(t.Geometry.Count(), c.spots);
        if (c.orientation >= 0) {
            EXPECT_EQ(t.Geometry.Orientation, c.orientation);
        }
        if (c.rows >= 0) {
            EXPECT_EQ(t.Geometry.LayoutRows, c.rows);
        }
        if (!c.title.isNull()) {
            EXPECT_EQ(t.Title, c.title);
        }
        // What was read saves and loads again whole.
        tlabeltemplate again;
        SetUpLabel(again);
        Messages.clear();
        Load(again, Saved(t));
        EXPECT_TRUE(Messages.isEmpty());
        EXPECT_EQ(again.Geometry.Count(), t.Geometry.Count());
    }
}

TEST_F(TemplateFile, SpotsBeyondTheSheetAreClampedWithoutComplaint)
{
    // Spot values outside what a sheet can hold read as 0.001.
    tlabeltemplate t;
    SetUpLabel(t);
    Load(t, TemplateHeader(1) + EndOfList + Geometry({{0.0, 250.0, 2.5, -3.0}}) + Description(""));
    ASSERT_EQ(t.Geometry.Count(), 1);
    EXPECT_EQ(t.Geometry.GetSpot(0)->SpotLeft, 0.001);
    EXPECT_EQ(t.Geometry.GetSpot(0)->SpotTop, 0.001);
    EXPECT_EQ(t.Geometry.GetSpot(0)->SpotWidth, 2.5);
    EXPECT_EQ(t.GetLabelHeight(), 0.001);
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_FALSE(t.IsModified());
}

TEST_F(TemplateFile, AFileCutAnywhereLoadsWhatItHolds)
{
    tlabeltemplate t;
    SetUpLabel(t, 2.0, 1.0);
    t.AddObject(Shape({100000, 100000, 101000, 100500}));
    t.StarterObjects.AddObject(Shape({100100, 100100, 100500, 100500}));
    for (int i = 0; i < 4; ++i)
        t.Geometry.Add(Spot(0.5, 0.5 + i * 1.25, 2.0, 1.0));
    t.Title = QStringLiteral("Four");
    const QByteArray bytes = Saved(t);
    // Every section is written whole, so a cut anywhere after the header's fixed part is damage,
    // reported once, and what comes before it is read.
    for (qint64 cut = 19; cut <= bytes.size(); ++cut) {
        Messages.clear();
        tlabeltemplate loaded;
        SetUpLabel(loaded);
        Load(loaded, bytes.left(cut));
        const bool damaged = cut < bytes.size();
        ASSERT_EQ(Messages.size(), damaged ? 1 : 0) << cut;
        if (damaged) {
            EXPECT_TRUE(Messages[0].startsWith(DamagedFile)) << cut << " " << Messages[0].toStdString();
        }
        EXPECT_EQ(loaded.IsModified(), damaged) << cut;
        EXPECT_LE(loaded.Count(), 1);
        EXPECT_LE(loaded.StarterObjects.Count(), 1);
        EXPECT_LE(loaded.Geometry.Count(), 4);
        for (int32_t i = 0; i < loaded.Geometry.Count(); ++i) {
            EXPECT_GE(loaded.Geometry.GetSpot(i)->SpotWidth, 0.001);
            EXPECT_LE(loaded.Geometry.GetSpot(i)->SpotWidth, 100.0);
        }
    }
}

TEST_F(TemplateFile, AProjectFileIsNotATemplate)
{
    Tdrawlist project;
    SetUpLabel(project);
    project.AddObject(Shape({100100, 100100, 100900, 100900}));
    project.AddObject(Shape({101100, 100100, 101900, 100900}));
    const QByteArray bytes = Saved(project);

    tlabeltemplate t;
    SetUpLabel(t);
    t.Geometry.Add(Spot(1, 1, 3, 2));
    t.StarterObjects.AddObject(Shape({100100, 100100, 100500, 100500}));
    Load(t, bytes);
    EXPECT_EQ(Messages, QStringList{LoadFailed});
    // Nothing of the project lands anywhere in the template.
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.StarterObjects.Count(), 0);
    EXPECT_EQ(t.Geometry.Count(), 0);

    // While it imports a project the template signs as one.
    EXPECT_EQ(t.GetSignature(), QByteArray("vntempl_v1"));
    t.AsProject = true;
    EXPECT_EQ(t.GetSignature(), QByteArray("vnlabel_v1"));
    t.AsProject = false;
    WriteWholeFile(Path(QStringLiteral("p.wlp")), bytes);
    Messages.clear();
    t.LoadProjectAsTemplate(Path(QStringLiteral("p.wlp")));
    EXPECT_EQ(t.Count(), 2);
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_THROW(t.LoadProjectAsTemplate(Path(QStringLiteral("none.wlp"))), EOSError);
    EXPECT_FALSE(t.AsProject);
}
