// The template editor's logic: the automatic layout and its limit, the spot fields and the focus
// rule, single spots, marking by clicks on the preview, loading the fields, "OK" and "RESET".

#include "common/fakes.h"
#include "common/testsupport.h"
#include "editing/templateeditor.h"
#include "platform/messages.h"

#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {

const QStringList SixSpots{"0.40,0.40", "4.20,0.40", "0.40,3.80", "4.20,3.80", "0.40,7.20", "4.20,7.20"};

// A template with a project attached, shown in the editor with a 600 x 450 preview.
struct TEditing {
    tlabeltemplate Template;
    Tdrawlist Project;
    Ttemplateeditor Editor;

    TEditing()
    {
        Project.SetTemplate(&Template);
        Editor.SetPreviewSize(600, 450);
        Editor.SetEditedTemplate(&Template);
        Editor.Shown();
    }
    ~TEditing() { Editor.Closed(); }

    void SetLayout(int32_t columns, int32_t rows)
    {
        Editor.LayoutFieldChanged(TLayoutField::Columns, columns, columns);
        Editor.LayoutFieldChanged(TLayoutField::Rows, rows, rows);
    }
    double Width(int32_t spot) const { return Template.Geometry.GetSpot(spot)->SpotWidth; }
};

} // namespace

TEST(TemplateEditor, GoLaysOutRowByRowButNeverMoreSpotsThanAFileHolds)
{
    struct Case {
        int32_t Columns, Rows;
        int32_t Spots; // -1: refused, the six spots of the first values stay
    };
    const Case cases[] = {
        {2, 3, 6},    {2, 0, 0},     {0, 3, 0},
        {-2, -3, 0},  {10, 10, 100}, {1, 100, 100},
        {11, 10, -1}, {101, 1, -1},  {2000000000, 2000000000, -1},
    };
    for (const Case &c : cases) {
        // Grids that reach off the page are kept when asked (larger ones ask).
        TMessageRecorder answers({}, mrOk);
        TEditing e;
        ASSERT_TRUE(e.Editor.Go());
        e.SetLayout(c.Columns, c.Rows);
        EXPECT_EQ(e.Editor.Go(), c.Spots >= 0) << c.Columns << "x" << c.Rows;
        EXPECT_EQ(e.Template.Geometry.Count(), c.Spots >= 0 ? c.Spots : 6) << c.Columns << "x" << c.Rows;
        EXPECT_EQ(e.Template.Geometry.LayoutColumns, c.Spots >= 0 ? c.Columns : 2);
        EXPECT_EQ(e.Editor.IsLayoutTouched(), c.Spots < 0);
        EXPECT_EQ(answers.Texts.size(), c.Spots >= 0 && c.Spots <= 6 ? 0u : 1u) << c.Columns << "x" << c.Rows;
    }
    TEditing e;
    e.Editor.Go();
    EXPECT_EQ(e.Editor.GetSpotItems(), SixSpots);
    // The attached project follows.
    EXPECT_DOUBLE_EQ(e.Project.GetLabelHeight(), 3.0);
}

TEST(TemplateEditor, SpotFieldsChangeTheSelectedSpotOrEverySpotWhileFocused)
{
    struct Case {
        int32_t Tag;
        bool Focused;
        int32_t Selected;
        QString Second; // the second spot's entry
        double Width;   // of every spot
        uint8_t LayoutValid;
    };
    const Case cases[] = {
        {sfWidth, true, 1, "4.20,0.40", 2.5, 1},  {sfHeight, true, 1, "4.20,0.40", 3.4, 1},
        {sfLeft, true, 1, "2.50,0.40", 3.4, 0},   {sfTop, true, 1, "4.20,2.50", 3.4, 0},
        {sfLeft, false, 1, "4.20,0.40", 3.4, 1},  // put there by the program
        {sfWidth, true, -1, "4.20,0.40", 3.4, 1}, // no spot selected
        {7, true, 1, "4.20,0.40", 3.4, 1},
    };
    for (const Case &c : cases) {
        TEditing e;
        e.Editor.Go();
        e.Editor.SpotListClicked(c.Selected);
        e.Editor.SpotFieldChanged(c.Tag, 2.5, c.Focused);
        EXPECT_EQ(e.Editor.GetSpotItems()[1], c.Second) << c.Tag << c.Focused;
        EXPECT_EQ(e.Width(0), c.Width) << c.Tag << c.Focused;
        EXPECT_EQ(e.Template.Geometry.LayoutValid, c.LayoutValid) << c.Tag << c.Focused;
        EXPECT_DOUBLE_EQ(e.Project.GetLabelWidth(), c.Width);
    }
}

