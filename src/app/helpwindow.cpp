#include "app/helpwindow.h"

#include "app/appicons.h"
#include "editing/startup.h"
#include "platform/messages.h"
#include "platform/platform.h"

#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace {
// Room beside the contents list's longest entry, and the widest the list takes.
constexpr int ContentsPadding = 12;
constexpr int MaxContentsWidth = 420;
} // namespace

Tfrm_help::Tfrm_help(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frm_help"));
    setWindowTitle(QStringLiteral("Ambrelo Help"));
    setWindowIcon(ProgramIcon());
    resize(900, 640);
    lb_contents = new QListWidget;
    lb_contents->setObjectName(QStringLiteral("lb_contents"));
    Browser = new QTextBrowser;
    Browser->setObjectName(QStringLiteral("Browser"));
    // Links to other sites go to the desktop's browser.
    Browser->setOpenExternalLinks(true);
    auto *splitter = new QSplitter;
    splitter->addWidget(lb_contents);
    splitter->addWidget(Browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 680});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    connect(lb_contents, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        Browser->setSource(QUrl::fromLocalFile(item->data(Qt::UserRole).toString()));
    });
    connect(lb_contents, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        Browser->setSource(QUrl::fromLocalFile(item->data(Qt::UserRole).toString()));
    });
    connect(Browser, &QTextBrowser::sourceChanged, this, [this](const QUrl &url) { SelectPage(url); });
}

bool Tfrm_help::ShowTopic(const QString &folder, const QString &topic)
{
    const QString contents = folder + QLatin1Char('/') + HelpPageForTopic(QString());
    if (!QFileInfo(contents).isFile())
        return false;
    if (LoadedFolder != folder)
        LoadContents(folder);
    QString page = folder + QLatin1Char('/') + HelpPageForTopic(topic);
    if (!QFileInfo(page).isFile())
        page = contents;
    Browser->setSource(QUrl::fromLocalFile(page));
    show();
    raise();
    activateWindow();
    return true;
}

void Tfrm_help::LoadContents(const QString &folder)
{
    LoadedFolder = folder;
    lb_contents->clear();
    QFile file(folder + QLatin1Char('/') + HelpPageForTopic(QString()));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString html = QString::fromUtf8(file.readAll());
    auto *contents = new QListWidgetItem(QStringLiteral("Contents"), lb_contents);
    contents->setData(Qt::UserRole, file.fileName());
    for (const THelpEntry &entry : HelpContents(html)) {
        auto *item = new QListWidgetItem(entry.Title, lb_contents);
        item->setData(Qt::UserRole, folder + QLatin1Char('/') + entry.Page);
    }
    // The list is as wide as its longest entry, the page takes the rest.
    const int width = lb_contents->sizeHintForColumn(0) + 2 * lb_contents->frameWidth() +
                      lb_contents->verticalScrollBar()->sizeHint().width() + ContentsPadding;
    lb_contents->setMinimumWidth(std::min(width, MaxContentsWidth));
    if (auto *splitter = qobject_cast<QSplitter *>(lb_contents->parentWidget())) {
        const int total = std::max(splitter->width(), this->width());
        splitter->setSizes({lb_contents->minimumWidth(), std::max(total - lb_contents->minimumWidth(), 1)});
    }
}

void Tfrm_help::SelectPage(const QUrl &url)
{
    const QString shown = QFileInfo(url.toLocalFile()).canonicalFilePath();
    for (int i = 0; i < lb_contents->count(); ++i) {
        QListWidgetItem *item = lb_contents->item(i);
        if (QFileInfo(item->data(Qt::UserRole).toString()).canonicalFilePath() == shown) {
            const QSignalBlocker block(lb_contents);
            lb_contents->setCurrentItem(item);
            return;
        }
    }
}

void ShowHelp(Tfrm_help &window, const QString &topic)
{
    if (!window.ShowTopic(HelpFolder(DataFolder()), topic))
        ShowFlexDlg(QString::fromLatin1(HelpMissingTitle), HelpMissingMessage(), QStringLiteral("Ok=mrok"),
                    QString(), fiError, true, -1);
}
