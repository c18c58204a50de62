#pragma once
// The open and save dialogs with a preview pane beside the file list: when the user selects a
// file, ongetpreview draws it into the pane's picture; when nobody draws, the pane shows
// BlankMessage over an empty picture.

#include "platform/filedialog.h"

#include <QAbstractFileIconProvider>
#include <QFileDialog>
#include <QFrame>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;

// A panel that paints its content through onpaint over its centred caption. When the content
// fails to paint, the caption becomes "Invalid image" instead of the failure going on.
class TSilentPaintPanel : public QFrame {
    Q_OBJECT

public:
    explicit TSilentPaintPanel(QWidget *parent = nullptr);

    const QString &GetCaption() const { return Caption; }
    void SetCaption(const QString &v);

    // Paints inside contentsRect() with the panel's painter; may throw.
    std::function<void(TSilentPaintPanel *sender, QPainter &painter)> onpaint;

protected:
    // Base
    void paintEvent(QPaintEvent *event) override;

private:
    void PaintBevels(QPainter &painter) const;
    void PaintCaption(QPainter &painter) const;

    QString Caption;
};

// The picture of the preview pane, drawn by the panel that holds it: as large as its box
// allows with its proportions kept, and centred.
class Tpreviewimage {
public:
    const QImage &GetPicture() const { return Picture; }
    void SetPicture(const QImage &v) { Picture = v; }
    // Where the picture goes in box; empty while there is no picture.
    QRect PictureRect(const QRect &box) const;
    void Draw(QPainter &painter, const QRect &box) const;

private:
    QImage Picture;
};

class Topenpreviewdialog : public QFileDialog, public Tfiledialog {
    Q_OBJECT

public:
    explicit Topenpreviewdialog(QWidget *parent = nullptr);

    QString GetBlankMessage() const;
    void SetBlankMessage(const QString &v);

    // Tfiledialog
    bool Execute() override;

    // The selection moved to fileName (Qt's dialog reports it here). A name that is the one
    // previewed last is ignored.
    void SelectionChanged(const QString &fileName);

    QFrame *pnl_preview = nullptr;
    QLabel *PictureLabel = nullptr;
    TSilentPaintPanel *PaintPanel = nullptr;
    Tpreviewimage img_preview;
    QLabel *lbl_blankmsg = nullptr;
    // "Open as read-only", shown without ofHideReadOnly.
    QCheckBox *chk_readonly = nullptr;

protected:
    Topenpreviewdialog(TFileDialogKind kind, QWidget *parent);

    // Base
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void CreatePreviewPane();
    void ApplySetup();
    void TakeResult();
    int32_t ChosenFilterIndex() const;
    void DialogShown();
    // The size of the pane's picture; before the pane is laid out, the size it starts with.
    QSize PictureSize() const;
    // A picture of that size in the button-face colour.
    QImage BlankPicture() const;
    void ShowPicture(bool drawn);

    QString LastPreviewed;
    // Names the type of the files the filters describe (the Type column), see the constructor.
    std::unique_ptr<QAbstractFileIconProvider> TypeNames;
};

// The same dialog for saving.
class Tsavepreviewdialog : public Topenpreviewdialog {
    Q_OBJECT

public:
    explicit Tsavepreviewdialog(QWidget *parent = nullptr);
};

// Makes the preview dialogs the ones CreateFileDialog gives.
void InstallPreviewFileDialogs();
