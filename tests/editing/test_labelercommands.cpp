// The editor's menu commands on a real document, with the dialogs answered from a script.

#include "labelertest.h"

#include "document/drawlist.h"
#include "document/fields.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "editing/printwizard.h"
#include "platform/clipboard.h"
#include "platform/platform.h"
#include "settings/userfolders.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtEndian>
#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {

// A template of 2 x 1 inches with one spot and a starter text "Winery".
QString SaveTemplate(const QString &path)
{
    tlabeltemplate t;
    t.SetLabelRect({100000, 100000, 100001, 100001});
    auto spot = std::make_unique<Tlabelgeometry>();
    spot->SpotWidth = 2.0;
    spot->SpotHeight = 1.0;
    t.Geometry.Add(std::move(spot));
    auto text = std::make_unique<Tvnltext>();
    text->SetText(QStringLiteral("Winery"));
    text->SetBounds({100100, 100100, 101500, 100400});
    t.StarterObjects.AddObject(std::move(text));
    t.SaveToFile(path);
    return path;
}

QString SaveProject(const QString &path, int shapes = 1)
{
    Tdrawlist d;
    d.SetLabelRect({100000, 100000, 104000, 103500});
    for (int i = 0; i < shapes; ++i) {
        auto shape = std::make_unique<Tvnlshape>();
        shape->SetBounds({100100 + i * 1000, 100100, 100900 + i * 1000, 100900});
        d.AddObject(std::move(shape));
    }
    d.SaveToFile(path);
    return path;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Setting(TEditor &e, const char *name)
{
    return e.Settings.Store.ReadString(QString::fromLatin1(name));
}

int32_t FileVersion(const QString &path)
{
    const QByteArray bytes = ReadFile(path);
    return bytes.size() < 4 ? -1 : qFromLittleEndian<int32_t>(bytes.constData());
}

// Type code and bounds of every object, and for templates every spot.
QStringList Contents(Tdrawlist &d)
{
    QStringList out;
    for (int32_t i = 0; i < d.Count(); ++i) {
        const TRect b = d.GetObject(i)->GetBounds();
        out << QStringLiteral("%1 %2 %3 %4 %5")
                   .arg(d.GetObject(i)->GetTypeCode())
                   .arg(b.Left)
                   .arg(b.Top)
                   .arg(b.Right)
                   .arg(b.Bottom);
    }
    if (tlabeltemplate *t = d.AsTemplate()) {
        out << Contents(t->StarterObjects);
        for (int32_t i = 0; i < t->Geometry.Count(); ++i) {
            const Tlabelgeometry &s = *t->Geometry.GetSpot(i);
            out << QStringLiteral("spot %1 %2 %3 %4")
                       .arg(s.SpotLeft)
                       .arg(s.SpotTop)
                       .arg(s.SpotWidth)
                       .arg(s.SpotHeight);
        }
    }
    return out;
}

} // namespace

TEST(LabelerCommands, EditActionsFollowTheSelectionTheClipboardAndTheHistory)
{
    TEditor e;
    Tdrawobj *a = e.AddShape({101000, 101000, 102000, 102000});
    Tdrawobj *b = e.AddShape({102500, 101000, 103500, 102000});
    e.Doc().GetUndoList().Clear();
    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(e.Labeler.UpdateEditActions(),
              (TEditActions{"&Paste ", false, false, false, false, false, false}));
    e.Doc().SelectObject(a);
    QGuiApplication::clipboard()->setText(QStringLiteral("Merlot"));
    EXPECT_EQ(e.Labeler.UpdateEditActions(),
              (TEditActions{"&Paste Text", true, true, true, false, false, true}));
    // Two selected: neither Cut nor Copy, but Delete.
    b->SetSelected(true);
    e.Drag(e.At(101500, 101500), e.At(101700, 101500), 6);
    EXPECT_EQ(e.Labeler.UpdateEditActions(),
              (TEditActions{"&Paste Text", true, false, false, true, false, true}));
    e.Labeler.Undo();
    const TEditActions undone = e.Labeler.UpdateEditActions();
    EXPECT_FALSE(undone.Undo);
    EXPECT_TRUE(undone.Redo);
}

