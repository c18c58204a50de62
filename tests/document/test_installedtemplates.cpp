// Where an installed program finds its stock templates: a project names one the same way in the
// build tree and in every installation, and the template dialogs start among them.

#include "filetestsupport.h"

#include "platform/platform.h"

#include <QDir>
#include <QFile>

namespace {

// The program as installed in <prefix>/bin, its data in <prefix>/share/ambrelo.
class InstalledTemplates : public TFileTest {
protected:
    void SetUp() override
    {
        TFileTest::SetUp();
        ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("usr/bin")));
        ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("usr/share/ambrelo/templates")));
        ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("mine")));
        SetProgramFolder(Bin);
    }

    // Saves a project attached to a template saved at templatePath; gives the stored reference.
    QString SavedReference(const QString &templatePath)
    {
        tlabeltemplate t;
        SetUpLabel(t, 3.0, 2.0);
        t.Geometry.Add(Spot(1, 1, 3.0, 2.0));
        t.SaveToFile(templatePath);
        Tdrawlist doc;
        SetUpLabel(doc);
        doc.SetTemplate(&t);
        doc.SaveToFile(Path(QStringLiteral("label.wlp")));
        Tdrawlist reader;
        QFile file(Path(QStringLiteral("label.wlp")));
        return file.open(QIODevice::ReadOnly) && reader.LoadHeader(file) ? reader.TemplateFile : QString();
    }

    const QString Bin = Path(QStringLiteral("usr/bin"));
    const QString Stock = Path(QStringLiteral("usr/share/ambrelo/templates"));
};

} // namespace

TEST_F(InstalledTemplates, AStockTemplateIsNamedAsInTheBuildTreeAndTheUsersOwnRelativeToTheProgram)
{
    EXPECT_EQ(SavedReference(Stock + QStringLiteral("/Oval.wlt")), QStringLiteral("templates\\Oval.wlt"));
    EXPECT_EQ(SavedReference(Path(QStringLiteral("mine/Oval.wlt"))),
              QStringLiteral("..\\..\\mine\\Oval.wlt"));

    std::unique_ptr<Tfiledialog> open = CreateFileDialog(TFileDialogKind::Open);
    tlabeltemplate::SetupFileDialog(*open);
    EXPECT_EQ(open->GetInitialDir(), Stock) << "File > New starts among the stock templates";
}

TEST_F(InstalledTemplates, AProjectSavedInTheBuildTreeFindsTheInstalledStockTemplate)
{
    SetProgramFolder(ProgramDir());
    ASSERT_EQ(SavedReference(ProgramDir() + QStringLiteral("/templates/Oval.wlt")),
              QStringLiteral("templates\\Oval.wlt"));
    ASSERT_TRUE(QFile::rename(ProgramDir() + QStringLiteral("/templates/Oval.wlt"),
                              Stock + QStringLiteral("/Oval.wlt")));
    SetProgramFolder(Bin);

    tlabeltemplate t;
    SetUpLabel(t);
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.SetTemplate(&t);
    ASSERT_TRUE(doc.LoadFromFile(Path(QStringLiteral("label.wlp"))));
    EXPECT_EQ(t.GetFileName(), Stock + QStringLiteral("/Oval.wlt"));
    EXPECT_EQ(t.Geometry.Count(), 1);
    EXPECT_TRUE(Messages.isEmpty()) << "nobody was asked where the template is";
}
