#include "templateeditor/templateeditorwindow.h"

#include "document/drawlist.h"
#include "platform/errors.h"
#include "settings/registry.h"
#include "widgets/drawpanel.h"
#include "widgets/numedit.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {
constexpr int WindowWidth = 612;
constexpr int WindowHeight = 453;
constexpr int FontPoints = 8;
constexpr int LeftColumnWidth = 170;
constexpr int RightColumnWidth = 115;
constexpr int DescriptionHeight = 60;
// Every number field shows this whole.
const QString WidestValue = QStringLiteral("10.0000");
constexpr int FieldTextMargin = 6;
constexpr int LengthPrecision = 4;
constexpr int CountPrecision = 0;
// The counts the arrows step through.
constexpr int32_t MinCount = 0;
constexpr int32_t MaxCount = 100;

// The text stands for a number (a whole one where whole is set).
bool ReadsAsNumber(const QString &text, bool whole)
{
    try {
        const double value = ParseFraction(text);
        return std::isfinite(value) && (!whole || value == std::floor(value));
    } catch (const std::exception &) {
        return false;
    }
}

// Puts a value into a field; a field whose text is not a number (which the user may have left
// there) takes the value all the same.
void ShowValue(TnumEdit *field, double value)
{
    try {
        field->SetAsdouble(value);
    } catch (const Exception &) {
        field->setText(QStringLiteral("0"));
        field->SetAsdouble(value);
    }
}

QLabel *Caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QPushButton *Button(const QString &text, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    // Enter in a field belongs to the field (a layout field runs "GO"), never to a default button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

bool IsUserFocus(Qt::FocusReason reason)
{
    return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
           reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}
} // namespace

TUpDown::TUpDown(TnumEdit *buddy, QWidget *parent) : QWidget(parent), Buddy(buddy)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto &[arrow, by] : {std::pair{Qt::UpArrow, 1}, std::pair{Qt::DownArrow, -1}}) {
        auto *button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(16, 11);
        connect(button, &QToolButton::clicked, this, [this, by = by] { Step(by); });
        layout->addWidget(button);
    }
    Buddy->installEventFilter(this);
}

void TUpDown::Step(int32_t by)
{
    const int32_t value = std::clamp(Buddy->GetAsinteger(), MinCount, MaxCount);
    Buddy->setText(QString::number(std::clamp(value + by, MinCount, MaxCount)));
}

bool TUpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Buddy && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

Tfrm_templateeditor::Tfrm_templateeditor(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frm_templateeditor"));
    setWindowTitle(QStringLiteral("Template editor"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), FontPoints));
    setSizeGripEnabled(true);
    resize(WindowWidth, WindowHeight);

    QWidget *left = MakeLeftColumn();
    img_preview = new Tvnldrawpanel(this);
    img_preview->setObjectName(QStringLiteral("img_preview"));
    img_preview->setMinimumSize(100, 100);
    QWidget *right = MakeRightColumn();
    spl_right = new QSplitter(Qt::Horizontal, this);
    spl_right->setObjectName(QStringLiteral("spl_right"));
    spl_right->addWidget(img_preview);
    spl_right->addWidget(right);
    spl_right->setStretchFactor(0, 1);
    spl_right->setStretchFactor(1, 0);
    spl_right->setCollapsible(0, false);
    spl_right->setSizes({WindowWidth - LeftColumnWidth - RightColumnWidth, RightColumnWidth});

    auto *columns = new QHBoxLayout;
    columns->addWidget(left);
    columns->addWidget(spl_right, 1);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(columns, 1);
    outer->addWidget(MakeBottomBar());

    Store = std::make_unique<Tregistryex>(HKEY_CURRENT_USER);
    Store->Tregistry::OpenKey(QString::fromLatin1(SettingsKeyPath) + QStringLiteral("\\templateeditor"),
                              true);

    img_preview->onpaint = [this](Tvnldrawpanel *sender) {
        QPainter painter(sender);
        painter.drawImage(0, 0, FLogic.GetPreview());
    };
    img_preview->onmousedown = [this](Tvnldrawpanel *, TMouseButton, TPoint p, bool, bool) {
        FLogic.PreviewMouseDown(p);
    };
    img_preview->installEventFilter(this);

    FLogic.OnShow = [this](uint32_t parts) { ShowParts(parts); };
    FLogic.OnTemplateChanged = [this] {
        if (OnTemplateChanged)
            OnTemplateChanged();
    };
    lb_geom->setFocus();
}

