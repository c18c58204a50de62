#include "tools/toolwindow.h"

#include "document/shape.h"
#include "document/text.h"
#include "editing/zoom.h"
#include "platform/colors.h"
#include "settings/formplacement.h"
#include "tools/codecontrols.h"
#include "tools/toolparts.h"
#include "widgets/numedit.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QSvgRenderer>
#include <QToolButton>
#include <cmath>

namespace {

constexpr int InitialWidth = 340;
constexpr int InitialHeight = 400;
constexpr int IconSize = 24;
// The select panel: a column at most this wide, or a row this high when small and when large.
constexpr int SelectColumnWidth = 50;
constexpr int SelectColumnSmall = 30;
constexpr int SelectRowSmall = 26;
constexpr int SelectRowLarge = 50;
constexpr int LineSampleWidth = 34;
constexpr int SampleHeight = 72;

// One of the tool window's own icons (data/icons/tools), drawn for the screen's pixel ratio.
QIcon ToolIcon(const char *name, qreal ratio)
{
    QSvgRenderer svg(QStringLiteral(":/icons/tools/%1.svg").arg(QLatin1String(name)));
    QPixmap pixmap(QSize(IconSize, IconSize) * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    svg.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return QIcon(pixmap);
}

QToolButton *IconButton(QWidget *owner, const char *icon, const QString &tip, bool checkable = false)
{
    auto *button = new QToolButton(owner);
    button->setIcon(ToolIcon(icon, owner->devicePixelRatioF()));
    button->setIconSize({IconSize, IconSize});
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setCheckable(checkable);
    button->setAutoRaise(true);
    return button;
}

QToolButton *TextIconButton(QWidget *owner, const char *icon, const QString &caption)
{
    QToolButton *button = IconButton(owner, icon, caption);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

// A row of the shape panel: its caption, then the controls.
QWidget *Band(QWidget *owner, const QString &caption, std::initializer_list<QWidget *> controls)
{
    auto *band = new QWidget(owner);
    auto *row = new QHBoxLayout(band);
    row->setContentsMargins(0, 0, 0, 0);
    if (!caption.isEmpty()) {
        auto *label = new QLabel(caption, band);
        label->setMinimumWidth(70);
        row->addWidget(label);
    }
    for (QWidget *control : controls) {
        control->setParent(band);
        row->addWidget(control);
    }
    row->addStretch(1);
    return band;
}

QSpinBox *UpDown(QWidget *owner, int min, int max, int value)
{
    auto *box = new QSpinBox(owner);
    box->setRange(min, max);
    box->setValue(value);
    // Typed values apply on Enter or when the box is left, not digit by digit.
    box->setKeyboardTracking(false);
    return box;
}

QLabel *Title(QWidget *owner, const QString &text)
{
    auto *title = new QLabel(text, owner);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    return title;
}

QFont QtFontOf(const Tfont &f)
{
    QFont font(f.Name());
    if (f.Height() < 0)
        font.setPixelSize(std::min(-f.Height(), SampleHeight));
    else if (f.Height() > 0)
        font.setPixelSize(std::min(f.Height(), SampleHeight));
    font.setBold(f.Style() & fsBold);
    font.setItalic(f.Style() & fsItalic);
    font.setUnderline(f.Style() & fsUnderline);
    font.setStrikeOut(f.Style() & fsStrikeOut);
    return font;
}

Qt::Alignment QtAlignmentOf(THorizontalAlign hAlign, TVerticalAlign vAlign)
{
    const Qt::Alignment across = hAlign == THorizontalAlign::Right    ? Qt::AlignRight
                                 : hAlign == THorizontalAlign::Centre ? Qt::AlignHCenter
                                                                      : Qt::AlignLeft;
    const Qt::Alignment down = vAlign == TVerticalAlign::Bottom   ? Qt::AlignBottom
                               : vAlign == TVerticalAlign::Middle ? Qt::AlignVCenter
                                                                  : Qt::AlignTop;
    return across | down;
}

} // namespace

Tfrm_toolbox::Tfrm_toolbox(Tregistryex &store, QWidget *parent)
    : QWidget(parent, Qt::Tool), Toolbox(store), Store(store)
{
    setObjectName(QStringLiteral("frm_toolbox"));
    setWindowTitle(QStringLiteral("Tools"));
    ChooseColor = [this](const QColor &initial) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, this, QStringLiteral("Color"));
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    };

