#include "app/startupdialog.h"

#include "app/appicons.h"
#include "editing/startup.h"

#include <QPainter>
#include <QPushButton>

namespace {
// The last label's button under the picture: its height and the space around it.
constexpr int RecentButtonHeight = 28;
constexpr int RecentButtonMargin = 10;
} // namespace

Tfrm_startup::Tfrm_startup(QWidget *parent) : QDialog(parent), Background(StartupBackground())
{
    setObjectName(QStringLiteral("frm_startup"));
    setWindowTitle(QStringLiteral("Welcome"));
    // A dialog with the desktop's frame: the picture's money-green corners take the window's
    // colour instead of being cut away.
    Background = Background.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < Background.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(Background.scanLine(y));
        for (int x = 0; x < Background.width(); ++x)
            if (line[x] == MoneyGreen)
                line[x] = 0;
    }

    Button1 = new QPushButton(QStringLiteral("Create New Label"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(80, 128, 121, 25);
    Button2 = new QPushButton(QStringLiteral("Open Saved Label"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(232, 128, 121, 25);
    // The last label's button lies below the picture, clear of its frame.
    btn_recent = new QPushButton(this);
    btn_recent->setObjectName(QStringLiteral("btn_recent"));
    btn_recent->setGeometry(RecentButtonMargin, Background.height() + RecentButtonMargin,
                            Background.width() - 2 * RecentButtonMargin, RecentButtonHeight);
    setFixedSize(Background.size());
    connect(Button1, &QPushButton::clicked, this, [this] { ButtonClicked(OnNewLabel); });
    connect(Button2, &QPushButton::clicked, this, [this] { ButtonClicked(OnOpenLabel); });
    connect(btn_recent, &QPushButton::clicked, this, [this] { ButtonClicked(OnOpenRecentLabel); });
}

void Tfrm_startup::showEvent(QShowEvent *event)
{
    const bool recent = !RecentLabelName.isEmpty();
    btn_recent->setVisible(recent);
    if (recent)
        btn_recent->setText(RecentLabelCaption(RecentLabelName));
    setFixedSize(Background.width(),
                 Background.height() + (recent ? RecentButtonHeight + 2 * RecentButtonMargin : 0));
    QDialog::showEvent(event);
}

void Tfrm_startup::CentreOn(const QWidget &owner)
{
    move(owner.frameGeometry().center() - rect().center());
}

void Tfrm_startup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.drawImage(0, 0, Background);
}

void Tfrm_startup::ButtonClicked(const std::function<void(Tfrm_startup *)> &callback)
{
    accept();
    if (callback)
        callback(this);
}
