// The template editor window's wiring: the modal showing for a template and its project, Enter in
// a layout field, clicks on the preview, typing into the spot's fields, the question on "OK".

#include "common/fakes.h"
#include "document/labeltemplate.h"
#include "platform/messages.h"
#include "templateeditor/templateeditorwindow.h"
#include "widgets/drawpanel.h"
#include "widgets/numedit.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>

namespace {

void TypeInto(TnumEdit *field, const char *text)
{
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    QTest::keyClicks(field, text);
}

} // namespace

TEST(TemplateEditorWindow, EditsATemplateModallyAndTheProjectTakesItsSize)
{
    TMessageRecorder answers({}, mrCancel);
    tlabeltemplate t;
    Tdrawlist project;
    project.SetTemplate(&t);
    Tfrm_templateeditor window;
    QTimer::singleShot(0, &window, [&] {
        QApplication::setActiveWindow(&window);
        // Four rows of 2.3-inch labels fit the page.
        TypeInto(window.ed_labelheight, "2.3");
        TypeInto(window.ed_rows, "4");
        QTest::keyClick(window.ed_rows, Qt::Key_Return);
        EXPECT_EQ(window.lb_geom->count(), 8);

        // A click on the third spot selects and marks it and shows its values.
        const Ttemplateeditor &logic = window.Logic();
        const TPoint origin = logic.GetPreviewOrigin();
        const double scale = logic.GetPreviewScale();
        QTest::mouseClick(window.img_preview, Qt::LeftButton, {},
                          QPoint(origin.X + int(1.0 * scale), origin.Y + int(4.0 * scale)));
        EXPECT_EQ(window.lb_geom->currentRow(), 2);
        EXPECT_TRUE(t.Geometry.GetSpot(2)->Marked);
        EXPECT_EQ(window.ed_top->text(), "3.1000");

        // Typed with the focus, a width goes to every spot; a text that is no number is ignored.
        TypeInto(window.ed_width, "2.5");
        TypeInto(window.ed_width, "x");
        window.btn_ok->click();
        if (window.isVisible())
            window.reject(); // never left waiting
    });
    EXPECT_EQ(window.EditTemplate(t, &project), QDialog::Accepted);
    EXPECT_EQ(t.Geometry.Count(), 8);
    EXPECT_EQ(t.Geometry.GetSpot(7)->SpotWidth, 2.5);
    EXPECT_TRUE(answers.Texts.empty()); // the layout was applied: no question
    EXPECT_DOUBLE_EQ(project.GetLabelWidth(), 2.5);
}

TEST(TemplateEditorWindow, OkAfterEnteringRowsAsksAndCancelKeepsTheWindowOpen)
{
    tlabeltemplate t;
    Tfrm_templateeditor window;
    window.SetEditedTemplate(&t);
    window.show();
    QApplication::setActiveWindow(&window);
    QTest::mouseClick(window.ed_rows, Qt::LeftButton);
    {
        TMessageRecorder cancel({}, mrCancel);
        QTest::mouseClick(window.btn_ok, Qt::LeftButton);
        EXPECT_EQ(cancel.Texts.size(), 1u);
        EXPECT_TRUE(window.isVisible());
    }
    TMessageRecorder no({}, mrNo);
    QTest::mouseClick(window.btn_ok, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(t.Geometry.Count(), 0);
}

TEST(TemplateEditorWindow, ATextThatIsNoNumberStopsGoAndEveryFieldShowsALongValue)
{
    TMessageRecorder answers({}, mrOk);
    tlabeltemplate t;
    Tfrm_templateeditor window;
    window.SetEditedTemplate(&t);
    window.show();
    QApplication::setActiveWindow(&window);
    window.btn_auto->click();
    ASSERT_EQ(t.Geometry.Count(), 6);
    TypeInto(window.ed_lmargin, "abc");
    TypeInto(window.ed_columns, "3");
    window.btn_auto->click();
    EXPECT_EQ(answers.Texts.back(), QStringLiteral("Left Margin must be a number in inches"));
    EXPECT_EQ(t.Geometry.Count(), 6);
    TypeInto(window.ed_lmargin, "0.25");
    TypeInto(window.ed_labelwidth, "2.5");
    window.btn_auto->click();
    EXPECT_EQ(t.Geometry.Count(), 9);
    for (TnumEdit *field : window.findChildren<TnumEdit *>()) {
        const int needed = field->fontMetrics().horizontalAdvance(QStringLiteral("10.0000"));
        EXPECT_GE(field->contentsRect().width() - field->textMargins().left() - field->textMargins().right(),
                  needed)
            << field->objectName().toStdString();
    }
    window.hide();
}