    auto *outer = new QVBoxLayout(this);
    BodyLayout = new QBoxLayout(QBoxLayout::TopToBottom);
    outer->addLayout(BodyLayout, 1);
    pnl_select = CreateSelectPanel();
    BodyLayout->addWidget(pnl_select);
    Stack = new QStackedWidget(this);
    BodyLayout->addWidget(Stack, 1);

    auto *caption = new QLabel(QString::fromLatin1(SelectCaption), this);
    caption->setAlignment(Qt::AlignCenter);
    Panels[tpSelectCaption] = caption;
    Panels[tpText] = CreateTextPanel();
    Panels[tpImage] = CreateImagePanel();
    Panels[tpShapes] = CreateShapePanel();
    Panels[tpSymbols] = Title(this, QStringLiteral(" Symbols"));
    Panels[tpLine] = Title(this, QStringLiteral("Draw"));
    Panels[tpZoomIn] = CreateZoomInPanel();
    Panels[tpZoomOut] = CreateZoomOutPanel();
    Panels[tpAlign] = CreateAlignPanel();
    pnl_code = new Tcodecontrols(
        Toolbox.GetCodePanel(),
        [this](TColor initial, std::function<void(TColor)> take) { PickColor(ToQColor(initial), take); },
        this);
    Panels[tpCode] = pnl_code;
    for (QWidget *panel : Panels)
        Stack->addWidget(panel);
    BlankPanel = new QWidget(this);
    Stack->addWidget(BlankPanel);
    Panels[tpSymbols]->setObjectName(QStringLiteral("pnl_symbols"));
    Panels[tpLine]->setObjectName(QStringLiteral("pnl_line"));
    Panels[tpSelectCaption]->setObjectName(QStringLiteral("pnl_selectcaption"));
    for (QLabel *label : {static_cast<QLabel *>(Panels[tpSymbols]), static_cast<QLabel *>(Panels[tpLine])})
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    chk_showhints = new QCheckBox(QStringLiteral("Show Hints"), this);
    outer->addWidget(chk_showhints);
    connect(chk_showhints, &QCheckBox::clicked, this, [this](bool on) { Toolbox.SetShowHints(on); });
    pnl_hint = CreateHintPanel();
    outer->addWidget(pnl_hint);

    Toolbox.OnViewChange = [this](uint32_t areas) { Refresh(areas); };
    Refresh(taAll & ~taHint);
    pnl_hint->hide();
    resize(InitialWidth, InitialHeight);
    RestoreFormPlacement(WidgetPlacement(*this), Store);
    RefreshHint();
}

Tfrm_toolbox::~Tfrm_toolbox()
{
    Toolbox.OnViewChange = nullptr;
}

// ---- Building the panels

QWidget *Tfrm_toolbox::CreateSelectPanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pnl_select"));
    panel->setFrameShape(QFrame::StyledPanel);
    SelectLayout = new QBoxLayout(QBoxLayout::LeftToRight, panel);
    SelectLayout->setContentsMargins(2, 2, 2, 2);
    SelectLayout->addStretch(1);
    SelectIcon = new QLabel(panel);
    SelectIcon->setPixmap(ToolIcon("select", devicePixelRatioF()).pixmap(IconSize, IconSize));
    SelectIcon->setToolTip(QStringLiteral("Select"));
    SelectLayout->addWidget(SelectIcon, 0, Qt::AlignCenter);
    return panel;
}

