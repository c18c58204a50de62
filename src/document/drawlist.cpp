#include "document/drawlist.h"

#include "document/globals.h"
#include "document/labeltemplate.h"
#include "document/objectfactory.h"
#include "document/picture.h"
#include "document/text.h"
#include "platform/errors.h"
#include "platform/messages.h"
#include "platform/rnd.h"
#include "platform/streams.h"
#include "platform/textlayout.h"
#include "platform/threadtimer.h"

#include <QFileInfo>
#include <algorithm>

int32_t DocToPixel(int32_t value, int32_t offset, double scale)
{
    return rnd(value * scale) - offset;
}

int32_t PixelToDoc(int32_t pixel, int32_t offset, double scale)
{
    return rnd((double(pixel) + offset) / scale);
}

Tdrawlist::Tdrawlist()
{
    ThumbnailStream.open(QIODevice::ReadWrite);
}

Tdrawlist::~Tdrawlist()
{
    if (Template)
        Template->OnResize = nullptr;
}

void Tdrawlist::Clear()
{
    ClearObjects();
    SetFileName(QString());
}

void Tdrawlist::WireEvents(Tdrawobj &object)
{
    object.OnInvalidate = [this](Trectlist &list) { InvalidateRects(list); };
    object.OnSelectedChange = [this](Tdrawobj *o) { ObjectSelected(o); };
    object.OnBeforeChange = [this](Tdrawobj *o, uint8_t kind) { RecordUndo(o, kind); };
}

void Tdrawlist::InsertObject(int32_t index, std::unique_ptr<Tdrawobj> object)
{
    object->UnitsPerInchX = UnitsPerInchX();
    object->UnitsPerInchY = UnitsPerInchY();
    object->OnInvalidate = [this](Trectlist &list) { InvalidateRects(list); };
    index = std::clamp(index, 0, Count());
    Objects.insert(Objects.begin() + index, std::move(object));
}

int32_t Tdrawlist::AddObject(std::unique_ptr<Tdrawobj> object)
{
    Tdrawobj &o = *object;
    o.UnitsPerInchX = UnitsPerInchX();
    o.UnitsPerInchY = UnitsPerInchY();
    WireEvents(o);
    Objects.push_back(std::move(object));
    const int32_t index = Count() - 1;
    o.BeginChange(ckAdded, QString());
    o.Modified = false;
    Renumber();
    return index;
}

std::unique_ptr<Tdrawobj> Tdrawlist::Extract(int32_t index)
{
    std::unique_ptr<Tdrawobj> object = std::move(Objects[index]);
    Objects.erase(Objects.begin() + index);
    return object;
}

void Tdrawlist::RemoveObject(int32_t index)
{
    Extract(index);
}

void Tdrawlist::SetLabelHeight(double inches)
{
    LabelCache.SetSize(0, 0);
    LabelHeight = inches;
    SetLabelRect(
        {LabelRect.Left, LabelRect.Top, LabelRect.Right, SaturatedAdd(LabelRect.Top, rnd(inches * 1000))});
    const double perInch = UnitsPerInchY();
    for (auto &o : Objects)
        o->UnitsPerInchY = perInch;
}

void Tdrawlist::SetLabelWidth(double inches)
{
    LabelCache.SetSize(0, 0);
    LabelWidth = inches;
    SetLabelRect(
        {LabelRect.Left, LabelRect.Top, SaturatedAdd(LabelRect.Left, rnd(inches * 1000)), LabelRect.Bottom});
    const double perInch = UnitsPerInchX();
    for (auto &o : Objects)
        o->UnitsPerInchX = perInch;
}

int32_t Tdrawlist::SelectedHandleAt(const TPoint &p, Tdrawobj *&object) const
{
    // The selected objects from the top down. When none qualifies, the code is that of the
    // last one examined (the first selected in list order) and may be non-zero; callers go
    // by the object.
    int32_t code = hcNone;
    object = nullptr;
    for (int32_t i = Count() - 1; i >= 0; --i) {
        Tdrawobj *o = Objects[i].get();
        if (!o->Selected)
            continue;
        code = o->HandleAt(p);
        if (code != hcNone && o->ShowsHandles(Tool)) {
            object = o;
            break;
        }
    }
    return code;
}

int32_t Tdrawlist::IndexOfObject(const Tdrawobj *object) const
{
    for (int32_t i = Count() - 1; i >= 0; --i)
        if (Objects[i].get() == object)
            return i;
    return -1;
}

Tdrawobj *Tdrawlist::FindById(int32_t id) const
{
    for (const auto &o : Objects)
        if (o->Id == id)
            return o.get();
    return nullptr;
}

void Tdrawlist::Renumber()
{
    for (int32_t i = 0; i < Count(); ++i)
        Objects[i]->ZIndex = i;
}

void Tdrawlist::ClearObjects()
{
    Objects.clear();
}

void Tdrawlist::SetLabelRect(const TRect &rect)
{
    LabelRect = rect;
}

double Tdrawlist::UnitsPerInchX() const
{
    if (LabelRect.Right == LabelRect.Left || LabelWidth == 0.0)
        return 0.0;
    return (LabelRect.Right - LabelRect.Left) / LabelWidth;
}

