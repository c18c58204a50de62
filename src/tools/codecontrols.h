#pragma once
// The tool window's code panel: the symbology list, the data box, the QR code's level, the
// human-readable text, the colour, and what the panel says of the data. A shell over Tcodepanel:
// the controls call it, and Refresh shows what it holds.

#include "editing/codepanel.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class Tcodecontrols : public QWidget {
    Q_OBJECT

public:
    // pickColor asks for a colour starting with the one given and hands a chosen one on.
    Tcodecontrols(Tcodepanel &logic,
                  std::function<void(TColor initial, std::function<void(TColor)>)> pickColor,
                  QWidget *parent);

    void Refresh();

    QComboBox *cb_symbology = nullptr;
    QLineEdit *ed_codedata = nullptr;
    QComboBox *cb_qrlevel = nullptr;
    QCheckBox *chk_showtext = nullptr;
    QPushButton *btn_codecolor = nullptr;
    QLabel *img_codeswatch = nullptr;
    QLabel *lbl_codemessage = nullptr;
    QWidget *band_qrlevel = nullptr;

private:
    Tcodepanel &Logic;
};