QWidget *Tfrm_toolbox::CreateTextPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnl_text"));
    auto *v = new QVBoxLayout(panel);
    v->addWidget(Title(panel, QStringLiteral(" Text")));

    cb_fontname = new QComboBox(panel);
    cb_fontname->setObjectName(QStringLiteral("cb_fontname"));
    cb_fontname->addItems(ScalableFontFamilies());
    cb_fontname->setItemDelegate(new Tfontitemdelegate(cb_fontname));
    cb_fontname->setMaxVisibleItems(16);
    if (auto *list = qobject_cast<QListView *>(cb_fontname->view()))
        list->setUniformItemSizes(true);
    cb_fontname->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cb_fontname->setMinimumContentsLength(16);
    connect(cb_fontname, &QComboBox::activated, this, [this](int index) {
        if (!Toolbox.SetFontName(cb_fontname->itemText(index)))
            RefreshText();
    });
    cb_fontsize = new QComboBox(panel);
    cb_fontsize->setObjectName(QStringLiteral("cb_fontsize"));
    cb_fontsize->setEditable(true);
    cb_fontsize->setInsertPolicy(QComboBox::NoInsert);
    for (int32_t size : FontSizes)
        cb_fontsize->addItem(QString::number(size));
    connect(cb_fontsize, &QComboBox::activated, this,
            [this](int index) { Toolbox.SetFontSizeText(cb_fontsize->itemText(index)); });
    connect(cb_fontsize->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { Toolbox.SetFontSizeText(cb_fontsize->currentText()); });
    auto *fontRow = new QHBoxLayout;
    fontRow->addWidget(cb_fontname, 1);
    fontRow->addWidget(cb_fontsize);
    v->addLayout(fontRow);

    btn_bold = IconButton(panel, "text-bold", QStringLiteral("Bold"), true);
    btn_italic = IconButton(panel, "text-italic", QStringLiteral("Italic"), true);
    btn_underline = IconButton(panel, "text-underline", QStringLiteral("Underline"), true);
    const std::pair<QToolButton *, uint8_t> styles[] = {
        {btn_bold, fsBold}, {btn_italic, fsItalic}, {btn_underline, fsUnderline}};
    for (auto [button, bit] : styles)
        connect(button, &QToolButton::clicked, this, [this, bit](bool on) { Toolbox.SetFontStyle(bit, on); });
    btn_left = IconButton(panel, "text-align-left", QStringLiteral("Left"), true);
    btn_centre = IconButton(panel, "text-align-centre", QStringLiteral("Center"), true);
    btn_right = IconButton(panel, "text-align-right", QStringLiteral("Right"), true);
    btn_top = IconButton(panel, "text-valign-top", QStringLiteral("Top"), true);
    btn_middle = IconButton(panel, "text-valign-middle", QStringLiteral("Middle"), true);
    btn_bottom = IconButton(panel, "text-valign-bottom", QStringLiteral("Bottom"), true);
    auto *across = new QButtonGroup(panel);
    auto *down = new QButtonGroup(panel);
    const std::pair<QToolButton *, THorizontalAlign> acrossButtons[] = {
        {btn_left, THorizontalAlign::Left},
        {btn_centre, THorizontalAlign::Centre},
        {btn_right, THorizontalAlign::Right}};
    for (auto [button, align] : acrossButtons) {
        across->addButton(button);
        connect(button, &QToolButton::clicked, this, [this, align] { Toolbox.SetHAlign(align); });
    }
    const std::pair<QToolButton *, TVerticalAlign> downButtons[] = {{btn_top, TVerticalAlign::Top},
                                                                    {btn_middle, TVerticalAlign::Middle},
                                                                    {btn_bottom, TVerticalAlign::Bottom}};
    for (auto [button, align] : downButtons) {
        down->addButton(button);
        connect(button, &QToolButton::clicked, this, [this, align] { Toolbox.SetVAlign(align); });
    }
    btn_textcolor = new QPushButton(QStringLiteral("Color"), panel);
    connect(btn_textcolor, &QPushButton::clicked, this, [this] {
        PickColor(ToQColor(Toolbox.GetSampleFont().Color()), [this](TColor c) { Toolbox.SetTextColor(c); });
    });
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(0);
    for (QWidget *w : {btn_bold, btn_italic, btn_underline})
        buttons->addWidget(w);
    buttons->addSpacing(8);
    for (QWidget *w : {btn_left, btn_centre, btn_right})
        buttons->addWidget(w);
    buttons->addSpacing(8);
    for (QWidget *w : {btn_top, btn_middle, btn_bottom})
        buttons->addWidget(w);
    buttons->addStretch(1);
    v->addLayout(buttons);
    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(btn_textcolor);
    colorRow->addStretch(1);
    v->addLayout(colorRow);

    lbl_fontsample = new QLabel(QString::fromLatin1(FontSampleText), panel);
    lbl_fontsample->setObjectName(QStringLiteral("lbl_fontsample"));
    lbl_fontsample->setWordWrap(true);
    lbl_fontsample->setFrameShape(QFrame::StyledPanel);
    lbl_fontsample->setFixedHeight(SampleHeight);
    lbl_fontsample->setAutoFillBackground(true);
    v->addWidget(lbl_fontsample);
    lbl_overset = new QLabel(panel);
    lbl_overset->setObjectName(QStringLiteral("lbl_overset"));
    lbl_overset->setWordWrap(true);
    {
        QPalette palette = lbl_overset->palette();
        palette.setColor(QPalette::WindowText, ToQColor(OversetMarkColor));
        lbl_overset->setPalette(palette);
    }
    lbl_overset->hide();
    v->addWidget(lbl_overset);
    v->addStretch(1);
    return panel;
}

