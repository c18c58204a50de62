#include "widgets/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>

namespace {

// Runs action on the message box as soon as it shows.
void WhenBoxShown(std::function<void(QMessageBox &)> action)
{
    auto *poll = new QTimer; // deletes itself
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                poll->stop();
                poll->deleteLater();
                action(*box);
                return;
            }
    });
    poll->start();
}

} // namespace

TEST(MessageBox, IconsTitlesButtonsAndResults)
{
    struct Case {
        TMsgIcon Icon;
        TMsgButtons Buttons;
        QMessageBox::StandardButton Press; // NoButton: Escape
        QMessageBox::Icon ShownIcon;
        const char *Title;
        int Result;
    };
    const Case cases[] = {
        {TMsgIcon::Error, TMsgButtons::Ok, QMessageBox::Ok, QMessageBox::Critical, "Error", mrOk},
        {TMsgIcon::Warning, TMsgButtons::Ok, QMessageBox::NoButton, QMessageBox::Warning, "Warning", mrOk},
        {TMsgIcon::Information, TMsgButtons::OkCancel, QMessageBox::Cancel, QMessageBox::Information,
         "Information", mrCancel},
        {TMsgIcon::Information, TMsgButtons::OkCancel, QMessageBox::NoButton, QMessageBox::Information,
         "Information", mrCancel},
        {TMsgIcon::Confirmation, TMsgButtons::YesNoCancel, QMessageBox::Yes, QMessageBox::Question, "Confirm",
         mrYes},
        {TMsgIcon::Confirmation, TMsgButtons::YesNoCancel, QMessageBox::No, QMessageBox::Question, "Confirm",
         mrNo},
        {TMsgIcon::Confirmation, TMsgButtons::YesNoCancel, QMessageBox::NoButton, QMessageBox::Question,
         "Confirm", mrCancel},
    };
    for (const Case &c : cases) {
        WhenBoxShown([c](QMessageBox &box) {
            EXPECT_EQ(box.windowTitle(), QString::fromLatin1(c.Title));
            EXPECT_EQ(box.icon(), c.ShownIcon);
            EXPECT_EQ(box.text(), QStringLiteral("Would you like to save before exiting?\nReally"));
            if (c.Press == QMessageBox::NoButton)
                QTest::keyClick(&box, Qt::Key_Escape);
            else
                box.button(c.Press)->click();
        });
        EXPECT_EQ(ShowMessageBox(QStringLiteral("Would you like to save before exiting?\r\nReally"), c.Icon,
                                 c.Buttons),
                  c.Result)
            << c.Title;
    }
}