TEST(LabelerCommands, CutWithTwoSelectedCopiesTheFirstAndDeletesBothInOneStep)
{
    TEditor e;
    Tdrawobj *a = e.AddShape({101000, 101000, 102000, 102000});
    Tdrawobj *b = e.AddShape({102500, 101000, 103500, 102000});
    e.Doc().SelectObject(a);
    b->SetSelected(true);
    e.Labeler.Cut();
    EXPECT_EQ(e.Doc().Count(), 0);
    QString kind;
    e.Doc().Paste({0, 0}, true, kind);
    EXPECT_EQ(kind, "Shape");
    e.Labeler.Paste();
    ASSERT_EQ(e.Doc().Count(), 1);
    EXPECT_EQ(e.Doc().GetObject(0)->GetBounds().Width(), 1000);
    e.Labeler.Undo();
    e.Labeler.Undo();
    EXPECT_EQ(e.Doc().Count(), 2);
}

TEST(LabelerCommands, TheDesktopClipboardCarriesTextsAndPicturesBothWays)
{
    TEditor e;
    auto text = std::make_unique<Tvnltext>();
    text->SetText(QStringLiteral("Cabernet\r\n2019"));
    text->SetBounds({101000, 101000, 102000, 101500});
    Tdrawobj *box = text.get();
    e.Doc().AddObject(std::move(text));
    e.Doc().SelectObject(box);
    e.Labeler.Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Cabernet\r\n2019");

    // From another program: a text, then an image, each pasted at the label's centre.
    QGuiApplication::clipboard()->setText(QStringLiteral("Estate bottled"));
    e.Labeler.Paste();
    auto *pasted = dynamic_cast<Tvnltext *>(e.Doc().GetObject(1));
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->GetText(), "Estate bottled");
    EXPECT_EQ(pasted->GetBounds().Left, 102000); // the centre of the 4-inch label
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(image);
    e.Labeler.Paste();
    auto *picture = dynamic_cast<Tvnlpic *>(e.Doc().GetObject(2));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetPicture().size(), QSize(30, 20));
    e.Labeler.Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(30, 20));
}

TEST(LabelerCommands, NewMakesALabelFromTheTemplateAndCancelLeavesTheLabel)
{
    QTemporaryDir dir;
    const QString plan = SaveTemplate(dir.filePath("plan.wlt"));
    TEditor e;
    e.AddShape({101000, 101000, 102000, 102000});
    e.Doc().SelectObject(e.AddShape({102500, 101000, 103500, 102000}));
    e.Labeler.Delete();
    e.Doc().SetModified(false);
    e.View().SetScrollPosition(false, 0);
    {
        TScriptedFiles files;
        e.Labeler.NewLabel();
        ASSERT_EQ(files.Shown.size(), 1u);
    }
    EXPECT_EQ(e.Doc().Count(), 1);
    const TScrollBarState cancelled = e.View().GetHorizontal();
    e.View().CenterScreen();
    EXPECT_EQ(cancelled, e.View().GetHorizontal());
    EXPECT_FALSE(e.Settings.Store.ValueExists(LastTemplatePathSetting));

    TScriptedFiles files({{plan}});
    e.Labeler.NewLabel();
    ASSERT_EQ(e.Doc().Count(), 1);
    auto *starter = dynamic_cast<Tvnltext *>(e.Doc().GetObject(0));
    ASSERT_NE(starter, nullptr);
    EXPECT_TRUE(starter->GetText().isEmpty());
    EXPECT_TRUE(starter->IsSelected());
    EXPECT_EQ(e.Doc().GetLabelWidth(), 2.0);
    EXPECT_EQ(Setting(e, LastTemplatePathSetting), dir.path() + "/");
    EXPECT_EQ(Setting(e, LastOpenedFileSetting), "NEW FILE");
    // Nothing of the earlier label can be undone into the new one.
    for (int i = 0; i < 8; ++i)
        e.Labeler.Undo();
    ASSERT_EQ(e.Doc().Count(), 1);
    EXPECT_EQ(e.Doc().GetObject(0)->GetTypeCode(), 2);
}

