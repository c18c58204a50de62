#pragma once
// The template editor window: a sizeable tool window over Ttemplateeditor. It shows the spot
// list, the selected spot's fields, the sheet's preview, the automatic layout's fields behind a
// splitter, the page orientation and the description, and hands every event to the logic.

#include "editing/templateeditor.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class QButtonGroup;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QToolButton;
class TnumEdit;
class Tdrawlist;
class Tregistryex;
class Tvnldrawpanel;

// The arrows beside a count field: each step sets the field's whole number one up or down,
// within 0 .. 100, as do the Up and Down keys in the field.
class TUpDown : public QWidget {
    Q_OBJECT

public:
    TUpDown(TnumEdit *buddy, QWidget *parent);

    void Step(int32_t by);

protected:
    // Base
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TnumEdit *Buddy;
};

class Tfrm_templateeditor : public QDialog {
    Q_OBJECT

public:
    explicit Tfrm_templateeditor(QWidget *parent = nullptr);
    ~Tfrm_templateeditor() override;

    // Edits t (nullptr: the window's own template).
    void SetEditedTemplate(tlabeltemplate *t);
    // "Edit Template": edits t while the window shows modally, then gives the document attached
    // to t (when there is one) the template's label size, whatever the result. 1 after "OK".
    int EditTemplate(tlabeltemplate &t, Tdrawlist *document);

    Ttemplateeditor &Logic() { return FLogic; }

    // The template's spots or label size changed: the application repaints the label's windows.
    std::function<void()> OnTemplateChanged;

    // Base
    void done(int result) override;

    // Controls, named as the window knows them.
    QPlainTextEdit *mem_descr;
    TnumEdit *ed_left;
    TnumEdit *ed_top;
    QPushButton *btn_addsingle;
    QPushButton *btn_remove;
    QListWidget *lb_geom;
    Tvnldrawpanel *img_preview;
    QSplitter *spl_right;
    TnumEdit *ed_lmargin;
    TnumEdit *ed_Tmargin;
    TnumEdit *ed_columns;
    TnumEdit *ed_rows;
    TnumEdit *ed_hgutter;
    TnumEdit *ed_vgutter;
    TnumEdit *ed_labelwidth;
    TnumEdit *ed_labelheight;
    QPushButton *btn_auto;
    TnumEdit *ed_width;
    TnumEdit *ed_height;
    QButtonGroup *rg_orientation;
    QRadioButton *rb_portrait;
    QRadioButton *rb_landscape;
    QPushButton *btn_reset;
    QPushButton *btn_ok;

protected:
    // Base
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *MakeLeftColumn();
    QWidget *MakeRightColumn();
    QWidget *MakeBottomBar();
    TnumEdit *MakeLengthField(const char *name, double value);
    TnumEdit *MakeField(const char *name, int32_t precision, double value);
    void WireLayoutField(TnumEdit *field, TLayoutField which);
    void WireSpotField(TnumEdit *field, int32_t tag);
    void ShowParts(uint32_t parts);
    void ShowSpotList(bool entries);

    Ttemplateeditor FLogic;
    std::array<TnumEdit *, 8> LayoutFields{};
    bool ShowingParts = false;
    // Opened on the editor's own key; no value is kept there yet.
    std::unique_ptr<Tregistryex> Store;
};