Tfrm_templateeditor::~Tfrm_templateeditor()
{
    // The logic goes before the controls that report to it: nothing they do while they are
    // destroyed may reach it.
    FLogic.OnShow = nullptr;
    FLogic.OnTemplateChanged = nullptr;
    for (QObject *child : findChildren<QObject *>())
        QObject::disconnect(child, nullptr, this, nullptr);
    for (TnumEdit *field : findChildren<TnumEdit *>())
        field->OnChange = nullptr;
    img_preview->onpaint = nullptr;
    img_preview->onmousedown = nullptr;
}

TnumEdit *Tfrm_templateeditor::MakeLengthField(const char *name, double value)
{
    return MakeField(name, LengthPrecision, value);
}

TnumEdit *Tfrm_templateeditor::MakeField(const char *name, int32_t precision, double value)
{
    auto *field = new TnumEdit(this);
    field->setObjectName(QLatin1String(name));
    field->SetPrecision(precision);
    field->SetAsdouble(value);
    // Wide enough for the longest value a sheet needs, in the desktop's font.
    QStyleOptionFrame option;
    option.initFrom(field);
    const QSize text(field->fontMetrics().horizontalAdvance(WidestValue), field->fontMetrics().height());
    field->setMinimumWidth(
        field->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, field).width() +
        FieldTextMargin);
    return field;
}

QWidget *Tfrm_templateeditor::MakeLeftColumn()
{
    auto *column = new QWidget(this);
    column->setFixedWidth(LeftColumnWidth);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    mem_descr = new QPlainTextEdit(QStringLiteral("Description"), column);
    mem_descr->setObjectName(QStringLiteral("mem_descr"));
    mem_descr->setFixedHeight(DescriptionHeight);
    connect(mem_descr, &QPlainTextEdit::textChanged, this,
            [this] { FLogic.DescriptionChanged(mem_descr->toPlainText()); });
    layout->addWidget(Caption(QStringLiteral("Template Description"), column));
    layout->addWidget(mem_descr);

    auto *position = new QGroupBox(QStringLiteral("Selected Label Position"), column);
    auto *grid = new QGridLayout(position);
    ed_left = MakeLengthField("ed_left", 0);
    ed_top = MakeLengthField("ed_top", 0);
    grid->addWidget(Caption(QStringLiteral("Left"), position), 0, 0);
    grid->addWidget(ed_left, 0, 1);
    grid->addWidget(Caption(QStringLiteral("Top"), position), 1, 0);
    grid->addWidget(ed_top, 1, 1);
    btn_addsingle = Button(QStringLiteral("Add single label"), "btn_addsingle", position);
    btn_remove = Button(QStringLiteral("Remove selected label"), "btn_remove", position);
    grid->addWidget(btn_addsingle, 2, 0, 1, 2);
    grid->addWidget(btn_remove, 3, 0, 1, 2);
    connect(btn_addsingle, &QPushButton::clicked, this, [this] { FLogic.AddSingleLabel(); });
    connect(btn_remove, &QPushButton::clicked, this, [this] { FLogic.RemoveSelectedLabel(); });
    layout->addWidget(position);

    lb_geom = new QListWidget(column);
    lb_geom->setObjectName(QStringLiteral("lb_geom"));
    connect(lb_geom, &QListWidget::currentRowChanged, this, [this](int row) { FLogic.SpotListClicked(row); });
    layout->addWidget(lb_geom, 1);
    return column;
}