QWidget *Tfrm_toolbox::CreateImagePanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnl_image"));
    auto *v = new QVBoxLayout(panel);
    v->addWidget(Title(panel, QStringLiteral("Image")));
    img_loadimage = new Tpicturepreview(panel);
    img_loadimage->setObjectName(QStringLiteral("img_loadimage"));
    v->addWidget(img_loadimage, 1);
    btn_changeimage = new QPushButton(QStringLiteral("Change Image"), panel);
    btn_addtolabel = new QPushButton(QStringLiteral("Add To Label"), panel);
    btn_resetaspect = new QPushButton(QStringLiteral("Reset Aspect"), panel);
    connect(btn_changeimage, &QPushButton::clicked, this, [this] { Toolbox.LoadImage(); });
    connect(btn_addtolabel, &QPushButton::clicked, this, [this] { Toolbox.AddToLabel(); });
    connect(btn_resetaspect, &QPushButton::clicked, this, [this] { Toolbox.ResetAspect(); });
    auto *row = new QHBoxLayout;
    for (QWidget *w : {btn_changeimage, btn_addtolabel, btn_resetaspect})
        row->addWidget(w);
    v->addLayout(row);
    return panel;
}

QWidget *Tfrm_toolbox::CreateShapePanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnl_shapes"));
    auto *v = new QVBoxLayout(panel);

    cb_shape = new QComboBox(panel);
    cb_shape->setObjectName(QStringLiteral("cb_shape"));
    for (const char *caption : ShapeStyleCaptions)
        cb_shape->addItem(QString::fromLatin1(caption));
    connect(cb_shape, &QComboBox::activated, this, [this](int index) {
        if (const std::optional<TShapeStyle> figure = FigureOfChoice(index))
            Toolbox.SetFigure(*figure);
    });
    v->addWidget(Band(panel, QStringLiteral("Shape "), {cb_shape}));

    upd_sides = UpDown(panel, MinSides, MaxSides, InitialSides);
    connect(upd_sides, &QSpinBox::valueChanged, this, [this](int n) { Toolbox.SetSides(n); });
    band_sides = Band(panel, QStringLiteral("Sides "), {upd_sides});
    v->addWidget(band_sides);

    chk_drawfill = new QCheckBox(QStringLiteral("Draw Fill"), panel);
    btn_fillcolor = new QPushButton(QStringLiteral("Color"), panel);
    img_fillswatch = new QLabel(panel);
    connect(chk_drawfill, &QCheckBox::clicked, this, [this](bool on) { Toolbox.SetDrawFill(on); });
    connect(btn_fillcolor, &QPushButton::clicked, this, [this] {
        PickColor(ToQColor(Toolbox.GetFillColor()), [this](TColor c) { Toolbox.SetFillColor(c); });
    });
    v->addWidget(Band(panel, QString(), {chk_drawfill, btn_fillcolor, img_fillswatch}));

    img_direction = new Tdirectiondial(panel);
    img_direction->setObjectName(QStringLiteral("img_direction"));
    img_direction->OnPress = [this](TPoint p) { Toolbox.DialPress(p); };
    img_direction->OnDrag = [this](TPoint p) { Toolbox.DialDrag(p); };
    img_direction->OnRelease = [this] { Toolbox.DialRelease(); };
    ed_direction = new QLineEdit(QStringLiteral("359.00"), panel);
    ed_direction->setMaximumWidth(80);
    connect(ed_direction, &QLineEdit::editingFinished, this, [this] {
        if (ed_direction->isModified())
            Toolbox.SetDirectionText(ed_direction->text());
        ed_direction->setModified(false);
    });
    band_direction = Band(panel, QStringLiteral("Direction"), {img_direction, ed_direction});
    v->addWidget(band_direction);

    chk_drawline = new QCheckBox(QStringLiteral("Draw Line"), panel);
    btn_linecolor = new QPushButton(QStringLiteral("Color"), panel);
    img_linesample = new QLabel(panel);
    connect(chk_drawline, &QCheckBox::clicked, this, [this](bool on) { Toolbox.SetDrawLine(on); });
    connect(btn_linecolor, &QPushButton::clicked, this, [this] {
        PickColor(ToQColor(Toolbox.GetLineColor()), [this](TColor c) { Toolbox.SetLineColor(c); });
    });
    v->addWidget(Band(panel, QString(), {chk_drawline, btn_linecolor, img_linesample}));

    upd_linewidth = UpDown(panel, MinLineWidth, MaxLineWidth, MinLineWidth);
    connect(upd_linewidth, &QSpinBox::valueChanged, this, [this](int w) { Toolbox.SetLineWidth(w); });
    band_linewidth = Band(panel, QStringLiteral("Line width"), {upd_linewidth});
    v->addWidget(band_linewidth);

    upd_curvex = UpDown(panel, MinCurve, MaxCurve, InitialCurve);
    upd_curvey = UpDown(panel, MinCurve, MaxCurve, InitialCurve);
    connect(upd_curvex, &QSpinBox::valueChanged, this, [this](int c) { Toolbox.SetCurveX(c); });
    connect(upd_curvey, &QSpinBox::valueChanged, this, [this](int c) { Toolbox.SetCurveY(c); });
    band_curve = Band(panel, QStringLiteral("Curve "), {upd_curvex, upd_curvey});
    v->addWidget(band_curve);

    btn_squaresides = new QPushButton(QStringLiteral("Square Sides"), panel);
    connect(btn_squaresides, &QPushButton::clicked, this, [this] { Toolbox.SquareSides(); });
    band_square = Band(panel, QString(), {btn_squaresides});
    v->addWidget(band_square);
    v->addStretch(1);
    return panel;
}