TEST(TemplateEditor, SingleLabelsAreAddedUpToAFullSheetAndRemovedBySelection)
{
    TMessageRecorder answers({}, mrOk);
    TEditing e;
    e.Editor.Go();
    ASSERT_TRUE(e.Editor.AddSingleLabel());
    EXPECT_EQ(e.Editor.GetSpotItems().last(), "7.00,7.00");
    EXPECT_EQ(e.Editor.GetSelectedSpot(), 6);
    EXPECT_EQ(e.Editor.GetSpotValues().Width, 2.25);
    EXPECT_EQ(e.Template.GetLabelHeight(), 2.25);

    e.Editor.SpotListClicked(1);
    e.Editor.RemoveSelectedLabel();
    EXPECT_EQ(e.Editor.GetSpotItems()[1], "0.40,3.80");
    EXPECT_EQ(e.Editor.GetSelectedSpot(), 1);

    while (e.Template.Geometry.Count() < MaxSpots)
        ASSERT_TRUE(e.Editor.AddSingleLabel());
    // Each spot from (7, 7) inches on lies partly off the page, and was kept when asked: the
    // first one added above, and every one added after the removal.
    const size_t questions = answers.Texts.size();
    EXPECT_EQ(questions, size_t(1 + MaxSpots - 6));
    EXPECT_FALSE(e.Editor.AddSingleLabel());
    EXPECT_EQ(e.Template.Geometry.Count(), MaxSpots);
    ASSERT_EQ(answers.Texts.size(), questions + 1);
    EXPECT_TRUE(answers.Texts.back().startsWith("A template holds at most"));
}

TEST(TemplateEditor, AClickOnThePreviewMarksEverySpotUnderItAndSelectsTheLast)
{
    TEditing e;
    e.Editor.AddSingleLabel(); // 1 .. 3.25 inches both ways
    e.Editor.AddSingleLabel(); // 2 .. 4.25
    const double scale = e.Editor.GetPreviewScale();
    ASSERT_DOUBLE_EQ(scale, 450 / 11.0 * 0.95);
    ASSERT_EQ(e.Editor.GetPreviewOrigin(), (TPoint{135, 11}));
    const auto at = [&](double inches) {
        return TPoint{135 + int(inches * scale), 11 + int(inches * scale)};
    };

    struct Case {
        double At;
        bool First, Second;
        int32_t Selected;
    };
    const Case cases[] = {
        {2.5, true, true, 1}, {1.5, true, false, 0}, {4, false, true, 1}, {5, false, false, 1}};
    for (const Case &c : cases) {
        e.Editor.PreviewMouseDown(at(c.At));
        EXPECT_EQ(e.Template.Geometry.GetSpot(0)->Marked, c.First) << c.At;
        EXPECT_EQ(e.Template.Geometry.GetSpot(1)->Marked, c.Second) << c.At;
        EXPECT_EQ(e.Editor.GetSelectedSpot(), c.Selected) << c.At;
    }

    // The page in silver; the label white, tinted blue where its spot is marked.
    e.Editor.PreviewMouseDown(at(1.5));
    const QImage &preview = e.Editor.GetPreview();
    EXPECT_EQ(PixelAt(preview, at(5).X, at(5).Y), RGB(192, 192, 192));
    EXPECT_EQ(PixelAt(preview, at(4).X, at(4).Y), clWhite);
    EXPECT_EQ(PixelAt(preview, at(1.5).X, at(1.5).Y), RGB(188, 188, 255));
}

