#pragma once
// The start-up dialog: a dialog showing its picture (the money-green corners take the window's
// colour) offering a new label, a saved label, and under the picture the last saved label.

#include <QDialog>
#include <QImage>
#include <functional>

class QPushButton;

// The colour of the picture that is cut out of the window.
constexpr QRgb MoneyGreen = 0xFFC0DCC0; // red 192, green 220, blue 192

class Tfrm_startup : public QDialog {
    Q_OBJECT

public:
    explicit Tfrm_startup(QWidget *parent = nullptr);

    // Centres the dialog on its owner before it is shown.
    void CentreOn(const QWidget &owner);

    // The name of the last saved label without folder and extension; empty when there is none.
    QString RecentLabelName;
    // Each button closes the dialog (accepted) and then runs its callback.
    std::function<void(Tfrm_startup *)> OnNewLabel;
    std::function<void(Tfrm_startup *)> OnOpenLabel;
    std::function<void(Tfrm_startup *)> OnOpenRecentLabel;

    QPushButton *Button1;
    QPushButton *Button2;
    QPushButton *btn_recent;

protected:
    // Base
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void ButtonClicked(const std::function<void(Tfrm_startup *)> &callback);

    QImage Background;
};
