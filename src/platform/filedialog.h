#pragma once
// The open and save dialogs as the layers without widgets see them: the set-up they give, the
// files the user chose, and the preview pane their owner draws into while the user browses.
// The application installs the real dialogs at start-up; without them every dialog is cancelled.

#include <QImage>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

enum class TFileDialogKind { Open, Save };

// Dialog options, combined as a bit set.
enum TOpenOption : uint32_t {
    // Set after Execute when the user ticked the open dialog's read-only box.
    ofReadOnly = 0x1,
    // Without it the open dialog shows an "Open as read-only" box.
    ofHideReadOnly = 0x2,
    ofAllowMultiSelect = 0x4,
    ofFileMustExist = 0x8,
    // Asks before a save dialog picks an existing file.
    ofOverwritePrompt = 0x10,
    // The dialog can be resized; without it it keeps the size it opens with.
    ofEnableSizing = 0x20,
    // The plain dialog, without the preview pane.
    ofOldStyleDialog = 0x40,
};
using TOpenOptions = uint32_t;

// One filter of a dialog: the text the user sees and the patterns it lets through.
struct TFileFilter {
    QString Description;
    QStringList Patterns;

    friend bool operator==(const TFileFilter &, const TFileFilter &) = default;
};

// Splits a filter of the form "Description|*.ext|Other files|*.a;*.b" into its filters. A
// description without its pattern at the end is dropped, an empty description shows its
// patterns, and "*.*" (every file) becomes "*".
std::vector<TFileFilter> ParseFileFilter(const QString &filter);

// The same filters as Qt's dialogs take them: "Description (*.a *.b)".
QStringList QtNameFilters(const QString &filter);

class Tfiledialog {
public:
    explicit Tfiledialog(TFileDialogKind kind) : Kind(kind) {}
    virtual ~Tfiledialog() = default;
    Tfiledialog(const Tfiledialog &) = delete;
    Tfiledialog &operator=(const Tfiledialog &) = delete;

    TFileDialogKind GetKind() const { return Kind; }
    bool IsSaveDialog() const { return Kind == TFileDialogKind::Save; }

    // Shows the dialog and waits for the user; true when a file was confirmed. FileName and
    // Files then hold the choice and FilterIndex the filter it was made under.
    virtual bool Execute() = 0;

    const QString &GetFilter() const { return Filter; }
    void SetFilter(const QString &v) { Filter = v; }
    // 1 is the first filter; 0 or a number past the last also starts on the first.
    int32_t GetFilterIndex() const { return FilterIndex; }
    void SetFilterIndex(int32_t v) { FilterIndex = v; }
    TOpenOptions GetOptions() const { return Options; }
    void SetOptions(TOpenOptions v) { Options = v; }
    // Without the dot ("wlp"): added to a typed name that has no extension.
    const QString &GetDefaultExt() const { return DefaultExt; }
    void SetDefaultExt(const QString &v) { DefaultExt = v; }
    // Empty gives "Open" or "Save".
    const QString &GetTitle() const { return Title; }
    void SetTitle(const QString &v) { Title = v; }
    const QString &GetInitialDir() const { return InitialDir; }
    void SetInitialDir(const QString &v) { InitialDir = v; }

    // Before Execute, the name the dialog starts with; while the dialog is open, the file the
    // user has selected (the one being previewed); after it, the confirmed file.
    const QString &GetFileName() const { return FileName; }
    void SetFileName(const QString &v) { FileName = v; }
    // Empty while the dialog is open; after a confirmed Execute every chosen file, also when
    // there is only one.
    const QStringList &GetFiles() const { return Files; }

    // The picture of the preview pane, as large as the pane shows it. The handler draws into
    // it (a Tcanvas binds to it); its width is the width a thumbnail should have.
    QImage &PreviewImage() { return Preview; }
    const QImage &PreviewImage() const { return Preview; }
    // The line above the picture.
    const QString &GetPreviewCaption() const { return PreviewCaption; }
    void SetPreviewCaption(const QString &v) { PreviewCaption = v; }

    // Asked to draw a preview of GetFileName into PreviewImage whenever the selection moves
    // to another existing file or folder; sets result to true when it has drawn. When it
    // leaves result false, or throws, the pane shows its blank message instead.
    std::function<void(Tfiledialog *sender, bool &result)> ongetpreview;

protected:
    void SetFiles(const QStringList &v) { Files = v; }

private:
    TFileDialogKind Kind;
    QString Filter;
    int32_t FilterIndex = 1;
    TOpenOptions Options = ofHideReadOnly | ofEnableSizing;
    QString DefaultExt;
    QString Title;
    QString InitialDir;
    QString FileName;
    QStringList Files;
    QImage Preview;
    QString PreviewCaption;
};

using TFileDialogFactory = std::function<std::unique_ptr<Tfiledialog>(TFileDialogKind kind)>;

// Installs the dialogs; an empty factory restores the fallback.
void SetFileDialogFactory(TFileDialogFactory factory);

// A new dialog of the installed kind. Without a factory the dialog's Execute returns false at
// once, as if the user had cancelled.
std::unique_ptr<Tfiledialog> CreateFileDialog(TFileDialogKind kind);
