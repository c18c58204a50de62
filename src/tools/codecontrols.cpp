#include "tools/codecontrols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
// What is wrong shows in dark red, a warning in dark amber.
const QString ErrorStyle = QStringLiteral("color: #a01010;");
const QString WarningStyle = QStringLiteral("color: #8a5a00;");
} // namespace

Tcodecontrols::Tcodecontrols(Tcodepanel &logic,
                             std::function<void(TColor initial, std::function<void(TColor)>)> pickColor,
                             QWidget *parent)
    : QWidget(parent), Logic(logic)
{
    setObjectName(QStringLiteral("pnl_code"));
    auto *v = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral(" Code"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    v->addWidget(title);

    cb_symbology = new QComboBox(this);
    cb_symbology->setObjectName(QStringLiteral("cb_symbology"));
    cb_symbology->addItems(Tcodepanel::SymbologyNames());
    connect(cb_symbology, &QComboBox::activated, this,
            [this](int index) { Logic.SetSymbology(uint8_t(std::max(index, 0))); });
    v->addWidget(cb_symbology);

    ed_codedata = new QLineEdit(this);
    ed_codedata->setObjectName(QStringLiteral("ed_codedata"));
    ed_codedata->setPlaceholderText(QStringLiteral("Data to encode"));
    // The codes take the data when Enter is pressed or the box is left, one undo step; what is
    // typed is judged as it is typed.
    connect(ed_codedata, &QLineEdit::textEdited, this,
            [this](const QString &text) { Logic.CheckTyped(text); });
    connect(ed_codedata, &QLineEdit::editingFinished, this, [this] {
        if (ed_codedata->isModified())
            Logic.SetData(ed_codedata->text());
        ed_codedata->setModified(false);
    });
    v->addWidget(ed_codedata);

    lbl_codemessage = new QLabel(this);
    lbl_codemessage->setObjectName(QStringLiteral("lbl_codemessage"));
    lbl_codemessage->setWordWrap(true);
    v->addWidget(lbl_codemessage);

    band_qrlevel = new QWidget(this);
    auto *levelRow = new QHBoxLayout(band_qrlevel);
    levelRow->setContentsMargins(0, 0, 0, 0);
    levelRow->addWidget(new QLabel(QStringLiteral("Error correction"), band_qrlevel));
    cb_qrlevel = new QComboBox(band_qrlevel);
    cb_qrlevel->setObjectName(QStringLiteral("cb_qrlevel"));
    cb_qrlevel->addItems(Tcodepanel::LevelNames());
    connect(cb_qrlevel, &QComboBox::activated, this,
            [this](int index) { Logic.SetQrLevel(uint8_t(std::max(index, 0))); });
    levelRow->addWidget(cb_qrlevel, 1);
    v->addWidget(band_qrlevel);

    chk_showtext = new QCheckBox(QStringLiteral("Human-readable text"), this);
    connect(chk_showtext, &QCheckBox::clicked, this, [this](bool on) { Logic.SetShowText(on); });
    v->addWidget(chk_showtext);

    auto *colorRow = new QHBoxLayout;
    btn_codecolor = new QPushButton(QStringLiteral("Color"), this);
    img_codeswatch = new QLabel(this);
    connect(btn_codecolor, &QPushButton::clicked, this,
            [this, pickColor] { pickColor(Logic.GetColor(), [this](TColor c) { Logic.SetColor(c); }); });
    colorRow->addWidget(btn_codecolor);
    colorRow->addWidget(img_codeswatch);
    colorRow->addStretch(1);
    v->addLayout(colorRow);
    v->addStretch(1);
    Refresh();
}

void Tcodecontrols::Refresh()
{
    {
        const QSignalBlocker a(cb_symbology), b(cb_qrlevel);
        cb_symbology->setCurrentIndex(Logic.GetSymbology() < cb_symbology->count() ? Logic.GetSymbology()
                                                                                   : -1);
        cb_qrlevel->setCurrentIndex(Logic.GetQrLevel() < cb_qrlevel->count() ? Logic.GetQrLevel() : -1);
    }
    // What is being typed stays until it is given to the codes.
    if (!ed_codedata->hasFocus() || !ed_codedata->isModified())
        ed_codedata->setText(Logic.GetData());
    chk_showtext->setChecked(Logic.GetShowText());
    band_qrlevel->setVisible(Logic.IsQrLevelVisible());
    chk_showtext->setVisible(Logic.IsShowTextVisible());
    const QString &message = Logic.GetMessage().isEmpty() ? Logic.GetWarning() : Logic.GetMessage();
    lbl_codemessage->setText(message);
    lbl_codemessage->setStyleSheet(Logic.GetMessage().isEmpty() ? WarningStyle : ErrorStyle);
    lbl_codemessage->setVisible(!message.isEmpty());
    const int side = btn_codecolor->sizeHint().height();
    QPixmap swatch(side, side);
    swatch.fill(ToQColor(Logic.GetColor()));
    img_codeswatch->setPixmap(swatch);
}