QWidget *Tfrm_toolbox::CreateZoomInPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnl_zoomin"));
    auto *v = new QVBoxLayout(panel);
    tb_zoom = new QSlider(Qt::Horizontal, panel);
    tb_zoom->setObjectName(QStringLiteral("tb_zoom"));
    tb_zoom->setRange(ZoomTrackMin, ZoomTrackMax);
    tb_zoom->setPageStep(1);
    tb_zoom->setValue(ZoomTrackInitial);
    tb_zoom->setTickPosition(QSlider::TicksBelow);
    connect(tb_zoom, &QSlider::valueChanged, this, [this](int position) {
        if (position != Toolbox.GetTrackPosition())
            Toolbox.TrackBarMoved(position);
    });
    v->addWidget(tb_zoom);
    v->addWidget(new QLabel(QStringLiteral("IN -- Left Click"), panel));
    v->addWidget(new QLabel(QStringLiteral("OUT -- Right Click"), panel));
    lbl_zoomin = Title(panel, QString());
    v->addWidget(lbl_zoomin);
    v->addStretch(1);
    return panel;
}

QWidget *Tfrm_toolbox::CreateZoomOutPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnl_zoomout"));
    auto *v = new QVBoxLayout(panel);
    lbl_zoomout = Title(panel, QString());
    v->addWidget(lbl_zoomout);
    v->addStretch(1);
    return panel;
}

