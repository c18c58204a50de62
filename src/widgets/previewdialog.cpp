#include "widgets/previewdialog.h"

#include "platform/colors.h"
#include "platform/rnd.h"

#include <QCheckBox>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QTextLayout>
#include <QToolTip>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int BevelWidth = 1;
constexpr int PaneBorder = 6;
constexpr int CaptionHeight = 32;
// A description shows whole, wrapped, up to this many lines (the rest in the tool tip).
constexpr int MaxCaptionLines = 12;
// The pane's width leaves the picture as wide as a thumbnail is at first (152 pixels).
constexpr int PaneWidth = 152 + 2 * (PaneBorder + 2 * BevelWidth);
constexpr int MinPictureHeight = 100;

// The description of the filter ("Wine Label Template (*.wlt) (*.wlt)") whose patterns take the
// file's name, or nothing; a filter for every file ("*") names no type.
QString TypeFromFilters(const QStringList &filters, const QString &fileName)
{
    for (const QString &filter : filters) {
        const qsizetype open = filter.lastIndexOf(u'(');
        const qsizetype close = filter.lastIndexOf(u')');
        if (open < 0 || close < open)
            continue;
        const QStringList patterns = filter.mid(open + 1, close - open - 1).split(u' ', Qt::SkipEmptyParts);
        for (const QString &pattern : patterns)
            if (pattern != QLatin1String("*") && pattern != QLatin1String("*.*") &&
                QDir::match(pattern, fileName))
                return filter.left(filter.indexOf(QLatin1String(" ("))).trimmed();
    }
    return {};
}

// The detail view's Type column names the program's own files by their filter's description,
// where the desktop's type database does not know them (it says "unknown").
class TFilterTypeNames : public QFileIconProvider {
public:
    explicit TFilterTypeNames(const QFileDialog &dialog) : Dialog(dialog) {}

    QString type(const QFileInfo &info) const override
    {
        if (info.isFile()) {
            const QString name = TypeFromFilters(Dialog.nameFilters(), info.fileName());
            if (!name.isEmpty())
                return name;
        }
        return QFileIconProvider::type(info);
    }

private:
    const QFileDialog &Dialog;
};

QColor ButtonFace()
{
    return ToQColor(clBtnFace);
}

// The text as far as it fits the box when wrapped at word breaks; the last line that fits ends
// in an ellipsis when more would follow, and cut says so.
QString FittedCaption(const QString &text, const QFont &font, int width, int height, bool &cut)
{
    cut = false;
    const QFontMetrics metrics(font);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QString fitted;
    int top = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        const int bottom = top + metrics.lineSpacing();
        const bool lastThatFits = bottom + metrics.lineSpacing() > height;
        const int end = lastThatFits ? int(text.size()) : line.textStart() + line.textLength();
        QString part = text.mid(line.textStart(), end - line.textStart());
        if (lastThatFits) {
            const QString whole = part;
            part = metrics.elidedText(part, Qt::ElideRight, width);
            cut = part != whole;
            fitted += part;
            break;
        }
        while (!part.isEmpty() && part.back().isSpace())
            part.chop(1);
        fitted += part + QLatin1Char('\n');
        top = bottom;
    }
    layout.endLayout();
    while (fitted.endsWith(QLatin1Char('\n')))
        fitted.chop(1);
    return fitted;
}

} // namespace

TSilentPaintPanel::TSilentPaintPanel(QWidget *parent) : QFrame(parent)
{
    setContentsMargins(2 * BevelWidth, 2 * BevelWidth, 2 * BevelWidth, 2 * BevelWidth);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
}

void TSilentPaintPanel::SetCaption(const QString &v)
{
    Caption = v;
    update();
}

void TSilentPaintPanel::paintEvent(QPaintEvent *)
{
    try {
        QPainter painter(this);
        PaintBevels(painter);
        PaintCaption(painter);
        if (onpaint)
            onpaint(this, painter);
    } catch (const std::exception &) {
        Caption = QStringLiteral("Invalid image");
        QPainter painter(this);
        painter.fillRect(rect(), ButtonFace());
        PaintBevels(painter);
        PaintCaption(painter);
    }
}

// Lowered outside, raised inside.
void TSilentPaintPanel::PaintBevels(QPainter &painter) const
{
    const QColor shadow = ToQColor(clBtnShadow);
    const QColor light = ToQColor(clBtnHighlight);
    QRect r = rect().adjusted(0, 0, -1, -1);
    for (const auto &[topLeft, bottomRight] : {std::pair{shadow, light}, std::pair{light, shadow}}) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        r.adjust(BevelWidth, BevelWidth, -BevelWidth, -BevelWidth);
    }
}

void TSilentPaintPanel::PaintCaption(QPainter &painter) const
{
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, Caption);
}

