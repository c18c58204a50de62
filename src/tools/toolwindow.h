#pragma once
// The tool window: a floating window captioned "Tools" above the editor window that shows one
// property panel at a time (text, image, shapes, zoom, alignment, or a caption while nothing is
// selected), a select panel and a hint line. It is a shell over Ttoolbox: its controls call the
// logic and it shows again whatever the logic reports changed. The editor window drives it
// through Logic() and shows and hides it.

#include "editing/toolbox.h"

#include <QColor>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QToolButton;
class TnumEdit;
class Tcodecontrols;
class Tdirectiondial;
class Tpicturepreview;

class Tfrm_toolbox : public QWidget {
    Q_OBJECT

public:
    // store keeps "toolboxshowhint", "imagepath" and the window's placement; it must outlive
    // the window. parent is the editor window, which the tool window stays above.
    explicit Tfrm_toolbox(Tregistryex &store, QWidget *parent = nullptr);
    ~Tfrm_toolbox() override;

    Ttoolbox &Logic() { return Toolbox; }

    // Asks for a colour, starting with initial; none when the user cancels. QColorDialog unless
    // replaced (tests answer without a dialog).
    std::function<std::optional<QColor>(const QColor &initial)> ChooseColor;
    // A key the tool window has no use for (Ctrl+Z while a button has the focus) goes to the
    // editor window, whose shortcuts then work here too; true when it was a shortcut there.
    std::function<bool(const QKeySequence &keys)> OnUnusedKey;

    // Panels, by tag (tpSelectCaption .. tpCode).
    std::array<QWidget *, 10> Panels{};
    QWidget *pnl_select = nullptr;
    QWidget *pnl_hint = nullptr;
    QLabel *lbl_hint = nullptr;
    QCheckBox *chk_showhints = nullptr;

    QComboBox *cb_fontname = nullptr;
    QComboBox *cb_fontsize = nullptr;
    QToolButton *btn_bold = nullptr, *btn_italic = nullptr, *btn_underline = nullptr;
    QToolButton *btn_left = nullptr, *btn_centre = nullptr, *btn_right = nullptr;
    QToolButton *btn_top = nullptr, *btn_middle = nullptr, *btn_bottom = nullptr;
    QPushButton *btn_textcolor = nullptr;
    QLabel *lbl_fontsample = nullptr;
    // The overset notice under the sample, shown while the selected text is cut.
    QLabel *lbl_overset = nullptr;

    Tpicturepreview *img_loadimage = nullptr;
    QPushButton *btn_changeimage = nullptr, *btn_addtolabel = nullptr, *btn_resetaspect = nullptr;

    QComboBox *cb_shape = nullptr;
    QWidget *band_sides = nullptr, *band_direction = nullptr, *band_linewidth = nullptr,
            *band_curve = nullptr, *band_square = nullptr;
    QSpinBox *upd_sides = nullptr, *upd_linewidth = nullptr, *upd_curvex = nullptr, *upd_curvey = nullptr;
    Tdirectiondial *img_direction = nullptr;
    QLineEdit *ed_direction = nullptr;
    QCheckBox *chk_drawfill = nullptr, *chk_drawline = nullptr;
    QPushButton *btn_fillcolor = nullptr, *btn_linecolor = nullptr, *btn_squaresides = nullptr;
    QLabel *img_fillswatch = nullptr, *img_linesample = nullptr;

    QSlider *tb_zoom = nullptr;
    QLabel *lbl_zoomin = nullptr, *lbl_zoomout = nullptr;

    std::array<QRadioButton *, 4> rg_aligntype{};
    QLabel *pnl_aligntype = nullptr;
    QWidget *pnl_align_side = nullptr, *tb_alignsizes = nullptr, *tb_alignorder = nullptr;
    QRadioButton *rb_move = nullptr, *rb_stretch = nullptr;
    TnumEdit *ed_align_distance = nullptr;
    // By side code (TAlignSide), then "All".
    std::array<QToolButton *, 6> btn_alignside{};
    QToolButton *btn_alignall = nullptr;
    std::array<QToolButton *, 4> btn_alignsize{};
    // "Bring To Front", "Send To Back", "Bring Forward", "Send Backward" (TOrderChange).
    QToolButton *btn_zfront = nullptr, *btn_zback = nullptr, *btn_zforward = nullptr,
                *btn_zbackward = nullptr;

    Tcodecontrols *pnl_code = nullptr;

protected:
    // Base
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *CreateTextPanel();
    QWidget *CreateImagePanel();
    QWidget *CreateShapePanel();
    QWidget *CreateZoomInPanel();
    QWidget *CreateZoomOutPanel();
    QWidget *CreateAlignPanel();
    QWidget *CreateSelectPanel();
    QWidget *CreateHintPanel();

    // Shows again what the logic reports changed (TToolboxArea bits).
    void Refresh(uint32_t areas);
    void RefreshPanels();
    void RefreshText();
    void RefreshShape();
    void RefreshImage();
    void RefreshZoom();
    void RefreshAlign();
    // The hint line shows or hides, the window growing or shrinking by it so that the part
    // above keeps its size.
    void RefreshHint();
    void SetIncludedHintHeight(int height);
    void PickColor(const QColor &initial, const std::function<void(TColor)> &take);
    std::optional<double> AlignDistance() const;

    Ttoolbox Toolbox;
    Tregistryex &Store;
    QStackedWidget *Stack = nullptr;
    QWidget *BlankPanel = nullptr;
    QBoxLayout *BodyLayout = nullptr;
    QBoxLayout *SelectLayout = nullptr;
    QLabel *SelectIcon = nullptr;
    // The part of the window's height the hint line takes.
    int IncludedHintHeight = 0;
};
