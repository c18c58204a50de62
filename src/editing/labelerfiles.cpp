// The editor's file commands: new labels from templates, opening and saving projects, saving
// templates, the batch conversion of old files, and files dropped on the window.

#include "editing/labeler.h"

#include "codecs/imagecodecs.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "editing/startup.h"
#include "editing/undogroup.h"
#include "platform/filedialog.h"
#include "platform/messages.h"
#include "settings/registry.h"
#include "settings/userfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

const char *const ConvertFilterAll = "Wine Label Files (*.wlp, *.wlt)|*.wlp;*.wlt";
const char *const BackupTitle = "Make Backup Copies?";
const char *const BackupQuestion = "Do you want to make backups of the files?";
const char *const ConvertDoneTitle = "Done";
const char *const BackupFolderName = "backup";

QString ConvertDoneMessage(int32_t count)
{
    return QStringLiteral("Done converting files, %1 files converted").arg(count);
}

namespace {

// Pictures dropped together lie this far apart, right and down, in document units.
constexpr int32_t DropStep = 100;

// The folder of a file with its trailing separator, as the dialogs' settings keep it.
QString FolderOf(const QString &file)
{
    return QFileInfo(file).absolutePath() + QLatin1Char('/');
}

QString Name(const char *name)
{
    return QString::fromLatin1(name);
}

// Copies file to target, replacing an older copy only once the new one is complete.
bool CopyOver(const QString &file, const QString &target)
{
    const QString partial = target + QStringLiteral(".partial");
    QFile::remove(partial);
    if (!QFile::copy(file, partial))
        return false;
    QFile::remove(target);
    if (QFile::rename(partial, target))
        return true;
    QFile::remove(partial);
    return false;
}

// Dropped files are told by their extension in any case: files from other systems often carry
// capitals.
TFileArgumentKind DroppedKind(const QString &file)
{
    return FileArgumentKind(file.toLower());
}

} // namespace

bool Tlabeler::SaveDocumentAs(const QString &name)
{
    QString file = name;
    if (file.isEmpty()) {
        std::unique_ptr<Tfiledialog> dialog = CreateFileDialog(TFileDialogKind::Save);
        Tdrawlist::SetupFileDialog(*dialog);
        dialog->SetInitialDir(StartFolder(Store.ReadString(Name(LastFilePathSetting)), DocumentsFolder()));
        if (Host.IsEnding() || !dialog->Execute())
            return false;
        file = dialog->GetFileName();
    }
    Project->Invalidate(true);
    Label.Save(file);
    Store.WriteString(Name(LastFilePathSetting), FolderOf(file));
    SetDocumentTitle(file);
    return true;
}

std::unique_ptr<Tfiledialog> Tlabeler::TemplateDialog(TFileDialogKind kind) const
{
    std::unique_ptr<Tfiledialog> dialog = CreateFileDialog(kind);
    tlabeltemplate::SetupFileDialog(*dialog);
    dialog->SetInitialDir(
        StartFolder(Store.ReadString(Name(LastTemplatePathSetting)), tlabeltemplate::StockTemplatesFolder()));
    return dialog;
}

void Tlabeler::RememberTemplateFolder(const QString &templateFile)
{
    // The program's own stock is where template dialogs start anyway; remembering it would tie
    // the dialogs to one copy of the program (a build tree, say) for every other copy.
    const QString folder = FolderOf(templateFile);
    const bool stock = QDir(folder) == QDir(tlabeltemplate::StockTemplatesFolder());
    Store.WriteString(Name(LastTemplatePathSetting), stock ? QString() : folder);
}

void Tlabeler::NewLabel()
{
    if (!AskSaveChanges(true))
        return;
    CanvasInput->HideTextEditor();
    std::unique_ptr<Tfiledialog> dialog = TemplateDialog(TFileDialogKind::Open);
    if (!Host.IsEnding() && dialog->Execute())
        NewLabelFrom(dialog->GetFileName());
    LabelView->CenterScreen();
    Project->Invalidate(true);
}

void Tlabeler::NewLabelFrom(const QString &templateFile)
{
    try {
        if (!Label.CanOpenTemplate(templateFile))
            return;
        Label.NewFrom(templateFile);
        DocumentReplaced();
        RememberTemplateFolder(templateFile);
        SetDocumentTitle(Name(NewFileName));
    } catch (const std::exception &e) {
        ReportError(e);
    }
}

