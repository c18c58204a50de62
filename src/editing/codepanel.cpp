#include "editing/codepanel.h"

#include "document/fields.h"

#include "document/code.h"
#include "document/drawlist.h"
#include "editing/undogroup.h"

Tcodepanel::Tcodepanel()
{
    Spec.Data = QString::fromLatin1(SymbologyInfo(Spec.Symbology)->Example);
}

QStringList Tcodepanel::SymbologyNames()
{
    QStringList names;
    for (int i = 0; i < SymbologyCount; ++i)
        names << QString::fromLatin1(SymbologyInfo(uint8_t(i))->Name);
    return names;
}

QStringList Tcodepanel::LevelNames()
{
    QStringList names;
    for (const char *name : ::QrLevelNames)
        names << QString::fromLatin1(name);
    return names;
}

bool Tcodepanel::IsQrLevelVisible() const
{
    return Spec.Symbology == uint8_t(TSymbology::QrCode);
}

bool Tcodepanel::IsShowTextVisible() const
{
    const TSymbologyInfo *info = SymbologyInfo(Spec.Symbology);
    return info && info->Linear;
}

std::vector<Tvnlcode *> Tcodepanel::SelectedCodes() const
{
    return Document ? Document->SelectedOfKind<Tvnlcode>() : std::vector<Tvnlcode *>();
}

void Tcodepanel::UpdateMessages()
{
    Message.clear();
    Warning.clear();
    // The code the user looks at, or what a new code would be.
    if (auto *code = Document ? dynamic_cast<Tvnlcode *>(Document->GetSelectedObject()) : nullptr) {
        Message = code->PrintProblem();
        Warning = code->SizeWarning();
        NoteFields(code->GetSpec().Data);
    } else {
        Message = EncodeCode(Spec).Error;
        NoteFields(Spec.Data);
    }
    if (OnChange)
        OnChange();
}

void Tcodepanel::Refresh()
{
    UpdateMessages();
}

void Tcodepanel::Load(const Tvnlcode &code)
{
    Spec = code.GetSpec();
    Color = code.GetColor();
    UpdateMessages();
}

void Tcodepanel::ApplyTo(Tvnlcode &code) const
{
    code.SetSymbology(Spec.Symbology);
    code.SetData(Spec.Data);
    code.SetQrLevel(Spec.QrLevel);
    code.SetShowText(Spec.ShowText);
    code.SetColor(Color);
}

void Tcodepanel::Change(const std::function<void(Tvnlcode &)> &change)
{
    {
        TUndoGroup group(Document);
        for (Tvnlcode *code : SelectedCodes())
            change(*code);
    }
    UpdateMessages();
}

void Tcodepanel::SetSymbology(uint8_t symbology)
{
    const TSymbologyInfo *old = SymbologyInfo(Spec.Symbology);
    const TSymbologyInfo *chosen = SymbologyInfo(symbology);
    if (!chosen || symbology == Spec.Symbology)
        return;
    TCodeSpec next = Spec;
    next.Symbology = symbology;
    if (old && Spec.Data == QString::fromLatin1(old->Example) && !CheckCodeData(next).isEmpty())
        next.Data = QString::fromLatin1(chosen->Example);
    Spec = next;
    Change([&](Tvnlcode &code) {
        const QString oldExample = code.Info() ? QString::fromLatin1(code.Info()->Example) : QString();
        code.SetSymbology(symbology);
        if (code.GetSpec().Data == oldExample && !code.PrintProblem().isEmpty())
            code.SetData(QString::fromLatin1(chosen->Example));
        code.ResetAspect();
    });
}

void Tcodepanel::SetData(const QString &data)
{
    Spec.Data = data;
    Change([&](Tvnlcode &code) { code.SetData(data); });
}

const QString CodeFieldsNote =
    QStringLiteral("The data holds fields: each label's code is made from its own values when it prints.");

void Tcodepanel::NoteFields(const QString &data)
{
    // Data with fields is made per label from the run's values; as written it proves nothing.
    if (Message.isEmpty() || !HasFields(data))
        return;
    Message.clear();
    Warning = CodeFieldsNote;
}

void Tcodepanel::CheckTyped(const QString &data)
{
    TCodeSpec typed = Spec;
    typed.Data = data;
    Message = CheckCodeData(typed);
    NoteFields(data);
    if (OnChange)
        OnChange();
}

void Tcodepanel::SetQrLevel(uint8_t level)
{
    Spec.QrLevel = level;
    Change([&](Tvnlcode &code) { code.SetQrLevel(level); });
}

void Tcodepanel::SetShowText(bool show)
{
    Spec.ShowText = show;
    Change([&](Tvnlcode &code) { code.SetShowText(show); });
}

void Tcodepanel::SetColor(TColor color)
{
    Color = color;
    Change([&](Tvnlcode &code) { code.SetColor(color); });
}