TEST(LabelerCommands, AFileThatCannotBeOpenedLeavesTheLabelAndTheSettings)
{
    QTemporaryDir dir;
    SaveTemplate(dir.filePath("template.wlp"));
    WriteFile(dir.filePath("empty.wlp"), {});
    WriteFile(dir.filePath("text.wlp"), "Merlot 2019, 13.5% by volume");
    struct Case {
        const char *File;
        const char *Message;
    };
    const Case cases[] = {
        {"template.wlp", "Could not load file."},
        {"empty.wlp", "Could not load file."},
        {"text.wlp", "Could not load file."},
        {"missing.wlp", "EOSError: Cannot open file"},
    };
    for (const Case &c : cases) {
        TEditor e;
        e.AddShape({101000, 101000, 102000, 102000});
        e.Doc().SetModified(false);
        TScriptedAnswers answers;
        TScriptedFiles files({{dir.filePath(c.File)}});
        e.Labeler.OpenLabel();
        ASSERT_EQ(answers.Texts.size(), 1u) << c.File;
        EXPECT_THAT(answers.Texts[0].toStdString(), testing::StartsWith(c.Message)) << c.File;
        EXPECT_EQ(e.Doc().Count(), 1) << c.File;
        EXPECT_TRUE(e.Doc().GetFileName().isEmpty()) << c.File;
        EXPECT_FALSE(e.Settings.Store.ValueExists(LastFilePathSetting)) << c.File;
    }
}

TEST(LabelerCommands, ASaveThatFailsShowsWhyAndKeepsTheLabelModified)
{
    QTemporaryDir dir;
    WriteFile(dir.filePath("not-a-folder"), "x");
    const QString path = SaveProject(dir.filePath("label.wlp"));
    TEditor e({path});
    e.Labeler.FirstShow();
    e.AddShape({101000, 101000, 102000, 102000});
    const int writes = e.Settings.Backend->Writes;
    TScriptedAnswers answers;
    TScriptedFiles files({{dir.filePath("not-a-folder/label.wlp")}});
    e.Labeler.SaveLabelAs();
    ASSERT_EQ(answers.Texts.size(), 1u);
    EXPECT_THAT(answers.Texts[0].toStdString(), testing::StartsWith("EOSError: "));
    EXPECT_TRUE(e.Doc().IsModified());
    EXPECT_EQ(e.Doc().GetFileName(), path);
    EXPECT_EQ(e.Settings.Backend->Writes, writes);
    // Save under its own name works and clears the mark.
    e.Labeler.SaveLabel();
    EXPECT_FALSE(e.Doc().IsModified());
    Tdrawlist saved;
    saved.LoadFromFile(path);
    EXPECT_EQ(saved.Count(), 2);
}

TEST(LabelerCommands, ObjectsMoveBetweenTheLabelAndItsTemplate)
{
    TEditor e({"-edittemplate", "trelko"});
    Tdrawobj *a = e.AddShape({101000, 101000, 102000, 102000});
    e.AddShape({102500, 101000, 103500, 102000});
    tlabeltemplate &t = e.Labeler.Template();
    e.Doc().SelectObject(a);
    e.Labeler.MoveToTemplate();
    EXPECT_EQ(e.Doc().Count(), 1);
    EXPECT_EQ(t.Count(), 1);
    e.Labeler.MoveFromTemplate();
    EXPECT_EQ(e.Doc().Count(), 2);
    EXPECT_EQ(t.Count(), 0);
    e.Labeler.MoveAllToTemplate();
    EXPECT_EQ(e.Doc().Count(), 0);
    EXPECT_EQ(t.Count(), 2);
    e.Labeler.ClearTemplate();
    EXPECT_EQ(t.Count(), 0);

    // Save Template makes the label's objects the starters; Save As Template makes them the
    // template's own, also when its dialog is cancelled.
    QTemporaryDir dir;
    e.AddShape({101000, 101000, 102000, 102000});
    {
        TScriptedFiles files({{dir.filePath("plan.wlt")}});
        e.Labeler.SaveTemplate();
    }
    tlabeltemplate saved;
    saved.LoadFromFile(dir.filePath("plan.wlt"));
    EXPECT_EQ(saved.StarterObjects.Count(), 1);
    EXPECT_EQ(saved.Count(), 0);
    EXPECT_EQ(Setting(e, LastTemplatePathSetting), dir.path() + "/");
    TScriptedFiles cancelled;
    e.Labeler.SaveAsTemplate();
    EXPECT_EQ(t.Count(), 1);
}

TEST(LabelerCommands, TheViewSwitchesTurnOverAndAreRemembered)
{
    TEditor e;
    std::vector<bool> shown;
    e.Input().OnShowToolWindow = [&](bool visible) { shown.push_back(visible); };
    e.Labeler.FirstShow();
    shown.clear();
    EXPECT_FALSE(e.Labeler.ToggleToolWindow());
    EXPECT_TRUE(e.Labeler.ToggleToolWindow());
    EXPECT_THAT(shown, ElementsAre(false, true));
    EXPECT_FALSE(e.Labeler.ToggleButtonCaptions());
    EXPECT_FALSE(e.Host.ButtonCaptions);
    EXPECT_TRUE(e.Settings.Store.ReadBool(ToolboxVisibleSetting));
    EXPECT_FALSE(e.Settings.Store.ReadBool(ShowButtonCaptionsSetting, true));
}