void Tlabeler::OpenLabel()
{
    if (!AskSaveChanges(true))
        return;
    CanvasInput->HideTextEditor();
    std::unique_ptr<Tfiledialog> dialog = CreateFileDialog(TFileDialogKind::Open);
    Tdrawlist::SetupFileDialog(*dialog);
    dialog->SetInitialDir(StartFolder(Store.ReadString(Name(LastFilePathSetting)), DocumentsFolder()));
    if (!Host.IsEnding() && dialog->Execute())
        OpenProject(dialog->GetFileName());
    LabelView->CenterScreen();
    Project->Invalidate(true);
}

void Tlabeler::OpenProject(const QString &file)
{
    try {
        if (!Label.CanOpenProject(file))
            return;
        LoadProject(file);
        SetDocumentTitle(file);
        Store.WriteString(Name(LastFilePathSetting), FolderOf(file));
    } catch (const std::exception &e) {
        ReportError(e);
    }
}

void Tlabeler::OpenLastFile()
{
    const QString file = Store.ReadString(Name(LastOpenedFileSetting));
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return;
    try {
        if (!Label.CanOpenProject(file))
            return;
        LoadProject(file);
        SetDocumentTitle(file);
    } catch (const std::exception &e) {
        ReportError(e);
    }
    LabelView->CenterScreen();
}

void Tlabeler::OpenRecent(const QString &file)
{
    if (!AskSaveChanges(true))
        return;
    CanvasInput->HideTextEditor();
    OpenProject(file);
    LabelView->CenterScreen();
    Project->Invalidate(true);
}

void Tlabeler::SaveLabel()
{
    try {
        const QString file = Project->GetFileName();
        if (file.isEmpty()) {
            SaveDocumentAs(QString());
            return;
        }
        Label.Save(file);
        SetDocumentTitle(file);
    } catch (const std::exception &e) {
        ReportError(e);
    }
}

void Tlabeler::SaveLabelAs()
{
    try {
        SaveDocumentAs(QString());
    } catch (const std::exception &e) {
        ReportError(e);
    }
}

void Tlabeler::SaveTemplate()
{
    std::unique_ptr<Tfiledialog> dialog = TemplateDialog(TFileDialogKind::Save);
    if (Host.IsEnding() || !dialog->Execute())
        return;
    const QString file = dialog->GetFileName();
    try {
        LabelTemplate->StarterObjects.ClearObjects();
        LabelTemplate->StarterObjects.CopyObjects(*Project, false);
        LabelTemplate->SaveToFile(file);
        RememberTemplateFolder(file);
    } catch (const std::exception &e) {
        ReportError(e);
    }
}

void Tlabeler::SaveAsTemplate()
{
    // The objects go into the template first and stay there when the dialog is cancelled.
    LabelTemplate->ClearObjects();
    LabelTemplate->CopyObjects(*Project, false);
    LabelView->GiveDocumentsTheView();
    std::unique_ptr<Tfiledialog> dialog = TemplateDialog(TFileDialogKind::Save);
    if (Host.IsEnding() || !dialog->Execute())
        return;
    const QString file = dialog->GetFileName();
    try {
        LabelTemplate->SaveToFile(file);
        RememberTemplateFolder(file);
    } catch (const std::exception &e) {
        ReportError(e);
    }
}

int32_t Tlabeler::ConvertToNewVersion()
{
    // Each file is loaded into the editor: unsaved changes are offered a save first.
    if (!AskSaveChanges(true))
        return 0;
    CanvasInput->HideTextEditor();
    std::unique_ptr<Tfiledialog> dialog = TemplateDialog(TFileDialogKind::Open);
    dialog->SetOptions(dialog->GetOptions() | ofAllowMultiSelect);
    dialog->SetFilter(Name(ConvertFilterAll) + QLatin1Char('|') + Tdrawlist::GetFileFilter() +
                      QLatin1Char('|') + tlabeltemplate::GetFileFilter());
    if (Host.IsEnding() || !dialog->Execute())
        return 0;
    const QStringList files = dialog->GetFiles();
    const bool backups =
        ShowFlexDlg(Name(BackupTitle), Name(BackupQuestion), QStringLiteral("Yes=mryes,No=mrno"), QString(),
                    fiQuestion, true, -1) == mrYes;
    const int32_t count = ConvertFiles(files, backups);
    if (count > 0)
        ShowFlexDlg(Name(ConvertDoneTitle), ConvertDoneMessage(count), QStringLiteral("Ok"), QString(),
                    fiWarning, true, -1);
    return count;
}

