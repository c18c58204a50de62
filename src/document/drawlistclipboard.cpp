// Copying the selected object to the clipboard and pasting new objects from it.

#include "document/drawlist.h"
#include "document/globals.h"
#include "document/objectfactory.h"
#include "platform/clipboard.h"

namespace {
// A paste lands this far right of and below an object with the same bounds.
constexpr int32_t PasteStep = 100;
} // namespace

bool Tdrawlist::CopySelected(bool onlyAsk)
{
    const bool result = SelectedCount() == 1;
    if (!onlyAsk)
        if (Tdrawobj *o = GetSelectedObject())
            o->CopyToClipboard(-1);
    return result;
}

void Tdrawlist::Paste(const TPoint &point, bool onlyAsk, QString &kind)
{
    struct TChoice {
        int Format;
        const char *Kind;
        uint8_t TypeCode; // the object made from it
    };
    // A copied code also carries its data as text and its symbol as an image for other programs,
    // so its own format is looked for first.
    const TChoice choices[] = {{CodeClipboardFormat, "Code", otCode},
                               {CF_TEXT, "Text", otText},
                               {CF_BITMAP, "Image", otPicture},
                               {ShapeClipboardFormat, "Shape", otShape},
                               {SymbolClipboardFormat, "Symbol", otSymbol}};
    const TChoice *chosen = nullptr;
    for (const TChoice &c : choices) {
        if (TheClipboard().HasFormat(c.Format)) {
            chosen = &c;
            break;
        }
    }
    kind = chosen ? QString::fromLatin1(chosen->Kind) : QString();
    if (onlyAsk || !chosen)
        return;

    std::unique_ptr<Tdrawobj> created = CreateObject(chosen->TypeCode);
    Tdrawobj *o = created.get();
    AddObject(std::move(created));
    o->SetView({0, 0, 0, 0}, LastScale);
    const TPoint size = o->GetDefaultSize(LabelRect.Width());
    o->SetWidth(size.X);
    o->SetHeight(size.Y);
    o->SetLeft(point.X);
    o->SetTop(point.Y);
    o->PasteFromClipboard(chosen->Format);
    SelectObject(o);
    o->ReportChange();
    for (const auto &other : Objects) {
        if (other.get() != o && other->Bounds == o->Bounds) {
            o->SetLeft(o->Left() + PasteStep);
            o->SetTop(o->Top() + PasteStep);
        }
    }
    Invalidate(true);
}