QRect Tpreviewimage::PictureRect(const QRect &box) const
{
    if (Picture.isNull() || box.isEmpty())
        return {};
    const double scale =
        std::min(double(box.width()) / Picture.width(), double(box.height()) / Picture.height());
    const QSize size(std::max(1, rnd(Picture.width() * scale)), std::max(1, rnd(Picture.height() * scale)));
    return QRect(box.topLeft() + QPoint((box.width() - size.width()) / 2, (box.height() - size.height()) / 2),
                 size);
}

void Tpreviewimage::Draw(QPainter &painter, const QRect &box) const
{
    const QRect target = PictureRect(box);
    if (target.isEmpty())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, Picture);
}

Topenpreviewdialog::Topenpreviewdialog(QWidget *parent) : Topenpreviewdialog(TFileDialogKind::Open, parent) {}

Topenpreviewdialog::Topenpreviewdialog(TFileDialogKind kind, QWidget *parent)
    : QFileDialog(parent), Tfiledialog(kind)
{
    // Qt's own dialog, the one a pane can be put into.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    CreatePreviewPane();
    TypeNames = std::make_unique<TFilterTypeNames>(*this);
    setIconProvider(TypeNames.get());
    connect(this, &QFileDialog::currentChanged, this, &Topenpreviewdialog::SelectionChanged);
    // The detail view's size, type and date columns are as wide as what they show: a type's
    // name whole, not its first letters.
    if (auto *details = findChild<QTreeView *>(QStringLiteral("treeView")))
        for (int column = 1; column < details->header()->count(); ++column)
            details->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

void Topenpreviewdialog::CreatePreviewPane()
{
    pnl_preview = new QFrame(this);
    pnl_preview->setObjectName(QStringLiteral("pnl_preview"));
    pnl_preview->setFixedWidth(PaneWidth);
    PictureLabel = new QLabel(pnl_preview);
    PictureLabel->setObjectName(QStringLiteral("PictureLabel"));
    PictureLabel->setMinimumHeight(CaptionHeight);
    PictureLabel->setWordWrap(true);
    PictureLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PaintPanel = new TSilentPaintPanel(pnl_preview);
    PaintPanel->setObjectName(QStringLiteral("PaintPanel"));
    PaintPanel->setMinimumHeight(MinPictureHeight);
    PaintPanel->onpaint = [this](TSilentPaintPanel *sender, QPainter &painter) {
        img_preview.Draw(painter, sender->contentsRect());
    };
    lbl_blankmsg = new QLabel(PaintPanel);
    lbl_blankmsg->setObjectName(QStringLiteral("lbl_blankmsg"));
    lbl_blankmsg->setWordWrap(true);
    lbl_blankmsg->setAlignment(Qt::AlignCenter);

    auto *pane = new QVBoxLayout(pnl_preview);
    pane->setContentsMargins(PaneBorder, PaneBorder, PaneBorder, PaneBorder);
    pane->setSpacing(0);
    pane->addWidget(PictureLabel);
    pane->addWidget(PaintPanel, 1);
    auto *overPicture = new QVBoxLayout(PaintPanel);
    overPicture->setContentsMargins(0, 0, 0, 0);
    overPicture->addWidget(lbl_blankmsg);

    chk_readonly = new QCheckBox(QStringLiteral("Open as read-only"), this);
    chk_readonly->setObjectName(QStringLiteral("chk_readonly"));
    chk_readonly->hide();

    // Qt's dialog lays itself out on a grid of four rows and three columns; the pane takes
    // a fourth column over the whole height, the read-only box a row under the file type.
    if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
        const int rows = grid->rowCount();
        grid->addWidget(pnl_preview, 0, grid->columnCount(), rows, 1);
        grid->addWidget(chk_readonly, rows, 1);
    } else if (layout()) {
        layout()->addWidget(pnl_preview);
        layout()->addWidget(chk_readonly);
    }
}

QString Topenpreviewdialog::GetBlankMessage() const
{
    return lbl_blankmsg->text();
}

void Topenpreviewdialog::SetBlankMessage(const QString &v)
{
    lbl_blankmsg->setText(v);
}

bool Topenpreviewdialog::Execute()
{
    const QString startName = GetFileName();
    SetFiles({});
    ApplySetup();
    const bool confirmed = exec() == QDialog::Accepted && !selectedFiles().isEmpty();
    if (confirmed)
        TakeResult();
    else
        SetFileName(startName);
    return confirmed;
}

