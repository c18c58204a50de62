#include "app/aboutbox.h"

#include "app/appicons.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

const char *const MakerWebAddress = "https://www.fennbrook.example/labels/";

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));

    auto *panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto *icon = new QLabel(panel);
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    ProductName = new QLabel(QStringLiteral("Ambrelo - Wine Label Software From Fennbrook Cellars"), panel);
    ProductName->setWordWrap(true);
    lbl_version = new QLabel(panel);
    lbl_version->setObjectName(QStringLiteral("lbl_version"));
    Copyright =
        new QLabel(QStringLiteral("Labels designed here print on Fennbrook Cellars label stock."), panel);
    Copyright->setWordWrap(true);
    // The address is never broken across lines: it starts a line of its own.
    Comments =
        new QLabel(QStringLiteral("For more information or to order additional labels please contact "
                                  "Fennbrook Cellars at<br><span style=\"white-space:nowrap\">%1</span>")
                       .arg(QString::fromLatin1(MakerWebAddress).toHtmlEscaped()),
                   panel);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setTextFormat(Qt::RichText);
    Comments->setWordWrap(true);
    Comments->setCursor(Qt::PointingHandCursor);
    Comments->installEventFilter(this);

    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    auto *names = new QVBoxLayout;
    names->addWidget(ProductName);
    names->addWidget(lbl_version);
    top->addLayout(names, 1);
    auto *inside = new QVBoxLayout(panel);
    inside->addLayout(top);
    inside->addWidget(Copyright);
    inside->addWidget(Comments);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);

    // As large as its texts need in the desktop's font, at least its design size.
    setFixedSize(layout->sizeHint().expandedTo(QSize(298, 213)));
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutBox::SetVersion(const QString &version)
{
    lbl_version->setText(QStringLiteral("Version: ") + version);
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Comments && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        OpenWebPage();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::OpenWebPage()
{
    // The desktop's answer is not waited for beyond the call, nor reported.
    setCursor(Qt::WaitCursor);
    Comments->setCursor(Qt::WaitCursor);
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(MakerWebAddress)));
    Comments->setCursor(Qt::PointingHandCursor);
    unsetCursor();
}