QWidget *Tfrm_toolbox::CreateAlignPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnl_align"));
    auto *v = new QVBoxLayout(panel);

    auto *group = new QGroupBox(QStringLiteral("Alignment Tool"), panel);
    auto *grid = new QGridLayout(group);
    for (int i = 0; i < 4; ++i) {
        rg_aligntype[i] = new QRadioButton(QString::fromLatin1(AlignToolCaptions[i]), group);
        grid->addWidget(rg_aligntype[i], i / 2, i % 2);
        connect(rg_aligntype[i], &QRadioButton::clicked, this,
                [this, i] { Toolbox.SetAlignTool(static_cast<TAlignTool>(i)); });
    }
    v->addWidget(group);
    pnl_aligntype = new QLabel(panel);
    pnl_aligntype->setFrameShape(QFrame::StyledPanel);
    pnl_aligntype->setAlignment(Qt::AlignCenter);
    v->addWidget(pnl_aligntype);

    pnl_align_side = new QWidget(panel);
    auto *side = new QVBoxLayout(pnl_align_side);
    side->setContentsMargins(0, 0, 0, 0);
    rb_move = new QRadioButton(QStringLiteral("Move"), pnl_align_side);
    rb_stretch = new QRadioButton(QStringLiteral("Stretch"), pnl_align_side);
    connect(rb_move, &QRadioButton::clicked, this, [this] { Toolbox.SetAlignStretch(false); });
    connect(rb_stretch, &QRadioButton::clicked, this, [this] { Toolbox.SetAlignStretch(true); });
    ed_align_distance = new TnumEdit(pnl_align_side);
    ed_align_distance->setObjectName(QStringLiteral("ed_align_distance"));
    ed_align_distance->SetPrecision(4);
    ed_align_distance->setText(QStringLiteral("0.0000"));
    ed_align_distance->setMaximumWidth(90);
    auto *modeRow = new QHBoxLayout;
    modeRow->addWidget(rb_move);
    modeRow->addWidget(rb_stretch);
    modeRow->addStretch(1);
    modeRow->addWidget(ed_align_distance);
    modeRow->addWidget(new QLabel(QStringLiteral("Inches away"), pnl_align_side));
    side->addLayout(modeRow);

    struct TSideButton {
        int32_t Side;
        const char *Icon;
        const char *Caption;
    };
    const TSideButton rows[2][3] = {{{asTop, "align-top", "Top"},
                                     {asVerticalCentre, "align-vcentre", "Center"},
                                     {asBottom, "align-bottom", "Bottom"}},
                                    {{asRight, "align-right", "Right"},
                                     {asHorizontalCentre, "align-hcentre", "Center"},
                                     {asLeft, "align-left", "Left"}}};
    for (const auto &row : rows) {
        auto *line = new QHBoxLayout;
        for (const TSideButton &b : row) {
            QToolButton *button = TextIconButton(pnl_align_side, b.Icon, QString::fromLatin1(b.Caption));
            btn_alignside[b.Side] = button;
            connect(button, &QToolButton::clicked, this,
                    [this, code = b.Side] { Toolbox.AlignSide(code, AlignDistance()); });
            line->addWidget(button);
        }
        if (&row == &rows[1]) {
            btn_alignall = TextIconButton(pnl_align_side, "align-all", QStringLiteral("All"));
            connect(btn_alignall, &QToolButton::clicked, this, [this] { Toolbox.AlignAll(AlignDistance()); });
            line->addWidget(btn_alignall);
        } else {
            line->addStretch(1);
        }
        side->addLayout(line);
    }
    v->addWidget(pnl_align_side);

    tb_alignsizes = new QWidget(panel);
    auto *sizes = new QGridLayout(tb_alignsizes);
    sizes->setContentsMargins(0, 0, 0, 0);
    const char *const sizeIcons[4] = {"size-shortest", "size-tallest", "size-thinnest", "size-widest"};
    for (int i = 0; i < 4; ++i) {
        btn_alignsize[i] =
            TextIconButton(tb_alignsizes, sizeIcons[i], QString::fromLatin1(SizeMatchCaptions[i]));
        sizes->addWidget(btn_alignsize[i], i / 2, i % 2);
        connect(btn_alignsize[i], &QToolButton::clicked, this,
                [this, i] { Toolbox.MatchSizes(static_cast<TSizeMatch>(i)); });
    }
    v->addWidget(tb_alignsizes);

    tb_alignorder = new QWidget(panel);
    auto *order = new QGridLayout(tb_alignorder);
    order->setContentsMargins(0, 0, 0, 0);
    const char *const orderIcons[4] = {"order-front", "order-back", "order-forward", "order-backward"};
    std::array<QToolButton *, 4> orderButtons{};
    for (int i = 0; i < 4; ++i) {
        orderButtons[i] =
            TextIconButton(tb_alignorder, orderIcons[i], QString::fromLatin1(OrderChangeCaptions[i]));
        order->addWidget(orderButtons[i], i / 2, i % 2);
        connect(orderButtons[i], &QToolButton::clicked, this,
                [this, i] { Toolbox.ChangeOrder(static_cast<TOrderChange>(i)); });
    }
    btn_zfront = orderButtons[ocBringToFront];
    btn_zback = orderButtons[ocSendToBack];
    btn_zforward = orderButtons[ocBringForward];
    btn_zbackward = orderButtons[ocSendBackward];
    v->addWidget(tb_alignorder);
    v->addStretch(1);
    return panel;
}

QWidget *Tfrm_toolbox::CreateHintPanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pnl_hint"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto *v = new QVBoxLayout(panel);
    v->setContentsMargins(4, 4, 4, 4);
    lbl_hint = new QLabel(panel);
    lbl_hint->setWordWrap(true);
    lbl_hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    v->addWidget(lbl_hint);
    return panel;
}

