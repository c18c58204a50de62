#include "widgets/progresswindow.h"

#include "platform/colors.h"
#include "platform/rnd.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int ClientWidth = 397;
constexpr int ClientHeight = 52;
constexpr int InitialMaximum = 1000;
constexpr int DefaultMaximum = 100;
constexpr int CaptionPointSize = 10;
} // namespace

Tprogresswindow::Tprogresswindow(QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), Owner(owner)
{
    setFixedSize(ClientWidth, ClientHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(clInfoBk));
    setPalette(palette);
    setAutoFillBackground(true);

    GroupBox1 = new QGroupBox(QStringLiteral("Progress"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setFont(QFont(QStringLiteral("MS Sans Serif"), CaptionPointSize, QFont::Bold));
    ProgressBar1 = new QProgressBar(GroupBox1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(GroupBox1);
    btn_cancel = new QPushButton(QStringLiteral("Cancel"), GroupBox1);
    btn_cancel->setObjectName(QStringLiteral("btn_cancel"));
    btn_cancel->setFont(font());
    btn_cancel->hide();
    connect(btn_cancel, &QPushButton::clicked, this, [this] { CancelPressed = true; });
    auto *inner = new QHBoxLayout(GroupBox1);
    inner->setContentsMargins(6, 2, 6, 6);
    inner->addWidget(ProgressBar1, 1);
    inner->addWidget(btn_cancel);

    Maximum = InitialMaximum;
    ShowOnBar();
}

Tprogresswindow::~Tprogresswindow()
{
    if (ProgressWindow() == this)
        SetProgressWindow(nullptr);
}

QString Tprogresswindow::GetCaption() const
{
    return GroupBox1->title();
}

void Tprogresswindow::BeginProgress(const QString &caption, int32_t maximum)
{
    GroupBox1->setTitle(caption);
    CancelPressed = false;
    Position = 0;
    Maximum = maximum < 0 ? DefaultMaximum : maximum;
    ShowOnBar();
    ShowProgress();
}

void Tprogresswindow::StepProgress()
{
    if (Position < Maximum)
        ++Position;
    ShowOnBar();
}

void Tprogresswindow::SetProgressCaption(const QString &text)
{
    GroupBox1->setTitle(text);
}

void Tprogresswindow::SetProgressFraction(double fraction)
{
    Fraction = fraction;
    SetProgressPosition(rnd(double(Maximum) * fraction));
    repaint();
}

void Tprogresswindow::SetProgressPosition(int32_t position)
{
    Position = std::clamp(position, 0, Maximum);
    ShowOnBar();
}

void Tprogresswindow::ShowProgress()
{
    show();
    repaint();
}

void Tprogresswindow::HideProgress()
{
    hide();
    btn_cancel->hide();
    setWindowModality(Qt::NonModal);
}

void Tprogresswindow::OfferCancel()
{
    CancelPressed = false;
    // Modality takes effect when the window is shown.
    hide();
    setWindowModality(Qt::ApplicationModal);
    btn_cancel->show();
    ShowProgress();
}

bool Tprogresswindow::Cancelled()
{
    QCoreApplication::processEvents();
    return CancelPressed;
}

void Tprogresswindow::showEvent(QShowEvent *event)
{
    CentreOnOwner();
    QWidget::showEvent(event);
}

// Qt's bar turns into a busy indicator when its range is empty; an empty range here is an
// empty bar, so the bar gets a range of at least one.
void Tprogresswindow::ShowOnBar()
{
    ProgressBar1->setRange(0, std::max(Maximum, 1));
    ProgressBar1->setValue(Position);
}

void Tprogresswindow::CentreOnOwner()
{
    QRect area;
    if (Owner)
        area = Owner->window()->frameGeometry();
    else if (const QScreen *s = screen())
        area = s->availableGeometry();
    if (area.isValid())
        move(area.center() - rect().center());
}
