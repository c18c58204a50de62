#pragma once
// The small borderless window with a titled bar that stays on top of its owner while files
// are loaded or saved and sheets are printed. One is made at start-up and installed for the model.

#include "platform/progress.h"

#include <QWidget>

class QGroupBox;
class QProgressBar;
class QPushButton;

class Tprogresswindow : public QWidget, public Tprogressreport {
    Q_OBJECT

public:
    // Centred on owner (or on its screen without one) whenever it is shown.
    explicit Tprogresswindow(QWidget *owner = nullptr);
    // Uninstalls itself when it is the installed progress window.
    ~Tprogresswindow() override;

    int32_t GetMaximum() const { return Maximum; }
    int32_t GetPosition() const { return Position; }
    double GetFraction() const { return Fraction; }
    QString GetCaption() const;

    // Tprogressreport
    void BeginProgress(const QString &caption, int32_t maximum) override;
    void StepProgress() override;
    void SetProgressCaption(const QString &text) override;
    void SetProgressFraction(double fraction) override;
    void SetProgressPosition(int32_t position) override;
    void ShowProgress() override;
    void HideProgress() override;
    // While Cancel is offered the window is modal, so that a press on it is the only input the
    // application takes while the work asks.
    void OfferCancel() override;
    bool Cancelled() override;

    QGroupBox *GroupBox1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *btn_cancel = nullptr;

protected:
    // Base
    void showEvent(QShowEvent *event) override;

private:
    void ShowOnBar();
    void CentreOnOwner();

    QWidget *Owner = nullptr;
    int32_t Maximum = 1000;
    int32_t Position = 0;
    double Fraction = 0;
    bool CancelPressed = false;
};