double Tdrawlist::UnitsPerInchY() const
{
    if (LabelRect.Bottom == LabelRect.Top || LabelHeight == 0.0)
        return 0.0;
    return (LabelRect.Bottom - LabelRect.Top) / LabelHeight;
}

void Tdrawlist::SetTemplate(tlabeltemplate *t)
{
    if (Template)
        Template->OnResize = nullptr;
    Template = t;
    if (t) {
        t->OnResize = [this](tlabeltemplate *) { TemplateResized(); };
        TemplateResized();
    }
}

void Tdrawlist::TemplateResized()
{
    SetLabelWidth(Template->GetLabelWidth());
    SetLabelHeight(Template->GetLabelHeight());
}

void Tdrawlist::SetFileName(const QString &name)
{
    FileName = name;
    FullPath = name.isEmpty() ? QString() : QFileInfo(name).absoluteFilePath();
}

void Tdrawlist::SetModified(bool flag)
{
    DocumentModified = flag;
    if (!flag)
        for (auto &o : Objects)
            o->Modified = false;
}

void Tdrawlist::SetDocumentView(const TRect &viewport, double scale)
{
    LastScale = scale;
    for (auto &o : Objects)
        o->SetView(viewport, scale);
}

int32_t Tdrawlist::SelectedCount() const
{
    return static_cast<int32_t>(
        std::count_if(Objects.begin(), Objects.end(), [](const auto &o) { return o->Selected; }));
}

int32_t Tdrawlist::GetSelectedPos(int32_t n) const
{
    if (n < 0)
        return -1;
    for (int32_t i = 0; i < Count(); ++i)
        if (Objects[i]->Selected && n-- == 0)
            return i;
    return -1;
}

Tdrawobj *Tdrawlist::GetSelected(int32_t n) const
{
    const int32_t pos = GetSelectedPos(n);
    return pos < 0 ? nullptr : Objects[pos].get();
}

int32_t Tdrawlist::GetSelectedIndex() const
{
    // An index 0 in the cache is never taken from it; the scan finds it.
    const int32_t c = SelectedIndexCache;
    if (0 < c && c < Count() && Objects[c]->Selected)
        return c;
    for (int32_t i = 0; i < Count(); ++i) {
        if (Objects[i]->Selected) {
            SelectedIndexCache = i;
            return i;
        }
    }
    return -1;
}

Tdrawobj *Tdrawlist::GetSelectedObject() const
{
    const int32_t i = GetSelectedIndex();
    return i < 0 ? nullptr : Objects[i].get();
}

void Tdrawlist::ObjectSelected(Tdrawobj *object)
{
    if (SelectedCount() == 1)
        SelectedIndexCache = IndexOfObject(object);
}

void Tdrawlist::SelectObject(Tdrawobj *x)
{
    const bool wasPrimary = GetSelectedObject() == x;
    for (int32_t i = 0; i < Count(); ++i) {
        Tdrawobj *o = Objects[i].get();
        o->SetSelected(o == x);
        if (o == x)
            SelectedIndexCache = i;
    }
    if (!wasPrimary && OnSelect)
        OnSelect(GetSelectedObject());
}

void Tdrawlist::SelectIndex(int32_t k)
{
    const bool wasPrimary = k == GetSelectedIndex();
    for (int32_t i = 0; i < Count(); ++i)
        Objects[i]->SetSelected(i == k);
    if (!wasPrimary && OnSelect)
        OnSelect(GetSelectedObject());
}

void Tdrawlist::SelectAll()
{
    for (auto &o : Objects)
        o->SetSelected(true);
}

void Tdrawlist::CollectSelected(std::vector<Tdrawobj *> &list) const
{
    for (int32_t i = 0; i < Count(); ++i) {
        if (Objects[i]->Selected) {
            Objects[i]->ZIndex = i;
            list.push_back(Objects[i].get());
        }
    }
}

bool Tdrawlist::DeleteSelected()
{
    const bool result = GetSelectedIndex() != -1;
    for (int32_t n = SelectedCount() - 1; n >= 0; --n) {
        Tdrawobj *o = GetSelected(n);
        o->ReportChange();
        o->OnInvalidate = nullptr;
        // Undo records the deletion with the object's full record.
        o->BeginChange(ckDeleted, QString());
        RemoveObject(GetSelectedPos(n));
    }
    if (OnSelect)
        OnSelect(nullptr);
    SelectIndex(-1);
    Renumber();
    return result;
}

Tdrawobj *Tdrawlist::SelectedAt(const TPoint &p) const
{
    // The topmost selected object wins.
    for (int32_t i = Count() - 1; i >= 0; --i)
        if (Objects[i]->Selected && Objects[i]->ContainsPoint(p))
            return Objects[i].get();
    return nullptr;
}

