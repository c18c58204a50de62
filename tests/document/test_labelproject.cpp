// A project with its template as one pair: opened, made new from a template and saved the same
// way by the editor, the export and the tools.

#include "filetestsupport.h"

#include "document/labelproject.h"
#include "document/shape.h"
#include "platform/errors.h"

#include <QFile>

namespace {
// A 3 x 2 inch template with one spot and one starter shape, saved among the program's templates.
QString SaveStock(const QString &programDir)
{
    tlabeltemplate stock;
    SetUpLabel(stock, 3.0, 2.0);
    stock.Geometry.Add(Spot(1, 1, 3.0, 2.0));
    auto starter = std::make_unique<Tvnlshape>();
    starter->SetBounds({100100, 100100, 100500, 100500});
    stock.StarterObjects.AddObject(std::move(starter));
    const QString path = programDir + QStringLiteral("/templates/Oval.wlt");
    stock.SaveToFile(path);
    return path;
}
} // namespace

using LabelProject = TFileTest;

TEST_F(LabelProject, ANewLabelHasTheTemplatesStarterObjectsSelectedAndSavesWithItsReference)
{
    const QString stock = SaveStock(ProgramDir());
    Tlabelproject label;
    EXPECT_EQ(label.Project().GetTemplate(), &label.Template());
    EXPECT_EQ(label.Project().GetLabelWidth(), NewLabelWidth);
    label.Project().AddObject(std::make_unique<Tvnlshape>());
    label.NewFrom(stock);
    EXPECT_EQ(label.Project().Count(), 1);
    EXPECT_EQ(label.Project().SelectedCount(), 1);
    EXPECT_TRUE(label.Project().GetFileName().isEmpty());
    EXPECT_EQ(label.Project().GetLabelWidth(), 3.0);

    label.Project().SetModified(true);
    const QString saved = Path(QStringLiteral("label.wlp"));
    label.Save(saved);
    EXPECT_FALSE(label.Project().IsModified());

    // Opened again, it finds the template beside the program and holds what was saved.
    Tlabelproject again;
    ASSERT_TRUE(again.CanOpenProject(saved));
    ASSERT_TRUE(again.Open(saved));
    EXPECT_FALSE(again.TemplateMissing());
    EXPECT_EQ(again.Project().TemplateFile, QStringLiteral("templates\\Oval.wlt"));
    EXPECT_EQ(again.Template().GetFileName(), stock);
    EXPECT_EQ(again.Project().GetLabelHeight(), 2.0);
    ASSERT_EQ(again.Project().Count(), 1);
    EXPECT_EQ(again.Project().GetObject(0)->GetBounds(), label.Project().GetObject(0)->GetBounds());
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('\n').toStdString();
}

TEST_F(LabelProject, WhatCannotBeOpenedSaysWhyAndATemplateNotFoundIsMissing)
{
    const QString stock = SaveStock(ProgramDir());
    const QString project = Path(QStringLiteral("label.wlp"));
    {
        Tlabelproject label;
        label.OpenTemplate(stock);
        label.Save(project);
    }
    WriteWholeFile(Path(QStringLiteral("empty.wlp")), {});
    Tlabelproject label;
    // A template is not a project, nor the other way round; an empty file is neither.
    EXPECT_FALSE(label.CanOpenProject(stock));
    EXPECT_FALSE(label.CanOpenTemplate(project));
    EXPECT_FALSE(label.CanOpenTemplate(Path(QStringLiteral("empty.wlp"))));
    EXPECT_EQ(Messages.size(), 3);
    EXPECT_THROW(label.CanOpenProject(Path(QStringLiteral("gone.wlp"))), EOSError);
    EXPECT_FALSE(label.Open(Path(QStringLiteral("empty.wlp"))));

    // The template moved away: the user is asked, says Cancel, and the project has none.
    QFile::remove(stock);
    Messages.clear();
    Answers = {mrCancel};
    ASSERT_TRUE(label.Open(project));
    EXPECT_TRUE(label.TemplateMissing());
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_THAT(Messages[0].toStdString(), testing::StartsWith("The template for this label project"));
    label.ClearProject();
    EXPECT_EQ(label.Project().Count(), 0);
    EXPECT_EQ(label.Project().GetTemplate(), &label.Template());
}