void Topenpreviewdialog::ApplySetup()
{
    const TOpenOptions options = GetOptions();
    if (IsSaveDialog()) {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
    } else {
        setAcceptMode(QFileDialog::AcceptOpen);
        if (options & ofAllowMultiSelect)
            setFileMode(QFileDialog::ExistingFiles);
        else
            setFileMode(options & ofFileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    setOption(QFileDialog::DontConfirmOverwrite, !(options & ofOverwritePrompt));

    const QStringList filters = QtNameFilters(GetFilter());
    setNameFilters(filters.isEmpty() ? QStringList{QStringLiteral("*")} : filters);
    const int32_t index = GetFilterIndex();
    if (!filters.isEmpty())
        selectNameFilter(filters[index >= 1 && index <= filters.size() ? index - 1 : 0]);

    QString ext = GetDefaultExt();
    while (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    setDefaultSuffix(ext);
    setWindowTitle(!GetTitle().isEmpty() ? GetTitle()
                   : IsSaveDialog()      ? QStringLiteral("Save")
                                         : QStringLiteral("Open"));

    // A name with a folder that exists starts there; otherwise the initial folder, when it exists.
    const QFileInfo name(GetFileName());
    if (!GetFileName().isEmpty() && name.isAbsolute() && name.absoluteDir().exists())
        setDirectory(name.absoluteDir());
    else if (!GetInitialDir().isEmpty() && QDir(GetInitialDir()).exists())
        setDirectory(GetInitialDir());
    selectFile(GetFileName().isEmpty() ? QString() : name.fileName());

    pnl_preview->setVisible(!(options & ofOldStyleDialog));
    chk_readonly->setVisible(!IsSaveDialog() && !(options & ofHideReadOnly));
    chk_readonly->setChecked(options & ofReadOnly);
    setSizeGripEnabled(options & ofEnableSizing);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void Topenpreviewdialog::TakeResult()
{
    const QStringList chosen = selectedFiles();
    SetFiles(chosen);
    SetFileName(chosen.value(0));
    SetFilterIndex(ChosenFilterIndex());
    TOpenOptions options = GetOptions() & ~ofReadOnly;
    if (!chk_readonly->isHidden() && chk_readonly->isChecked())
        options |= ofReadOnly;
    SetOptions(options);
}

// Qt names the chosen filter by the description it shows.
int32_t Topenpreviewdialog::ChosenFilterIndex() const
{
    const QString chosen = selectedNameFilter();
    const std::vector<TFileFilter> filters = ParseFileFilter(GetFilter());
    const QStringList qtFilters = QtNameFilters(GetFilter());
    for (size_t i = 0; i < filters.size(); ++i)
        if (chosen == filters[i].Description || chosen == qtFilters.value(qsizetype(i)))
            return int32_t(i) + 1;
    return 1;
}

void Topenpreviewdialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        DialogShown();
    QFileDialog::showEvent(event);
    // Without ofEnableSizing the dialog keeps the size it opens with.
    if (!(GetOptions() & ofEnableSizing))
        setFixedSize(size());
}

void Topenpreviewdialog::done(int result)
{
    QFileDialog::done(result);
    QToolTip::hideText();
}

void Topenpreviewdialog::DialogShown()
{
    LastPreviewed.clear();
    PreviewImage() = QImage();
    img_preview.SetPicture(QImage());
    lbl_blankmsg->show();
    PaintPanel->SetCaption(QStringLiteral("(None)"));
}

QSize Topenpreviewdialog::PictureSize() const
{
    const QSize size = PaintPanel->contentsRect().size();
    return size.isEmpty() ? QSize(PaneWidth - 2 * (PaneBorder + 2 * BevelWidth), MinPictureHeight) : size;
}

QImage Topenpreviewdialog::BlankPicture() const
{
    QImage picture(PictureSize(), QImage::Format_RGB32);
    picture.fill(ButtonFace());
    return picture;
}

void Topenpreviewdialog::SelectionChanged(const QString &fileName)
{
    if (fileName == LastPreviewed)
        return;
    LastPreviewed = fileName;
    SetFileName(fileName);
    QImage &picture = PreviewImage();
    if (picture.size() != PictureSize())
        picture = BlankPicture();
    bool drawn = false;
    if (ongetpreview && QFileInfo::exists(fileName)) {
        try {
            ongetpreview(this, drawn);
        } catch (const std::exception &) {
            drawn = false;
        }
    }
    if (!drawn)
        picture = BlankPicture();
    ShowPicture(drawn);
}

void Topenpreviewdialog::ShowPicture(bool drawn)
{
    img_preview.SetPicture(PreviewImage());
    // A description shows whole, wrapped over as many lines as it needs (up to a bound past which
    // the tool tip holds the rest).
    const QString &caption = GetPreviewCaption();
    const QFontMetrics metrics(PictureLabel->font());
    bool cut = false;
    PictureLabel->setText(FittedCaption(caption, PictureLabel->font(), PaneWidth - 2 * PaneBorder,
                                        MaxCaptionLines * metrics.lineSpacing(), cut));
    PictureLabel->setToolTip(cut ? caption : QString());
    lbl_blankmsg->setVisible(!drawn);
    PaintPanel->update();
}

Tsavepreviewdialog::Tsavepreviewdialog(QWidget *parent) : Topenpreviewdialog(TFileDialogKind::Save, parent)
{
    setAcceptMode(QFileDialog::AcceptSave);
    setWindowTitle(QStringLiteral("Save"));
}

void InstallPreviewFileDialogs()
{
    SetFileDialogFactory([](TFileDialogKind kind) -> std::unique_ptr<Tfiledialog> {
        if (kind == TFileDialogKind::Save)
            return std::make_unique<Tsavepreviewdialog>();
        return std::make_unique<Topenpreviewdialog>();
    });
}
