#include "app/startupdialog.h"

#include "app/appicons.h"
#include "editing/startup.h"

#include <QBitmap>
#include <QPainter>
#include <QPushButton>
#include <QRegion>

Tfrm_startup::Tfrm_startup(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), Background(StartupBackground())
{
    setObjectName(QStringLiteral("frm_startup"));
    setWindowTitle(QStringLiteral("Welcome"));
    setFixedSize(Background.size());
    // The window is as large as its picture; the money-green pixels are cut away.
    setMask(QBitmap::fromImage(Background.createMaskFromColor(MoneyGreen, Qt::MaskInColor)));

    Button1 = new QPushButton(QStringLiteral("Create New Label"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(80, 128, 121, 25);
    Button2 = new QPushButton(QStringLiteral("Open Saved Label"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(232, 128, 121, 25);
    btn_recent = new QPushButton(this);
    btn_recent->setObjectName(QStringLiteral("btn_recent"));
    btn_recent->setGeometry(80, 160, 273, 26);
    connect(Button1, &QPushButton::clicked, this, [this] { ButtonClicked(OnNewLabel); });
    connect(Button2, &QPushButton::clicked, this, [this] { ButtonClicked(OnOpenLabel); });
    connect(btn_recent, &QPushButton::clicked, this, [this] { ButtonClicked(OnOpenRecentLabel); });
}

void Tfrm_startup::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    btn_recent->setVisible(!RecentLabelName.isEmpty());
    if (!RecentLabelName.isEmpty())
        btn_recent->setText(RecentLabelCaption(RecentLabelName));
}

void Tfrm_startup::CentreOn(const QWidget &owner)
{
    move(owner.frameGeometry().center() - rect().center());
}

void Tfrm_startup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Background);
}

void Tfrm_startup::ButtonClicked(const std::function<void(Tfrm_startup *)> &callback)
{
    accept();
    if (callback)
        callback(this);
}
