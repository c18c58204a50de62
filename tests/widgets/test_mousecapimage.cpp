#include "widgets/mousecapimage.h"

#include <gmock/gmock.h>

namespace {

// Two shown image controls, as on a form.
struct TTwoImages {
    QWidget Form;
    Tmousecapimage *First = new Tmousecapimage(&Form); // owned by Form
    Tmousecapimage *Second = new Tmousecapimage(&Form);

    TTwoImages()
    {
        Form.resize(100, 50);
        First->setGeometry(0, 0, 50, 50);
        Second->setGeometry(50, 0, 50, 50);
        Form.show();
    }
    ~TTwoImages()
    {
        if (QWidget *grabber = QWidget::mouseGrabber())
            grabber->releaseMouse();
    }
};

} // namespace

TEST(MouseCapImage, SettingAndClearingCaptureTogglesTheGrabber)
{
    TTwoImages form;
    ASSERT_EQ(QWidget::mouseGrabber(), nullptr);
    form.First->SetMousecapture(true);
    EXPECT_EQ(QWidget::mouseGrabber(), form.First);
    EXPECT_TRUE(form.First->GetMousecapture());
    form.First->SetMousecapture(false);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_FALSE(form.First->GetMousecapture());
}

TEST(MouseCapImage, CaptureMovesBetweenControlsAndIsOnlyReleasedByItsHolder)
{
    TTwoImages form;
    form.First->SetMousecapture(true);
    form.Second->SetMousecapture(true);
    EXPECT_FALSE(form.First->GetMousecapture());
    EXPECT_TRUE(form.Second->GetMousecapture());
    // Clearing it on a control that lost the capture leaves the holder alone.
    form.First->SetMousecapture(false);
    EXPECT_EQ(QWidget::mouseGrabber(), form.Second);
}

TEST(MouseCapImage, FormsReachCaptureThroughItsProperty)
{
    TTwoImages form;
    EXPECT_TRUE(form.First->setProperty("mousecapture", true));
    EXPECT_EQ(QWidget::mouseGrabber(), form.First);
    EXPECT_EQ(form.First->property("mousecapture"), QVariant(true));
    EXPECT_TRUE(form.First->setProperty("mousecapture", false));
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}
