#include "widgets/messagebox.h"

#include <QMessageBox>
#include <QPushButton>

namespace {
QMessageBox::Icon BoxIcon(TMsgIcon icon)
{
    switch (icon) {
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Information:
        return QMessageBox::Information;
    case TMsgIcon::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QString MessageBoxTitle(TMsgIcon icon)
{
    switch (icon) {
    case TMsgIcon::Error:
        return QStringLiteral("Error");
    case TMsgIcon::Warning:
        return QStringLiteral("Warning");
    case TMsgIcon::Information:
        return QStringLiteral("Information");
    case TMsgIcon::Confirmation:
        return QStringLiteral("Confirm");
    }
    return {};
}

int ShowMessageBox(const QString &text, TMsgIcon icon, TMsgButtons buttons)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(BoxIcon(icon), MessageBoxTitle(icon), shown);
    switch (buttons) {
    case TMsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case TMsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case TMsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return mrOk;
    case QMessageBox::Yes:
        return mrYes;
    case QMessageBox::No:
        return mrNo;
    default:
        return buttons == TMsgButtons::Ok ? mrOk : mrCancel;
    }
}