TEST(TemplateEditor, ShowingLoadsTheLayoutAndTheTemplatesOwnDescription)
{
    struct Case {
        QString Title;
        uint8_t LayoutValid;
        QString Description; // also the template's title afterwards
        int32_t Columns;
    };
    const Case cases[] = {
        {"", 1, "Description", 4},
        {"Avery 5160", 1, "Avery 5160", 4},
        {"Avery 5160", 0, "Avery 5160", 2}, // the layout fields keep what they showed
        {"", 0, "", 2},
    };
    for (const Case &c : cases) {
        TEditing e;
        e.Template.Title = c.Title;
        e.Template.Geometry.LayoutColumns = 4;
        e.Template.Geometry.LayoutValid = c.LayoutValid;
        e.Editor.LayoutFieldEntered();
        e.Editor.Shown();
        EXPECT_EQ(e.Editor.GetDescription(), c.Description) << c.Title.toStdString();
        EXPECT_EQ(e.Template.Title, c.Description) << c.Title.toStdString();
        EXPECT_EQ(e.Editor.GetLayout().Columns, c.Columns) << c.Title.toStdString();
        EXPECT_FALSE(e.Editor.IsLayoutTouched());
    }
}

TEST(TemplateEditor, OkAsksBeforeLeavingAnUnappliedLayout)
{
    struct Case {
        bool Touched;
        int Answer;
        bool Closes;
        int32_t Spots;
    };
    const Case cases[] = {
        {false, mrYes, true, 0}, {true, mrYes, true, 6}, {true, mrNo, true, 0}, {true, mrCancel, false, 0}};
    for (const Case &c : cases) {
        TMessageRecorder answers({}, c.Answer);
        TEditing e;
        if (c.Touched)
            e.SetLayout(2, 3);
        EXPECT_EQ(e.Editor.Ok(), c.Closes) << c.Answer;
        EXPECT_EQ(e.Template.Geometry.Count(), c.Spots) << c.Answer;
        EXPECT_EQ(answers.Texts,
                  c.Touched ? std::vector<QString>{"Do you want to apply the automatic layout you have "
                                                   "selected before continuing?"}
                            : std::vector<QString>{});
    }
}

TEST(TemplateEditor, ResetBringsBackTheSheetOfTheShowingButNotTheDescription)
{
    TEditing e;
    e.Editor.Go();
    e.Editor.Shown();
    e.SetLayout(3, 1);
    e.Editor.Go();
    e.Editor.OrientationClicked(1);
    e.Editor.DescriptionChanged("Changed");
    e.Editor.Reset();
    EXPECT_EQ(e.Editor.GetSpotItems(), SixSpots);
    EXPECT_EQ(e.Template.Geometry.Orientation, 0);
    EXPECT_EQ(e.Editor.GetShownOrientation(), 0);
    EXPECT_EQ(e.Template.Geometry.LayoutColumns, 2);
    EXPECT_EQ(e.Editor.GetLayout().Columns, 2);
    EXPECT_EQ(e.Template.Title, "Changed");
}

TEST(TemplateEditor, LayoutsOffThePageOrWithoutSizeAreDrawnWithoutHarm)
{
    struct Case {
        double Margin, Gutter, Width;
    };
    const Case cases[] = {{0.4, 0.4, -3.4},      {0.4, 0.4, 0},      {-20, 0.4, 3.4},
                          {1e300, 1e300, 1e300}, {0, -1e308, 1e308}, {-1e9, 1e9, 1e7}};
    for (const Case &c : cases) {
        TMessageRecorder keep({}, mrOk);
        TEditing e;
        e.SetLayout(10, 10);
        for (TLayoutField f : {TLayoutField::LeftMargin, TLayoutField::TopMargin})
            e.Editor.LayoutFieldChanged(f, c.Margin, 0);
        for (TLayoutField f : {TLayoutField::HGutter, TLayoutField::VGutter})
            e.Editor.LayoutFieldChanged(f, c.Gutter, 0);
        for (TLayoutField f : {TLayoutField::LabelWidth, TLayoutField::LabelHeight})
            e.Editor.LayoutFieldChanged(f, c.Width, 0);
        ASSERT_TRUE(e.Editor.Go());
        e.Editor.PreviewMouseDown({300, 200});
        EXPECT_EQ(e.Template.Geometry.Count(), 100) << c.Width;
        EXPECT_EQ(e.Template.Geometry.LayoutLabelWidth, c.Width);
        EXPECT_LE(std::abs(e.Project.GetLabelWidth()), MaxTemplateInches) << c.Width;
    }
}