TEST(LabelerCommands, ConvertingKeepsOneBackupPerFileAndSkipsWhatItCannotRead)
{
    QTemporaryDir dir;
    const QString a = SaveProject(dir.filePath("a.wlp"));
    const QString b = SaveProject(dir.filePath("b.wlp"), 2);
    const QByteArray bBefore = ReadFile(b);
    const QString capitals = SaveProject(dir.filePath("C.WLP"));
    WriteFile(dir.filePath("damaged.wlp"), "vnlabel_v1 and nothing else");
    // Saving what loads of these would lose the rest of the file, or the template it names.
    const QByteArray cut = ReadFile(b).chopped(30);
    WriteFile(dir.filePath("cut.wlp"), cut);
    QByteArray orphan;
    {
        tlabeltemplate gone;
        gone.SaveToFile(dir.filePath("gone.wlt"));
        Tdrawlist project;
        project.SetTemplate(&gone);
        project.SaveToFile(dir.filePath("orphan.wlp"));
        QFile::remove(dir.filePath("gone.wlt"));
        orphan = ReadFile(dir.filePath("orphan.wlp"));
    }
    TEditor e({"-edittemplate", "trelko"});
    TScriptedFlex flex({mrYes});
    TScriptedAnswers answers; // the damage is reported, the template is not looked for
    TScriptedFiles files({{a, b, capitals, dir.filePath("damaged.wlp"), dir.filePath("gone.wlt"),
                           dir.filePath("cut.wlp"), dir.filePath("orphan.wlp")}});
    EXPECT_EQ(e.Labeler.ConvertToNewVersion(), 2);
    EXPECT_EQ(ReadFile(dir.filePath("cut.wlp")), cut);
    EXPECT_EQ(ReadFile(dir.filePath("orphan.wlp")), orphan);
    ASSERT_EQ(files.Shown.size(), 1u);
    EXPECT_EQ(files.Shown[0].Filter,
              "Wine Label Files (*.wlp, *.wlt)|*.wlp;*.wlt|Wine Label Project (*.wlp)|*.wlp|"
              "Wine Label Template (*.wlt)|*.wlt");
    EXPECT_TRUE(files.Shown[0].Options & ofAllowMultiSelect);
    EXPECT_THAT(flex.Shown(), ElementsAre("Make Backup Copies?: Do you want to make backups of the files?",
                                          "Done: Done converting files, 2 files converted"));
    EXPECT_THAT(QDir(dir.filePath("backup")).entryList(QDir::Files),
                ElementsAre("a.wlp", "b.wlp", "cut.wlp", "orphan.wlp"));
    EXPECT_EQ(ReadFile(dir.filePath("backup/b.wlp")), bBefore);
    EXPECT_EQ(FileVersion(b), 2);
    EXPECT_NE(ReadFile(b), bBefore);
    EXPECT_EQ(ReadFile(dir.filePath("damaged.wlp")), "vnlabel_v1 and nothing else");

    // Again: the backups are replaced by the files as they are now.
    SaveProject(b, 3);
    const QByteArray bAgain = ReadFile(b);
    TScriptedFlex again({mrYes});
    files.Answers = {{b}};
    EXPECT_EQ(e.Labeler.ConvertToNewVersion(), 1);
    EXPECT_EQ(ReadFile(dir.filePath("backup/b.wlp")), bAgain);
    Tdrawlist converted;
    converted.LoadFromFile(b);
    EXPECT_EQ(converted.Count(), 3);
}

