// Project files: the header with its thumbnail, the object list, the template reference and
// the search for the template, the open and save dialogs and the open dialog's preview.

#include "document/drawlist.h"

#include "document/globals.h"
#include "document/labeltemplate.h"
#include "document/objectfactory.h"
#include "platform/canvas.h"
#include "platform/errors.h"
#include "platform/filedialog.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/progress.h"
#include "platform/rnd.h"
#include "platform/scopedvalue.h"
#include "platform/streams.h"
#include "platform/stringstream.h"
#include "settings/registry.h"
#include "settings/userfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>

const QString LoadFailedMessage =
    QStringLiteral("Could not load file. The file may be corrupted or the wrong file type.");
const QString NewerVersionMessage = QStringLiteral("This file was made by a newer version of the program.");

namespace {

// Objects of files written before the label moved to (100000, 100000) lie near 10000.
constexpr int32_t OldOriginLimit = 20000;
constexpr int32_t OldOriginShift = 90000;

QString FileNamePart(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Template references are stored with backslashes, the form files made on Windows hold, so a
// file is the same wherever it was saved; both separators are read.
QString StoredPath(const QString &path)
{
    return QDir::toNativeSeparators(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QString LocalPath(const QString &stored)
{
    return QString(stored).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// A name joined to a folder whatever the name looks like, as text: an absolute name stays
// inside the folder instead of replacing it.
QString JoinedPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

bool FileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// How a project names its template: relative to the data folder when the template is one of the
// program's own ("templates\Name.wlt", the same in the build tree and in every installation),
// otherwise relative to the program's folder.
QString TemplateReference(const QString &fullPath)
{
    const QString inData = QDir(DataFolder()).relativeFilePath(fullPath);
    if (!QDir::isAbsolutePath(inData) && inData != QLatin1String("..") &&
        !inData.startsWith(QLatin1String("../")))
        return StoredPath(inData);
    return StoredPath(QDir(ProgramFolder()).relativeFilePath(fullPath));
}

// Empties a stream that is about to be written from its start.
void Truncate(QIODevice &stream)
{
    if (auto *buffer = qobject_cast<QBuffer *>(&stream))
        buffer->buffer().clear();
    else if (auto *file = qobject_cast<QFile *>(&stream))
        file->resize(0);
    stream.seek(0);
}

// Reports through the installed progress window, when there is one.
void BeginProgressReport(const QString &caption)
{
    if (Tprogressreport *progress = ProgressWindow()) {
        progress->SetProgressFraction(0);
        progress->SetProgressCaption(caption);
        progress->ShowProgress();
    }
}

void EndProgressReport()
{
    if (Tprogressreport *progress = ProgressWindow()) {
        progress->SetProgressFraction(1);
        progress->HideProgress();
    }
}

struct TDialogTexts {
    QString Filter;
    QString DefaultExt;
    QString OpenTitle;
    QString SaveTitle;
};

bool SettingExists(const QString &name)
{
    return SettingsStore && SettingsStore->ValueExists(name);
}

void PrepareDialog(Tfiledialog &dialog, const TDialogTexts &texts)
{
    dialog.ongetpreview = &Tdrawlist::PreviewFile;
    dialog.SetFileName(QString());
    dialog.SetFilter(texts.Filter);
    dialog.SetFilterIndex(0);
    dialog.SetOptions(ofHideReadOnly | ofEnableSizing);
    dialog.SetDefaultExt(texts.DefaultExt);
    dialog.SetTitle(texts.OpenTitle);
    dialog.SetInitialDir(StartFolder(SettingExists(QStringLiteral("lastfilepath"))
                                         ? SettingsStore->ReadString(QStringLiteral("lastfilepath"))
                                         : QString(),
                                     DocumentsFolder()));
    if (dialog.IsSaveDialog())
        dialog.SetTitle(texts.SaveTitle);
}

} // namespace

QByteArray Tdrawlist::GetSignature() const
{
    return QByteArrayLiteral("vnlabel_v1");
}

QString Tdrawlist::GetDefaultExt()
{
    return QStringLiteral("wlp");
}

QString Tdrawlist::GetFileFilter()
{
    return QStringLiteral("Wine Label Project (*.wlp)|*.wlp");
}

QString Tdrawlist::GetTitle() const
{
    if (Title.trimmed().isEmpty() && Template)
        return Template->GetTitle();
    return Title;
}

int32_t Tdrawlist::FileVersionNeeded() const
{
    int32_t version = BaseFileVersion;
    for (const auto &o : Objects)
        version = std::max(version, o->FileVersionNeeded());
    return version;
}

void Tdrawlist::SaveHeader(QIODevice &stream)
{
    WriteInt32(stream, FileVersionNeeded());
    MakeThumbnail();
    const QByteArray &thumbnail = ThumbnailStream.buffer();
    QByteArray head = GetSignature().leftJustified(RecordSignatureLength, '\0', true);
    head.append('\0');
    WriteBytes(stream, head);
    WriteInt32(stream, static_cast<int32_t>(thumbnail.size()));
    WriteBytes(stream, thumbnail);
    tstringwrapstream strings(&stream);
    strings.WriteLString(GetTitle());
    strings.WriteLString(QString::asprintf("%.2fx%.2f", LabelWidth, LabelHeight));
    QString reference;
    if (Template && !Template->GetFullPath().isEmpty())
        reference = TemplateReference(Template->GetFullPath());
    strings.WriteLString(reference);
}

bool Tdrawlist::LoadHeader(QIODevice &stream)
{
    // Every header value comes from this file: a version 0 file has no title or size text, and
    // one that fails the check names no template.
    Title.clear();
    SizeText.clear();
    TemplateFile.clear();
    FromNewerVersion = false;
    int32_t version = -1;
    if (!ReadInt32(stream, version))
        return false;
    FileVersion = version;
    const QByteArray own = GetSignature().left(8);
    tstringwrapstream strings(&stream);
    // A newer program may change everything after the signature, but not the signature.
    if (version > NewestFileVersion) {
        FromNewerVersion = ReadBytes(stream, 8) == own;
        return false;
    }
    if (version == 0) {
        ClearThumbnail();
        Truncate(ThumbnailStream);
        const QByteArray head = ReadBytes(stream, 11);
        if (head.size() < 11 || head.left(8) != own)
            return false;
        TemplateFile = strings.ReadLString();
        return true;
    }
    // Every version from 1 on has the same header: a newer one only adds object kinds.
    if (version < 1)
        return false;
    const QByteArray head = ReadBytes(stream, 15);
    if (head.size() < 15 || head.left(8) != own)
        return false;
    const int32_t length = qFromLittleEndian<int32_t>(head.constData() + 11);
    Truncate(ThumbnailStream);
    ClearThumbnail();
    if (length > 0)
        ThumbnailStream.buffer() = ReadBytes(stream, length);
    ThumbnailStream.seek(0);
    Title = strings.ReadLString();
    SizeText = strings.ReadLString();
    TemplateFile = strings.ReadLString();
    return true;
}

void Tdrawlist::SaveObjects(QIODevice &stream)
{
    Tprogressreport *progress = Count() > 1 ? ProgressWindow() : nullptr;
    for (int32_t i = 0; i < Count(); ++i) {
        if (progress)
            progress->SetProgressFraction(double(i + 1) / Count());
        const Tdrawobj &o = *Objects[i];
        WriteUInt8(stream, o.GetTypeCode());
        o.WriteRecordBlock(stream);
    }
    WriteUInt8(stream, EndOfObjectList);
}

bool Tdrawlist::LoadObjects(QIODevice &stream, QString *reason)
{
    BeginUpdate();
    const TScopeEnd end([this] { EndUpdate(); });
    Tprogressreport *progress = ProgressWindow();
    bool whole = true;
    for (;;) {
        if (progress && stream.size() > 0)
            progress->SetProgressFraction(double(stream.pos()) / double(stream.size()));
        TEntry entry = TEntry::Broken;
        QString why;
        std::unique_ptr<Tdrawobj> object = ReadObject(stream, &entry, &why);
        if (reason && reason->isEmpty())
            *reason = why;
        if (entry == TEntry::EndOfList)
            return whole;
        if (entry == TEntry::Broken)
            return false;
        if (entry != TEntry::Object)
            whole = false;
        if (!object)
            continue;
        if (object->Left() < OldOriginLimit)
            object->SetLeft(object->Left() + OldOriginShift);
        if (object->Top() < OldOriginLimit)
            object->SetTop(object->Top() + OldOriginShift);
        AddObject(std::move(object));
    }
}

int32_t Tdrawlist::LoadFromStream(QIODevice &stream)
{
    const QString name = FileName;
    Clear();
    SetFileName(name);
    stream.seek(0);
    BeginProgressReport(QStringLiteral("Loading... ") + ShownFileText(FileNamePart(FileName)));
    LoadDamaged = false;
    HeaderLoaded = LoadHeader(stream);
    bool whole = true;
    QString reason;
    if (HeaderLoaded)
        whole = LoadObjects(stream, &reason);
    else
        MessageBox(FromNewerVersion ? NewerVersionMessage : LoadFailedMessage, TMsgIcon::Error);
    UndoList.Clear();
    EndProgressReport();
    const int32_t result = static_cast<int32_t>(std::min<qint64>(stream.pos(), INT32_MAX));
    stream.seek(0);
    if (!whole)
        ReportDamagedFile(reason);
    FindTemplate();
    SetModified(LoadDamaged);
    Invalidate(true);
    return result;
}

void Tdrawlist::ReportDamagedFile(const QString &reason)
{
    if (!LoadDamaged) {
        const QString which =
            FileName.isEmpty() ? QStringLiteral("The file")
                               : QStringLiteral("The file \"%1\"").arg(ShownFileText(FileNamePart(FileName)));
        QString message = which + QStringLiteral(" is damaged: some of its contents could not be read. What "
                                                 "could be read is shown; saving keeps only that.");
        if (!reason.isEmpty())
            message += QStringLiteral("\n\n") + reason;
        MessageBox(message, TMsgIcon::Warning);
    }
    LoadDamaged = true;
    SetModified(true);
}

void Tdrawlist::FindTemplate()
{
    // A document without a template has nowhere to load one, so it does not ask for it.
    if (TemplateFile.isEmpty() || !Template)
        return;
    const QString stored = LocalPath(TemplateFile);
    QString path = stored;
    if (!FileExists(path)) {
        const QString besideCurrent = JoinedPath(QDir::currentPath(), stored);
        if (FileExists(besideCurrent))
            path = besideCurrent;
        const QString besideProgram = JoinedPath(ProgramFolder(), stored);
        if (FileExists(besideProgram))
            path = besideProgram;
        const QString amongData = JoinedPath(DataFolder(), stored);
        if (!FileExists(path) && FileExists(amongData))
            path = amongData;
    }
    if (!FileExists(path)) {
        const QString question = QStringLiteral("The template for this label project could not be found,\r\n"
                                                "Please locate ") +
                                 ShownFileText(FileNamePart(path)) + QStringLiteral(".");
        path.clear();
        if (MessageBox(question, TMsgIcon::Confirmation, TMsgButtons::OkCancel) == mrOk) {
            std::unique_ptr<Tfiledialog> dialog = CreateFileDialog(TFileDialogKind::Open);
            dialog->SetOptions(ofHideReadOnly | ofFileMustExist | ofEnableSizing | ofOldStyleDialog);
            dialog->SetFilter(tlabeltemplate::GetFileFilter() + QStringLiteral("|All files (*.*)|*.*"));
            dialog->SetDefaultExt(tlabeltemplate::GetDefaultExt());
            if (dialog->Execute())
                path = dialog->GetFileName();
        }
    }
    if (!FileExists(path))
        return;
    // The project is loaded already; a template that cannot be read is reported and the
    // project keeps the template it had.
    try {
        Template->LoadFromFile(path);
    } catch (const std::exception &e) {
        MessageBox(ErrorMessage(e), TMsgIcon::Warning);
    }
}

void Tdrawlist::SaveToStream(QIODevice &stream)
{
    Truncate(stream);
    SaveHeader(stream);
    BeginProgressReport(QStringLiteral("Saving ") + ShownFileText(FileNamePart(FileName)) +
                        QStringLiteral("... Please Wait"));
    const TScopeEnd end([] { EndProgressReport(); });
    SaveObjects(stream);
}

namespace {
void OpenForReading(QFile &file, const QString &path)
{
    if (!file.open(QIODevice::ReadOnly))
        throw EOSError(QStringLiteral("Cannot open file \"%1\". %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
}
} // namespace

QString Tdrawlist::LoadRefusal(const QString &path) const
{
    QFile file(path);
    OpenForReading(file, path);
    int32_t version = -1;
    if (!ReadInt32(file, version) || version < 0)
        return LoadFailedMessage;
    // The signature and what follows it up to where every version's header goes on differently.
    const QByteArray head = ReadBytes(file, 11);
    if (head.size() != 11 || head.left(8) != GetSignature().left(8))
        return LoadFailedMessage;
    return version > NewestFileVersion ? NewerVersionMessage : QString();
}

bool Tdrawlist::IsOwnFile(const QString &path) const
{
    return LoadRefusal(path).isEmpty();
}

bool Tdrawlist::LoadFromFile(const QString &path)
{
    QFile file(path);
    OpenForReading(file, path);
    SetFileName(path);
    if (file.pos() >= file.size())
        return false;
    // Read whole, so records and pictures are decoded where they lie instead of being copied
    // out of the file piece by piece.
    QBuffer whole;
    whole.setData(file.readAll());
    if (file.error() != QFileDevice::NoError)
        throw EOSError(QStringLiteral("Cannot read file \"%1\". %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    file.close();
    whole.open(QIODevice::ReadOnly);
    LoadFromStream(whole);
    SetFileName(path);
    return true;
}

void Tdrawlist::SaveToFile(const QString &path)
{
    // The file is made in memory, then written beside the old one, which it replaces only
    // once it is complete: a failure or a crash half-way leaves the old file as it was, and a
    // failed save leaves the document under the name it had.
    const QString previousName = FileName, previousPath = FullPath;
    SetFileName(path);
    try {
        QBuffer bytes;
        bytes.open(QIODevice::ReadWrite);
        SaveToStream(bytes);
        SaveFileWhole(path, bytes.data());
    } catch (...) {
        FileName = previousName;
        FullPath = previousPath;
        throw;
    }
}

void Tdrawlist::SetupFileDialog(Tfiledialog &dialog)
{
    try {
        PrepareDialog(dialog, {GetFileFilter(), GetDefaultExt(), QStringLiteral("Open Wine Label Project"),
                               QStringLiteral("Save Wine Label Project")});
    } catch (const std::exception &) {
        // The dialog opens with whatever was set.
    }
}

QString tlabeltemplate::StockTemplatesFolder()
{
    return JoinedPath(DataFolder(), QStringLiteral("templates"));
}

void tlabeltemplate::SetupFileDialog(Tfiledialog &dialog)
{
    try {
        PrepareDialog(dialog, {GetFileFilter(), GetDefaultExt(), QStringLiteral("Open Wine Label Template"),
                               QStringLiteral("Save Wine Label Template")});
        dialog.SetInitialDir(
            StartFolder(SettingExists(QStringLiteral("lastfiletemplatepath"))
                            ? SettingsStore->ReadString(QStringLiteral("lastfiletemplatepath"))
                            : QString(),
                        tlabeltemplate::StockTemplatesFolder()));
    } catch (const std::exception &) {
        // The dialog opens with whatever was set.
    }
}

void Tdrawlist::PreviewFile(Tfiledialog *dialog, bool &drawn)
{
    try {
        QImage &image = dialog->PreviewImage();
        ThumbnailWidth = image.width();
        QString title;
        Tcanvas canvas(&image);
        const TRect client{0, 0, image.width(), image.height()};
        const QString path = dialog->GetFiles().isEmpty() ? dialog->GetFileName() : QString();
        drawn = DrawFilePreview(path, &canvas, title, client);
        dialog->SetPreviewCaption(title);
    } catch (const std::exception &) {
        // The dialog shows its blank preview.
    }
}

bool Tdrawlist::DrawFilePreview(const QString &path, Tcanvas *canvas, QString &title, const TRect &rect)
{
    if (canvas) {
        canvas->Brush().SetColor(clBtnFace);
        canvas->Brush().SetStyle(TBrushStyle::Solid);
        canvas->FillRect(rect);
    }
    if (!FileExists(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MessageBox(QStringLiteral("Error opening file ") + file.errorString(), TMsgIcon::Warning);
        return false;
    }
    std::unique_ptr<Tdrawlist> scratch;
    if (QFileInfo(path).suffix() == QStringLiteral("wlp"))
        scratch = std::make_unique<Tdrawlist>();
    else
        scratch = std::make_unique<tlabeltemplate>();
    // A file that fails the check leaves the preview blank, without a message.
    if (!scratch->LoadHeader(file))
        return true;
    title = ShownFileText(scratch->GetTitle());
    if (!canvas)
        return true;
    const QImage &bitmap = scratch->GetThumbnail();
    QString caption = QStringLiteral(" (") + ShownFileText(scratch->SizeText) + QStringLiteral(") ");
    if (scratch->FileVersion != 0)
        caption += QStringLiteral("v") + QString::number(scratch->FileVersion);
    TRect measure = rect;
    const int h = canvas->DrawTextEx(caption, measure, DT_CALCRECT | DT_CENTER | DT_NOPREFIX | DT_WORDBREAK);
    TRect area = rect;
    area.Bottom -= h;
    if (bitmap.width() > 0 && bitmap.height() > 0) {
        TRect picture = area;
        picture.Top += (area.Bottom - area.Top) / 2;
        const int32_t ph = rnd(double(bitmap.height()) / bitmap.width() * (area.Right - area.Left));
        picture.Top = std::max(picture.Top - ph / 2, 0);
        picture.Bottom = std::min(picture.Top + ph, area.Bottom);
        canvas->SetStretchMode(TStretchMode::Halftone);
        canvas->CopyRect(picture, bitmap, {0, 0, bitmap.width(), bitmap.height()});
    }
    TRect captionRect{rect.Left, area.Bottom, rect.Right, area.Bottom + h};
    canvas->Brush().SetStyle(TBrushStyle::Clear);
    canvas->DrawTextEx(caption, captionRect, DT_CENTER | DT_NOPREFIX | DT_WORDBREAK);
    return true;
}
