#pragma once
// The about box: the program's name and version, a notice, and a link to the maker's web page.

#include <QDialog>

class QLabel;
class QPushButton;

// The maker's web page, which the comment line opens.
extern const char *const MakerWebAddress;

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // "Version: " and the version text.
    void SetVersion(const QString &version);

    QLabel *ProductName;
    QLabel *lbl_version;
    QLabel *Copyright;
    QLabel *Comments;
    QPushButton *OKButton;

protected:
    // Base
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OpenWebPage();
};