TEST(LabelerCommands, OldFilesComeOutInTheCurrentVersionWithTheSameContents)
{
    QTemporaryDir dir;
    // The templates the old projects name, beside the program.
    QDir(dir.path()).mkpath("program/templates");
    SaveTemplate(dir.filePath("program/Standard.wlt"));
    SaveTemplate(dir.filePath("program/templates/Standard.wlt"));
    SetProgramFolder(dir.filePath("program"));
    const QString corpus = QStringLiteral(AMBRELO_FUZZ_CORPUS);
    QStringList files;
    std::vector<QStringList> before;
    for (const char *name : {"project/old-origin-v0.wlp", "project/every-kind-v1.wlp", "template/two-v0.wlt",
                             "template/six-v1.wlt"}) {
        const QString copy = dir.filePath(QFileInfo(QString::fromLatin1(name)).fileName());
        ASSERT_TRUE(QFile::copy(corpus + "/" + name, copy)) << name;
        std::unique_ptr<Tdrawlist> d =
            copy.endsWith(".wlt") ? std::make_unique<tlabeltemplate>() : std::make_unique<Tdrawlist>();
        d->LoadFromFile(copy);
        EXPECT_LT(d->FileVersion, 2) << name;
        before.push_back(Contents(*d));
        files << copy;
    }
    TEditor e({"-edittemplate", "trelko"});
    EXPECT_EQ(e.Labeler.ConvertFiles(files, false), 4);
    SetProgramFolder(QString());
    for (int i = 0; i < files.size(); ++i) {
        EXPECT_EQ(FileVersion(files[i]), 2) << files[i].toStdString();
        std::unique_ptr<Tdrawlist> d =
            files[i].endsWith(".wlt") ? std::make_unique<tlabeltemplate>() : std::make_unique<Tdrawlist>();
        d->LoadFromFile(files[i]);
        EXPECT_EQ(Contents(*d), before[size_t(i)]) << files[i].toStdString();
        EXPECT_FALSE(d->LoadDamaged);
    }
}

TEST(LabelerCommands, DroppedFilesBecomePicturesOrOpen)
{
    QTemporaryDir dir;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(dir.filePath("grapes.png")));
    WriteFile(dir.filePath("broken.png"), "\x89PNG\r\n\x1a\n and then nothing");
    const QString project = SaveProject(dir.filePath("label.wlp"), 3);
    const QString plan = SaveTemplate(dir.filePath("plan.WLT"));

    TEditor e;
    TScriptedAnswers answers({mrOk, mrCancel, mrNo});
    const TPoint at = e.At(101000, 101500);
    e.Labeler.DropFiles({dir.filePath("grapes.png"), dir.filePath("broken.png"), dir.filePath("grapes.png")},
                        at);
    ASSERT_EQ(e.Doc().Count(), 2);
    // Where it was dropped, at its natural size (10 units a pixel), the next one a step away.
    EXPECT_EQ(e.Doc().GetObject(0)->GetBounds(), (TRect{101000, 101500, 101400, 101800}));
    EXPECT_EQ(e.Doc().GetObject(1)->GetBounds().Left, 101100);
    ASSERT_EQ(answers.Texts.size(), 1u);
    EXPECT_THAT(answers.Texts[0].toStdString(), testing::HasSubstr("broken.png"));
    e.Labeler.Undo();
    EXPECT_EQ(e.Doc().Count(), 1);
    // Off the canvas a picture goes nowhere.
    e.Labeler.DropFiles({dir.filePath("grapes.png")}, std::nullopt);
    EXPECT_EQ(e.Doc().Count(), 1);

    // A project asks to save the changed label first: Cancel keeps it, No opens the project.
    e.Labeler.DropFiles({project}, std::nullopt);
    EXPECT_EQ(e.Doc().Count(), 1);
    e.Labeler.DropFiles({project}, std::nullopt);
    EXPECT_EQ(e.Doc().Count(), 3);
    EXPECT_EQ(e.Doc().GetFileName(), project);
    // A template starts a new label from it.
    e.Labeler.DropFiles({plan}, at);
    EXPECT_EQ(e.Doc().Count(), 1);
    EXPECT_EQ(e.Doc().GetLabelWidth(), 2.0);
    EXPECT_TRUE(Tlabeler::AcceptsDrop({plan}, false));
    EXPECT_FALSE(Tlabeler::AcceptsDrop({dir.filePath("grapes.png")}, false));
}