Tdrawobj *Tdrawlist::ObjectAt(const TPoint &p, bool skipSelected) const
{
    // Below the primary selection first, so repeated clicks cycle down through a stack and
    // wrap around to the top below the bottom object.
    const int32_t selected = GetSelectedIndex();
    const int32_t start = selected != -1 && Objects[selected]->ContainsPoint(p) ? selected - 1 : Count() - 1;
    const auto hit = [&](int32_t n) {
        const Tdrawobj &o = *Objects[n];
        return o.ContainsPoint(p) && o.IsPickable(Tool) && !(o.Selected && skipSelected);
    };
    for (int32_t n = start; n >= 0; --n)
        if (hit(n))
            return Objects[n].get();
    for (int32_t n = Count() - 1; n >= std::max(start - 1, 0); --n)
        if (hit(n))
            return Objects[n].get();
    return nullptr;
}

int32_t Tdrawlist::MoveInOrder(Tdrawobj *object, int32_t step, int32_t base, bool absolute)
{
    if (object) {
        const int32_t i = IndexOfObject(object);
        if (i == -1) {
            Renumber();
            return 0;
        }
        std::unique_ptr<Tdrawobj> owned = Extract(i);
        const int32_t n = Count();
        int32_t t;
        if (absolute)
            t = step;
        else if (step == 0)
            t = base;
        else if (step == ToFront)
            t = n - base;
        else if (step > 0)
            t = int32_t(std::min<int64_t>(int64_t(i) + step, n - base));
        else
            t = int32_t(std::max<int64_t>(int64_t(i) + step, base));
        // A target outside the list (a damaged undo level, a caller's slip) lands at its end.
        t = std::clamp(t, 0, n);
        InsertObject(t, std::move(owned));
        object->ReportChange();
        Renumber();
        return t;
    }

    std::vector<Tdrawobj *> collected;
    CollectSelected(collected);
    const int32_t l = static_cast<int32_t>(collected.size());
    const int32_t n = Count();
    if (step == 0) {
        for (int32_t i = 0; i < l; ++i)
            MoveInOrder(collected[i], 0, i, false);
    } else if (step == ToFront) {
        for (int32_t i = l - 1; i >= 0; --i)
            MoveInOrder(collected[i], ToFront, l - i - 1, false);
    } else {
        // Every target is computed before anything moves (each move renumbers the list), so
        // the selected objects keep their order and stop at the top or bottom together.
        std::vector<int32_t> targets(l);
        for (int32_t i = 0; i < l; ++i) {
            const int64_t z = int64_t(collected[i]->ZIndex) + step;
            targets[i] = int32_t(step > 0 ? std::min<int64_t>(z, n - l + i) : std::max<int64_t>(z, i));
        }
        if (step > 0)
            for (int32_t i = l - 1; i >= 0; --i)
                MoveInOrder(collected[i], targets[i], 0, true);
        else
            for (int32_t i = 0; i < l; ++i)
                MoveInOrder(collected[i], targets[i], 0, true);
    }
    Renumber();
    return step;
}

void Tdrawlist::CopyObjects(const Tdrawlist &source, bool selectedOnly)
{
    const int32_t n = selectedOnly ? source.SelectedCount() : source.Count();
    for (int32_t k = 0; k < n; ++k) {
        const Tdrawobj *o = selectedOnly ? source.GetSelected(k) : source.GetObject(k);
        QBuffer scratch;
        scratch.open(QIODevice::ReadWrite);
        WriteUInt8(scratch, o->GetTypeCode());
        o->WriteRecordBlock(scratch);
        scratch.seek(0);
        if (std::unique_ptr<Tdrawobj> copy = ReadObject(scratch))
            AddObject(std::move(copy));
    }
}

void Tdrawlist::MakePlaceholders()
{
    for (auto &o : Objects) {
        if (auto *text = dynamic_cast<Tvnltext *>(o.get())) {
            text->SetPlaceholderText(text->GetText());
            text->SetText(QString());
        }
    }
}

void Tdrawlist::SetPictureCacheLimit(int32_t limit)
{
    for (auto &o : Objects)
        if (auto *picture = dynamic_cast<Tvnlpic *>(o.get()))
            picture->SetCacheLimit(limit);
}

QStringList Tdrawlist::Fields() const
{
    QStringList fields;
    for (const auto &o : Objects)
        for (const QString &field : o->Fields())
            if (!fields.contains(field))
                fields.append(field);
    return fields;
}

std::unique_ptr<Tdrawobj> Tdrawlist::ReadObject(QIODevice &stream, TEntry *entry, QString *reason)
{
    TEntry met = TEntry::Broken;
    std::unique_ptr<Tdrawobj> object;
    uint8_t code = 0;
    if (ReadUInt8(stream, code)) {
        try {
            object = CreateObject(code);
            if (object)
                met = object->ReadRecordBlock(stream, false) ? TEntry::Object : TEntry::Cut;
            else if (code == EndOfObjectList)
                met = TEntry::EndOfList;
        } catch (const std::exception &e) {
            if (reason)
                *reason = ErrorMessage(e);
            else
                MessageBox(ErrorReportText(e), TMsgIcon::Warning);
            // Without an object the construction failed, and the list cannot go on.
            met = object ? TEntry::Failed : TEntry::Broken;
            object.reset();
        }
    }
    if (entry)
        *entry = met;
    return object;
}
