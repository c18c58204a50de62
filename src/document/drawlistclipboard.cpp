// Copying the selected object to the clipboard and pasting new objects from it.

#include "document/drawlist.h"
#include "document/globals.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
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
    };
    const TChoice choices[] = {{CF_TEXT, "Text"},
                               {CF_BITMAP, "Image"},
                               {ShapeClipboardFormat, "Shape"},
                               {SymbolClipboardFormat, "Symbol"}};
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

    std::unique_ptr<Tdrawobj> created;
    if (chosen->Format == CF_TEXT)
        created = std::make_unique<Tvnltext>();
    else if (chosen->Format == CF_BITMAP)
        created = std::make_unique<Tvnlpic>();
    else if (chosen->Format == ShapeClipboardFormat)
        created = std::make_unique<Tvnlshape>();
    else
        created = std::make_unique<Tvnlsymbol>();
    Tdrawobj *o = created.get();
    AddObject(std::move(created));
    o->SetView({0, 0, 0, 0}, LastScale);
    const TPoint size = o->GetDefaultSize();
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