QWidget *Tfrm_templateeditor::MakeRightColumn()
{
    auto *column = new QWidget(this);
    column->setMinimumWidth(90);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->setSpacing(2);
    auto *heading = Caption(QStringLiteral("Automatically add and arrange labels"), column);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);

    const TLayoutFields initial;
    ed_lmargin = MakeLengthField("ed_lmargin", initial.LeftMargin);
    ed_Tmargin = MakeLengthField("ed_Tmargin", initial.TopMargin);
    ed_columns = MakeField("ed_columns", CountPrecision, initial.Columns);
    ed_rows = MakeField("ed_rows", CountPrecision, initial.Rows);
    ed_hgutter = MakeLengthField("ed_hgutter", initial.HGutter);
    ed_vgutter = MakeLengthField("ed_vgutter", initial.VGutter);
    ed_labelwidth = MakeLengthField("ed_labelwidth", initial.LabelWidth);
    ed_labelheight = MakeLengthField("ed_labelheight", initial.LabelHeight);
    LayoutFields = {ed_lmargin, ed_Tmargin, ed_columns,    ed_rows,
                    ed_hgutter, ed_vgutter, ed_labelwidth, ed_labelheight};

    const struct {
        TnumEdit *Field;
        TLayoutField Which;
    } rows[] = {
        {ed_lmargin, TLayoutField::LeftMargin},    {ed_Tmargin, TLayoutField::TopMargin},
        {ed_columns, TLayoutField::Columns},       {ed_rows, TLayoutField::Rows},
        {ed_hgutter, TLayoutField::HGutter},       {ed_vgutter, TLayoutField::VGutter},
        {ed_labelwidth, TLayoutField::LabelWidth}, {ed_labelheight, TLayoutField::LabelHeight},
    };
    for (const auto &row : rows) {
        layout->addWidget(Caption(LayoutFieldName(row.Which), column));
        if (row.Which == TLayoutField::Columns || row.Which == TLayoutField::Rows) {
            auto *line = new QHBoxLayout;
            line->setSpacing(0);
            line->addWidget(row.Field);
            line->addWidget(new TUpDown(row.Field, column));
            layout->addLayout(line);
        } else {
            layout->addWidget(row.Field);
        }
        WireLayoutField(row.Field, row.Which);
    }
    btn_auto = Button(QStringLiteral("GO"), "btn_auto", column);
    connect(btn_auto, &QPushButton::clicked, this, [this] { FLogic.Go(); });
    layout->addWidget(btn_auto);
    layout->addStretch(1);
    return column;
}

QWidget *Tfrm_templateeditor::MakeBottomBar()
{
    auto *bar = new QWidget(this);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *size = new QGroupBox(QStringLiteral("Individual label Size"), bar);
    auto *sizeLayout = new QHBoxLayout(size);
    ed_width = MakeLengthField("ed_width", 0);
    ed_height = MakeLengthField("ed_height", 0);
    sizeLayout->addWidget(Caption(QStringLiteral("Width"), size));
    sizeLayout->addWidget(ed_width);
    sizeLayout->addWidget(Caption(QStringLiteral("Height"), size));
    sizeLayout->addWidget(ed_height);
    layout->addWidget(size);
    WireSpotField(ed_left, sfLeft);
    WireSpotField(ed_top, sfTop);
    WireSpotField(ed_width, sfWidth);
    WireSpotField(ed_height, sfHeight);

    auto *orientation = new QGroupBox(QStringLiteral("Page Orientation "), bar);
    auto *orientationLayout = new QHBoxLayout(orientation);
    rb_portrait = new QRadioButton(QStringLiteral("Portrait"), orientation);
    rb_portrait->setObjectName(QStringLiteral("rb_portrait"));
    rb_landscape = new QRadioButton(QStringLiteral("Landscape"), orientation);
    rb_landscape->setObjectName(QStringLiteral("rb_landscape"));
    rb_portrait->setChecked(true);
    rg_orientation = new QButtonGroup(orientation);
    rg_orientation->addButton(rb_portrait, 0);
    rg_orientation->addButton(rb_landscape, 1);
    connect(rg_orientation, &QButtonGroup::idClicked, this,
            [this](int id) { FLogic.OrientationClicked(id); });
    orientationLayout->addWidget(rb_portrait);
    orientationLayout->addWidget(rb_landscape);
    layout->addWidget(orientation);

    layout->addWidget(new QLabel(QStringLiteral("Display Units: inches"), bar));
    layout->addStretch(1);
    btn_reset = Button(QStringLiteral("RESET"), "btn_reset", bar);
    btn_ok = Button(QStringLiteral("OK"), "btn_ok", bar);
    connect(btn_reset, &QPushButton::clicked, this, [this] { FLogic.Reset(); });
    connect(btn_ok, &QPushButton::clicked, this, [this] {
        if (FLogic.Ok())
            accept();
    });
    layout->addWidget(btn_reset);
    layout->addWidget(btn_ok);
    return bar;
}