int32_t Tlabeler::ConvertFiles(const QStringList &files, bool backups)
{
    int32_t count = 0;
    for (const QString &file : files)
        if (ConvertFile(file, backups))
            ++count;
    // The editor now holds the last file converted.
    DocumentReplaced();
    if (Project->GetFileName().isEmpty())
        Host.SetCaption(WindowCaption(VersionText));
    else
        SetDocumentTitle(Project->GetFileName());
    LabelView->CenterScreen();
    Project->Invalidate(true);
    return count;
}

bool Tlabeler::ConvertFile(const QString &file, bool backups)
{
    // Only the two extensions exactly as the program writes them.
    const TFileArgumentKind kind = FileArgumentKind(file);
    if (kind == TFileArgumentKind::Ignored)
        return false;
    const bool isProject = kind == TFileArgumentKind::Project;
    const QFileInfo info(file);
    if (backups)
        QDir(info.absolutePath()).mkdir(Name(BackupFolderName));
    const QString backup =
        QDir(info.absolutePath()).filePath(Name(BackupFolderName) + QLatin1Char('/') + info.fileName());
    Tdrawlist &target = isProject ? *Project : static_cast<Tdrawlist &>(*LabelTemplate);
    try {
        // A file of another kind would load as nothing and be saved so: it is left alone.
        if (!target.IsOwnFile(file))
            return false;
        if (backups && !CopyOver(file, backup))
            return false;
        Label.ClearProject();
        LabelTemplate->Clear();
        if (isProject)
            Label.Open(file);
        else
            Label.OpenTemplate(file);
        // Saving what part of a damaged file loaded would lose the rest, and saving a project
        // whose template was not found would lose its reference to it.
        if (target.LoadDamaged)
            return false;
        if (isProject && Label.TemplateMissing())
            return false;
        Buffer->PaintWhole(LabelView->GetViewport(), LabelView->GetScale(), isProject);
        target.SaveToFile(file);
        return true;
    } catch (const std::exception &) {
        // The file stays as it was (a file is only ever replaced whole) and is not counted.
        return false;
    }
}

bool Tlabeler::LoadProject(const QString &file)
{
    const bool loaded = Label.Open(file);
    DocumentReplaced();
    return loaded;
}

void Tlabeler::DocumentReplaced()
{
    Project->GetUndoList().Clear();
    Project->CloseUndoGroup();
    CanvasInput->HideTextEditor();
    LabelView->GiveDocumentsTheView();
    // Another project keeps another run.
    RefreshShownData();
    if (Project->OnSelect)
        Project->OnSelect(Project->GetSelectedObject());
}

bool Tlabeler::AcceptsDrop(const QStringList &files, bool onCanvas)
{
    for (const QString &file : files)
        if (onCanvas || DroppedKind(file) != TFileArgumentKind::Ignored)
            return true;
    return false;
}

void Tlabeler::DropFiles(const QStringList &files, const std::optional<TPoint> &onCanvas)
{
    DropCount = 0;
    for (const QString &file : files) {
        const TFileArgumentKind kind = DroppedKind(file);
        switch (kind) {
        case TFileArgumentKind::Project:
        case TFileArgumentKind::Template:
            if (!AskSaveChanges(true))
                return;
            CanvasInput->HideTextEditor();
            if (kind == TFileArgumentKind::Project)
                OpenProject(file);
            else
                NewLabelFrom(file);
            LabelView->CenterScreen();
            Project->Invalidate(true);
            DropCount = 0;
            break;
        case TFileArgumentKind::Ignored:
            if (onCanvas)
                AddDroppedPicture(file, *onCanvas);
            break;
        }
    }
}

void Tlabeler::AddDroppedPicture(const QString &file, const TPoint &panelPoint)
{
    QString error;
    const QImage image = LoadImageFile(file, &error);
    if (image.isNull()) {
        MessageBox(error, TMsgIcon::Error);
        return;
    }
    // As a picture made with the image tool by a click there: its top-left at the point, its
    // default size.
    auto owned = std::make_unique<Tvnlpic>();
    Tvnlpic *picture = owned.get();
    picture->SetPicture(image);
    CanvasInput->PlaceAtDefaultSize(*picture, panelPoint);
    picture->SetLeft(picture->Left() + DropCount * DropStep);
    picture->SetTop(picture->Top() + DropCount * DropStep);
    {
        TUndoGroup group(Project);
        Project->AddObject(std::move(owned));
    }
    ++DropCount;
    CanvasInput->SelectTool(TTool::Select);
    Project->SelectObject(picture);
    LabelView->GiveDocumentsTheView();
}
