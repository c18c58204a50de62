#pragma once
// The help: HTML pages beside the program (help/), shown in a window of the program's own with
// the contents at the left and the page at the right, opened at the contents or at a topic.

#include <QWidget>

class QListWidget;
class QUrl;
class QTextBrowser;

class Tfrm_help : public QWidget {
    Q_OBJECT

public:
    explicit Tfrm_help(QWidget *parent = nullptr);

    // Shows the page of the topic ("all" or empty: the contents) from folder; false, showing
    // nothing, when the folder holds no help.
    bool ShowTopic(const QString &folder, const QString &topic);

    QListWidget *lb_contents;
    QTextBrowser *Browser;

private:
    void LoadContents(const QString &folder);
    // The contents entry of the page shown.
    void SelectPage(const QUrl &url);

    QString LoadedFolder;
};

// Opens the help at a topic. A missing help folder shows the error dialog and nothing else.
void ShowHelp(Tfrm_help &window, const QString &topic);