void Tfrm_templateeditor::WireLayoutField(TnumEdit *field, TLayoutField which)
{
    field->OnChange = [this, which](TnumEdit *sender) {
        FLogic.LayoutFieldChanged(which, sender->GetAsdouble(), sender->GetAsinteger());
    };
    // The field keeps its last number while its text is none: GO must know.
    const bool whole = which == TLayoutField::Columns || which == TLayoutField::Rows;
    connect(field, &QLineEdit::textChanged, this, [this, which, whole](const QString &text) {
        FLogic.SetLayoutFieldValid(which, ReadsAsNumber(text, whole));
    });
    connect(field, &QLineEdit::returnPressed, this, [this] { btn_auto->click(); });
    field->installEventFilter(this);
}

void Tfrm_templateeditor::WireSpotField(TnumEdit *field, int32_t tag)
{
    field->OnChange = [this, tag](TnumEdit *sender) {
        if (!ShowingParts)
            FLogic.SpotFieldChanged(tag, sender->GetAsdouble(), sender->hasFocus());
    };
}

bool Tfrm_templateeditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == img_preview) {
        if (event->type() == QEvent::Resize)
            FLogic.SetPreviewSize(img_preview->width(), img_preview->height());
        return QDialog::eventFilter(watched, event);
    }
    const bool entered =
        (event->type() == QEvent::FocusIn && IsUserFocus(static_cast<QFocusEvent *>(event)->reason())) ||
        event->type() == QEvent::MouseButtonPress;
    if (entered && std::find(LayoutFields.begin(), LayoutFields.end(), watched) != LayoutFields.end())
        FLogic.LayoutFieldEntered();
    return QDialog::eventFilter(watched, event);
}

void Tfrm_templateeditor::SetEditedTemplate(tlabeltemplate *t)
{
    FLogic.SetEditedTemplate(t);
}

int Tfrm_templateeditor::EditTemplate(tlabeltemplate &t, Tdrawlist *document)
{
    SetEditedTemplate(&t);
    const int result = exec();
    if (document) {
        document->SetLabelWidth(t.GetLabelWidth());
        document->SetLabelHeight(t.GetLabelHeight());
    }
    return result;
}

void Tfrm_templateeditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FLogic.SetPreviewSize(img_preview->width(), img_preview->height());
        FLogic.Shown();
    }
}

void Tfrm_templateeditor::done(int result)
{
    FLogic.Closed();
    QDialog::done(result);
}

void Tfrm_templateeditor::ShowSpotList(bool entries)
{
    const QSignalBlocker blocker(lb_geom);
    if (entries) {
        lb_geom->clear();
        lb_geom->addItems(FLogic.GetSpotItems());
    }
    lb_geom->setCurrentRow(FLogic.GetSelectedSpot());
}

void Tfrm_templateeditor::ShowParts(uint32_t parts)
{
    // What the program puts into the spot's fields never writes back, even into the field
    // that has the focus.
    const QScopedValueRollback<bool> showing(ShowingParts, true);
    if (parts & (tpSpotList | tpSpotSelection))
        ShowSpotList((parts & tpSpotList) != 0);
    if (parts & tpSpotValues) {
        const TSpotValues &v = FLogic.GetSpotValues();
        ShowValue(ed_top, v.Top);
        ShowValue(ed_left, v.Left);
        ShowValue(ed_width, v.Width);
        ShowValue(ed_height, v.Height);
    }
    if (parts & tpLayout) {
        const TLayoutFields &l = FLogic.GetLayout();
        const double values[] = {l.LeftMargin, l.TopMargin, double(l.Columns), double(l.Rows),
                                 l.HGutter,    l.VGutter,   l.LabelWidth,      l.LabelHeight};
        for (size_t i = 0; i < LayoutFields.size(); ++i)
            ShowValue(LayoutFields[i], values[i]);
    }
    if ((parts & tpDescription) && mem_descr->toPlainText() != FLogic.GetDescription())
        mem_descr->setPlainText(FLogic.GetDescription());
    if (parts & tpOrientation) {
        const int32_t orientation = FLogic.GetShownOrientation();
        if (QAbstractButton *button = rg_orientation->button(orientation)) {
            button->setChecked(true);
        } else {
            // An orientation the buttons do not name: neither is checked.
            rg_orientation->setExclusive(false);
            rb_portrait->setChecked(false);
            rb_landscape->setChecked(false);
            rg_orientation->setExclusive(true);
        }
    }
    if (parts & tpPreview)
        img_preview->update();
}