TEST(LabelerCommands, DialogsStartInTheRememberedFolderWhileItExistsAndTheStockIsNotRemembered)
{
    QTemporaryDir dir;
    const QString gone = dir.filePath("gone");
    struct Case {
        const char *What;
        const char *Setting;
        QString Remembered;
        std::function<void(TEditor &)> Command;
        QString Expected;
    };
    const QString stock = tlabeltemplate::StockTemplatesFolder();
    const Case cases[] = {
        {"open, remembered", LastFilePathSetting, dir.path(), [](TEditor &e) { e.Labeler.OpenLabel(); },
         dir.path()},
        {"open, gone", LastFilePathSetting, gone, [](TEditor &e) { e.Labeler.OpenLabel(); },
         DocumentsFolder()},
        {"save, none", LastFilePathSetting, QString(), [](TEditor &e) { e.Labeler.SaveLabelAs(); },
         DocumentsFolder()},
        {"new, gone", LastTemplatePathSetting, gone, [](TEditor &e) { e.Labeler.NewLabel(); }, stock},
        {"new, remembered", LastTemplatePathSetting, dir.path(), [](TEditor &e) { e.Labeler.NewLabel(); },
         dir.path()},
    };
    for (const Case &c : cases) {
        TEditor e;
        e.Settings.Store.WriteString(QString::fromLatin1(c.Setting), c.Remembered);
        TScriptedFiles files;
        c.Command(e);
        ASSERT_EQ(files.Shown.size(), 1u) << c.What;
        EXPECT_EQ(files.Shown[0].InitialDir, c.Expected) << c.What;
    }

    // A label made from a stock template leaves no template folder behind; one from the user's
    // own folder is remembered.
    ASSERT_TRUE(QDir().mkpath(stock));
    const QString stockFile = SaveTemplate(QDir(stock).filePath("zz-test-stock.wlt"));
    TEditor e;
    e.Settings.Store.WriteString(QString::fromLatin1(LastTemplatePathSetting), dir.path());
    {
        TScriptedFiles files({{stockFile}});
        e.Labeler.NewLabel();
    }
    QFile::remove(stockFile);
    EXPECT_EQ(Setting(e, LastTemplatePathSetting), QString());
}

TEST(LabelerCommands, OpenRecentListsTheLastEightProjectsNewestFirst)
{
    QTemporaryDir dir;
    TEditor e;
    QStringList saved;
    for (int i = 0; i < 10; ++i) {
        const QString file = SaveProject(dir.filePath(QStringLiteral("label%1.wlp").arg(i)));
        saved.prepend(file);
        TScriptedFiles files({{file}});
        e.Labeler.OpenLabel();
    }
    EXPECT_EQ(e.Labeler.RecentFiles(), saved.mid(0, MaxRecentFiles));
    // Opening one again brings it to the top once; a save under a new name adds that name.
    e.Labeler.OpenRecent(saved[3]);
    EXPECT_EQ(e.Doc().GetFileName(), saved[3]);
    EXPECT_EQ(e.Labeler.RecentFiles().mid(0, 4), (QStringList{saved[3], saved[0], saved[1], saved[2]}));
    {
        TScriptedFiles files({{dir.filePath("renamed.wlp")}});
        e.Labeler.SaveLabelAs();
    }
    EXPECT_EQ(e.Labeler.RecentFiles().first(), dir.filePath("renamed.wlp"));
    EXPECT_EQ(e.Labeler.RecentFiles().size(), MaxRecentFiles);
    // A file that is gone stays listed (the menu greys it); opening it says why, nothing changes.
    QFile::remove(saved[0]);
    TScriptedAnswers answers;
    e.Labeler.OpenRecent(saved[0]);
    EXPECT_EQ(answers.Texts.size(), 1u);
    EXPECT_EQ(e.Doc().GetFileName(), dir.filePath("renamed.wlp"));
    EXPECT_TRUE(e.Labeler.RecentFiles().contains(saved[0]));
}

TEST(LabelerCommands, ShowDataFillsTheCanvasFromTheProjectsRunAndLeavesTheDocument)
{
    QTemporaryDir dir;
    TEditor e;
    const QString project = dir.filePath(QStringLiteral("numbered.wlp"));
    e.Doc().SetFileName(project);
    auto text = std::make_unique<Tvnltext>();
    text->SetText(QStringLiteral("Bottle ${n:4}"));
    Tvnltext *shown = text.get();
    e.Doc().AddObject(std::move(text));
    TDataRun run;
    run.Kind = TRunKind::Numbered;
    run.From = 17;
    Tprintwizard wizard;
    wizard.SetDocument(&e.Doc());
    wizard.SetRun(run);
    wizard.StoreRun(e.Settings.Store);

    EXPECT_TRUE(e.Labeler.ToggleShowData());
    ASSERT_NE(e.Doc().Fill, nullptr);
    EXPECT_EQ(FillFields(shown->GetText(), *e.Doc().Fill), QStringLiteral("Bottle 0017"));
    EXPECT_EQ(shown->GetText(), QStringLiteral("Bottle ${n:4}"));
    EXPECT_FALSE(e.Labeler.ToggleShowData());
    EXPECT_EQ(e.Doc().Fill, nullptr);
}