TEST(TemplateEditor, AFieldWithoutANumberNamesItselfAndGoChangesNothing)
{
    struct Case {
        TLayoutField Field;
        const char *Message;
    };
    const Case cases[] = {{TLayoutField::LeftMargin, "Left Margin must be a number in inches"},
                          {TLayoutField::LabelHeight, "Label Height must be a number in inches"},
                          {TLayoutField::Columns, "Columns must be a whole number"}};
    for (const Case &c : cases) {
        TMessageRecorder answers({}, mrCancel);
        TEditing e;
        e.Editor.Go();
        const QStringList before = e.Editor.GetSpotItems();
        e.SetLayout(3, 3);
        e.Editor.LayoutFieldChanged(TLayoutField::LabelWidth, 2.0, 2);
        e.Editor.LayoutFieldChanged(TLayoutField::LabelHeight, 2.0, 2);
        e.Editor.SetLayoutFieldValid(c.Field, false);
        EXPECT_FALSE(e.Editor.Go());
        EXPECT_THAT(answers.Texts, ElementsAre(QString::fromLatin1(c.Message)));
        EXPECT_EQ(e.Editor.GetSpotItems(), before);
        e.Editor.SetLayoutFieldValid(c.Field, true);
        EXPECT_TRUE(e.Editor.Go());
        EXPECT_EQ(e.Template.Geometry.Count(), 9);
    }
}

TEST(TemplateEditor, SpotsOffThePageAreKeptOnlyWhenTheUserSaysSo)
{
    struct Case {
        int Answer;
        int32_t Spots;
    };
    // Three columns of 3.5-inch labels reach past 8.5 inches: Cancel keeps the sheet as it was.
    for (const Case &c : {Case{mrCancel, 6}, Case{mrOk, 9}}) {
        TMessageRecorder answers({}, c.Answer);
        TEditing e;
        e.Editor.Go();
        const double width = e.Template.GetLabelWidth();
        e.SetLayout(3, 3);
        e.Editor.LayoutFieldChanged(TLayoutField::LabelWidth, 3.5, 3);
        EXPECT_EQ(e.Editor.Go(), c.Answer == mrOk);
        EXPECT_THAT(answers.Texts,
                    ElementsAre(QStringLiteral("3 labels lie partly off the 8.5 \u00d7 11 in page. "
                                               "Keep them?")));
        EXPECT_EQ(e.Template.Geometry.Count(), c.Spots);
        EXPECT_EQ(e.Template.GetLabelWidth(), c.Answer == mrOk ? 3.5 : width);
        EXPECT_EQ(SpotsOffThePage(e.Template.Geometry), c.Answer == mrOk ? 3 : 0);
    }
}

TEST(TemplateEditor, ThePreviewShowsThePageAndEverySpotOffIt)
{
    TMessageRecorder keep({}, mrOk);
    TEditing e;
    e.SetLayout(3, 1);
    e.Editor.LayoutFieldChanged(TLayoutField::LabelWidth, 3.5, 3);
    ASSERT_TRUE(e.Editor.Go());
    // The third spot ends at 12.2 inches: the preview is scaled so that it shows whole.
    const QImage &preview = e.Editor.GetPreview();
    const double scale = e.Editor.GetPreviewScale();
    const TPoint origin = e.Editor.GetPreviewOrigin();
    const double right = 0.4 + 3 * 3.5 + 2 * 0.4;
    EXPECT_LE(origin.X + right * scale, preview.width());
    EXPECT_GE(origin.X, 0);
    EXPECT_LE(origin.Y + 11 * scale, preview.height());
    // A click on the third spot, beyond the page, selects it.
    e.Editor.PreviewMouseDown({int(origin.X + (right - 1) * scale), int(origin.Y + 1.5 * scale)});
    EXPECT_EQ(e.Editor.GetSelectedSpot(), 2);
}