void Tfrm_toolbox::keyPressEvent(QKeyEvent *event)
{
    // Only what no control of this window took arrives here.
    if (OnUnusedKey && event->modifiers() & (Qt::ControlModifier | Qt::AltModifier) &&
        OnUnusedKey(QKeySequence(event->keyCombination()))) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- Showing what the logic holds

void Tfrm_toolbox::Refresh(uint32_t areas)
{
    if (areas & taPanels)
        RefreshPanels();
    if (areas & taText)
        RefreshText();
    if (areas & taShape)
        RefreshShape();
    if (areas & taImage)
        RefreshImage();
    if (areas & taZoom)
        RefreshZoom();
    if (areas & taAlign)
        RefreshAlign();
    if (areas & taCode)
        pnl_code->Refresh();
    if (areas & taHint)
        RefreshHint();
}

void Tfrm_toolbox::RefreshPanels()
{
    const int32_t panel = Toolbox.GetPanel();
    Stack->setCurrentWidget(panel >= tpSelectCaption && panel <= tpCode ? Panels[panel] : BlankPanel);

    const bool vertical = Toolbox.GetSelectVertical();
    BodyLayout->setDirection(vertical ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    SelectLayout->setDirection(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    if (vertical) {
        // With an object selected the column shrinks to the icon, beside the object's panel.
        pnl_select->setMinimumSize(SelectColumnWidth, SelectColumnSmall);
        const bool expanded = Toolbox.IsSelectExpanded();
        pnl_select->setMaximumSize(SelectColumnWidth, expanded ? QWIDGETSIZE_MAX : SelectColumnSmall);
        BodyLayout->setAlignment(pnl_select, expanded ? Qt::Alignment() : Qt::AlignTop);
    } else {
        BodyLayout->setAlignment(pnl_select, Qt::Alignment());
        const int height = Toolbox.IsSelectExpanded() ? SelectRowLarge : SelectRowSmall;
        pnl_select->setMinimumSize(88, height);
        pnl_select->setMaximumSize(QWIDGETSIZE_MAX, height);
    }
    pnl_select->setVisible(Toolbox.IsSelectPanelVisible());
    btn_addtolabel->setVisible(Toolbox.IsAddToLabelVisible());
    btn_resetaspect->setVisible(Toolbox.IsResetAspectVisible());
    band_square->setVisible(Toolbox.IsSquareSidesVisible());
}

void Tfrm_toolbox::RefreshText()
{
    const Tfont &font = Toolbox.GetSampleFont();
    {
        const QSignalBlocker block(cb_fontname);
        cb_fontname->setCurrentIndex(cb_fontname->findText(font.Name(), Qt::MatchFixedString));
        cb_fontname->setPlaceholderText(font.Name());
    }
    {
        const QSignalBlocker block(cb_fontsize);
        const QString size = QString::number(font.Size());
        cb_fontsize->setCurrentIndex(cb_fontsize->findText(size));
        cb_fontsize->setEditText(size);
    }
    btn_bold->setChecked(font.Style() & fsBold);
    btn_italic->setChecked(font.Style() & fsItalic);
    btn_underline->setChecked(font.Style() & fsUnderline);
    const THorizontalAlign across = Toolbox.GetSampleHAlign();
    const TVerticalAlign down = Toolbox.GetVAlignSetting();
    btn_left->setChecked(across == THorizontalAlign::Left);
    btn_centre->setChecked(across == THorizontalAlign::Centre);
    btn_right->setChecked(across == THorizontalAlign::Right);
    btn_top->setChecked(down == TVerticalAlign::Top);
    btn_middle->setChecked(down == TVerticalAlign::Middle);
    btn_bottom->setChecked(down == TVerticalAlign::Bottom);

    lbl_fontsample->setFont(QtFontOf(font));
    lbl_fontsample->setAlignment(QtAlignmentOf(across, down));
    QPalette palette = lbl_fontsample->palette();
    palette.setColor(QPalette::WindowText, ToQColor(font.Color()));
    lbl_fontsample->setPalette(palette);
    lbl_overset->setText(Toolbox.GetOversetText());
    lbl_overset->setVisible(!Toolbox.GetOversetText().isEmpty());
}

void Tfrm_toolbox::RefreshShape()
{
    {
        const QSignalBlocker a(cb_shape), b(upd_sides), c(upd_linewidth), d(upd_curvex), e(upd_curvey);
        cb_shape->setCurrentIndex(static_cast<int>(Toolbox.GetFigure()));
        upd_sides->setValue(Toolbox.GetSides());
        upd_linewidth->setValue(Toolbox.GetLineWidth());
        upd_curvex->setValue(Toolbox.GetCurveX());
        upd_curvey->setValue(Toolbox.GetCurveY());
    }
    chk_drawfill->setChecked(Toolbox.GetDrawFill());
    chk_drawline->setChecked(Toolbox.GetDrawLine());
    img_direction->SetValue(Toolbox.GetDirection());
    if (!ed_direction->hasFocus() || !ed_direction->isModified())
        ed_direction->setText(Toolbox.GetDirectionText());

    band_sides->setVisible(Toolbox.IsSidesBandVisible());
    band_direction->setVisible(Toolbox.IsDirectionBandVisible());
    band_curve->setVisible(Toolbox.IsCurveBandVisible());
    const bool line = Toolbox.AreLineControlsVisible(), fill = Toolbox.AreFillControlsVisible();
    band_linewidth->setVisible(line);
    btn_linecolor->setVisible(line);
    img_linesample->setVisible(line);
    btn_fillcolor->setVisible(fill);
    img_fillswatch->setVisible(fill);

    // The line sample: a vertical line of the chosen colour and width down the middle.
    const int height = btn_linecolor->sizeHint().height();
    QPixmap sample(LineSampleWidth, height);
    sample.fill(palette().color(QPalette::Window));
    {
        QPainter p(&sample);
        p.setPen(QPen(ToQColor(Toolbox.GetLineColor()), Toolbox.GetLineWidth(), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(LineSampleWidth / 2.0, 0), QPointF(LineSampleWidth / 2.0, height));
    }
    img_linesample->setPixmap(sample);
    QPixmap swatch(height, height);
    swatch.fill(ToQColor(Toolbox.GetFillColor()));
    img_fillswatch->setPixmap(swatch);
}

void Tfrm_toolbox::RefreshImage()
{
    img_loadimage->SetPicture(Toolbox.HasImage() ? Toolbox.GetPreview() : QImage(),
                              Toolbox.GetSelectVertical());
}

void Tfrm_toolbox::RefreshZoom()
{
    {
        const QSignalBlocker block(tb_zoom);
        tb_zoom->setValue(Toolbox.GetTrackPosition());
    }
    lbl_zoomin->setText(Toolbox.GetZoomText());
    lbl_zoomout->setText(Toolbox.GetZoomText());
}

void Tfrm_toolbox::RefreshAlign()
{
    const Talignpanel &align = Toolbox.GetAlignPanel();
    rg_aligntype[align.GetTool()]->setChecked(true);
    pnl_aligntype->setText(align.GetTypeText());
    pnl_align_side->setVisible(align.IsSideBandVisible());
    tb_alignsizes->setVisible(align.AreSizeButtonsVisible());
    tb_alignorder->setVisible(align.AreOrderButtonsVisible());
    (align.GetStretch() ? rb_stretch : rb_move)->setChecked(true);
    btn_alignside[asHorizontalCentre]->setEnabled(align.IsCentreEnabled());
    btn_alignside[asVerticalCentre]->setEnabled(align.IsCentreEnabled());
    btn_alignall->setEnabled(align.IsAllEnabled());
}

void Tfrm_toolbox::RefreshHint()
{
    const bool show = Toolbox.GetShowHints();
    chk_showhints->setChecked(show);
    lbl_hint->setText(Toolbox.GetHint());
    lbl_hint->setToolTip(Toolbox.GetHint());
    pnl_hint->setVisible(show);
    int height = 0;
    if (show) {
        const QMargins m = layout()->contentsMargins();
        const int width = this->width() - m.left() - m.right();
        height = (pnl_hint->hasHeightForWidth() ? pnl_hint->heightForWidth(width)
                                                : pnl_hint->sizeHint().height()) +
                 layout()->spacing();
    }
    SetIncludedHintHeight(height);
}

void Tfrm_toolbox::SetIncludedHintHeight(int height)
{
    if (height == IncludedHintHeight)
        return;
    resize(width(), this->height() - IncludedHintHeight + height);
    IncludedHintHeight = height;
}

void Tfrm_toolbox::PickColor(const QColor &initial, const std::function<void(TColor)> &take)
{
    if (!ChooseColor)
        return;
    if (const std::optional<QColor> chosen = ChooseColor(initial); chosen && chosen->isValid())
        take(FromQColor(*chosen));
}

std::optional<double> Tfrm_toolbox::AlignDistance() const
{
    try {
        const double d = ParseFraction(ed_align_distance->text());
        if (std::isfinite(d))
            return d;
    } catch (const Exception &) {
    }
    return std::nullopt;
}

// ---- Showing and hiding

void Tfrm_toolbox::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // The saved height leaves out the hint line, which grows the window again when shown.
    pnl_hint->hide();
    SetIncludedHintHeight(0);
    RestoreFormPlacement(WidgetPlacement(*this), Store);
    RefreshHint();
}

void Tfrm_toolbox::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    TRect bounds = RectFromQRect(frameGeometry());
    bounds.Bottom -= IncludedHintHeight;
    SaveFormPlacementRect(WidgetPlacement(*this), Store, bounds);
}
