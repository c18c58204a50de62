// Undo and redo of a document: levels recorded before each announced change, grouped by
// gesture, undone newest first and redone oldest first.

#include "document/drawlist.h"
#include "document/objectfactory.h"
#include "platform/streams.h"

#include <QBuffer>

namespace {
// The kind of record redo keeps of a level: an added object comes back whole, as a deleted one
// does, so its record holds everything (a picture's image too).
uint8_t RedoKind(uint8_t kind)
{
    return kind == ckAdded ? uint8_t(ckDeleted) : kind;
}

// An object's state as a level holds it: its type code and what SaveToUndo writes, kept in
// the level's redo fields.
void KeepForRedo(Tundolevel &level, const Tdrawobj *object, int32_t position)
{
    level.RedoRecord.clear();
    level.RedoImage = QImage();
    level.RedoZIndex = position;
    if (!object)
        return;
    Tundolevel scratch;
    scratch.Kind = RedoKind(level.Kind);
    WriteUInt8(scratch.Stream(), object->GetTypeCode());
    object->SaveToUndo(scratch);
    level.RedoRecord = scratch.Stream().data();
    level.RedoImage = scratch.Image;
}

// Reads a record (from offset 1, after the type code) with its image into an object.
void LoadRecord(Tdrawobj &object, uint8_t kind, const QByteArray &bytes, const QImage &image)
{
    Tundolevel scratch;
    scratch.Kind = kind;
    scratch.Image = image;
    scratch.Stream().buffer() = bytes;
    scratch.Stream().seek(1);
    object.LoadFromUndo(scratch);
}
} // namespace

// Undoing and redoing close the open group and run as an update, so nothing they change is
// recorded; the whole document is repainted afterwards, also when they fail.
struct Tdrawlist::TUndoing {
    Tdrawlist &Doc;
    explicit TUndoing(Tdrawlist &doc) : Doc(doc)
    {
        Doc.CloseUndoGroup();
        Doc.BeginUpdate();
    }
    ~TUndoing()
    {
        Doc.Invalidate(true);
        Doc.EndUpdate();
    }
    TUndoing(const TUndoing &) = delete;
    TUndoing &operator=(const TUndoing &) = delete;
};

void Tdrawlist::RecordUndo(Tdrawobj *object, uint8_t kind)
{
    SetModified(true);
    if (UpdateDepth > 0) {
        object->LastChangeKind = ckReset;
        object->ClearUndoName();
        return;
    }
    // This object already has a level of this kind in the open group.
    if (UndoGroupDepth > 0 && object->LastChangeKind == kind)
        return;
    UndoList.DropUndone();
    Tundolevel &level = UndoList.NewLevel();
    level.ZIndex = object->ZIndex;
    level.Kind = kind;
    object->ClearUndoName();
    WriteUInt8(level.Stream(), object->GetTypeCode());
    level.ObjectId = object->Id;
    object->SaveToUndo(level);
}

void Tdrawlist::BeginUpdate()
{
    CloseUndoGroup();
    UndoGroupDepth = 0;
    ++UpdateDepth;
}

void Tdrawlist::EndUpdate()
{
    UndoGroupDepth = 0;
    --UpdateDepth;
    // Nothing was recorded meanwhile: the next change of every object starts a level again.
    if (UpdateDepth <= 0) {
        UpdateDepth = 0;
        for (auto &o : Objects)
            o->LastChangeKind = ckReset;
    }
}

int32_t Tdrawlist::BeginUndoGroup()
{
    ++UndoGroupDepth;
    Invalidate(true);
    return UndoGroupDepth;
}

int32_t Tdrawlist::EndUndoGroup()
{
    UndoGroupDepth = std::max(UndoGroupDepth - 1, 0);
    if (UndoGroupDepth == 0)
        CloseUndoGroup();
    return UndoGroupDepth;
}

void Tdrawlist::CloseUndoGroup()
{
    for (auto &o : Objects)
        o->LastChangeKind = ckReset;
    UndoList.NextGroup();
    Invalidate(true);
}

std::unique_ptr<Tdrawobj> Tdrawlist::ObjectFromLevel(uint8_t kind, const QByteArray &bytes,
                                                     const QImage &image)
{
    if (bytes.isEmpty())
        return nullptr;
    std::unique_ptr<Tdrawobj> object = CreateObject(static_cast<uint8_t>(bytes[0]));
    if (object)
        LoadRecord(*object, kind, bytes, image);
    return object;
}

void Tdrawlist::Undo()
{
    TUndoing undoing(*this);

    Tundolevel *p = UndoList.LastActiveLevel();
    if (!p)
        return;
    const int32_t group = p->Group;
    while (p && p->Group == group) {
        Tdrawobj *current = FindById(p->ObjectId);
        KeepForRedo(*p, current, current ? IndexOfObject(current) : 0);
        switch (p->Kind) {
        case ckDeleted:
            if (std::unique_ptr<Tdrawobj> restored = ObjectFromLevel(p->Kind, p->Stream().data(), p->Image)) {
                Tdrawobj *raw = restored.get();
                raw->ReportChange();
                raw->Id = p->ObjectId;
                AddObject(std::move(restored));
                MoveInOrder(raw, p->ZIndex, 0, true);
            }
            break;
        case ckAdded:
            if (current) {
                current->ReportChange();
                RemoveObject(IndexOfObject(current));
            }
            break;
        case ckGeometry:
        case ckProperty:
            if (current) {
                current->ReportChange();
                LoadRecord(*current, p->Kind, p->Stream().data(), p->Image);
                current->ReportChange();
            }
            break;
        default:
            break;
        }
        p->Undone = true;
        p = UndoList.LastActiveLevel();
    }
    Renumber();
}

void Tdrawlist::Redo()
{
    TUndoing undoing(*this);

    Tundolevel *first = UndoList.FirstUndoneLevel();
    if (!first)
        return;
    const int32_t group = first->Group;
    for (int32_t i = 0; i < UndoList.Count(); ++i) {
        Tundolevel &level = UndoList.GetLevel(i);
        if (!level.Undone || level.Group != group)
            continue;
        Tdrawobj *current = FindById(level.ObjectId);
        switch (level.Kind) {
        case ckDeleted:
            if (current) {
                current->ReportChange();
                RemoveObject(IndexOfObject(current));
            }
            break;
        case ckAdded:
            if (std::unique_ptr<Tdrawobj> added =
                    ObjectFromLevel(RedoKind(level.Kind), level.RedoRecord, level.RedoImage)) {
                Tdrawobj *raw = added.get();
                raw->Id = level.ObjectId;
                AddObject(std::move(added));
                MoveInOrder(raw, level.RedoZIndex, 0, true);
                raw->ReportChange();
            }
            break;
        case ckGeometry:
        case ckProperty:
            if (current && !level.RedoRecord.isEmpty()) {
                current->ReportChange();
                LoadRecord(*current, RedoKind(level.Kind), level.RedoRecord, level.RedoImage);
                current->ReportChange();
            }
            break;
        default:
            break;
        }
        level.Undone = false;
    }
    Renumber();
}
