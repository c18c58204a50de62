#include "document/labelproject.h"

#include "platform/messages.h"

namespace {
void SetNewLabel(Tdrawlist &document)
{
    document.SetLabelRect({LabelCorner, LabelCorner, LabelCorner + 1, LabelCorner + 1});
    document.SetLabelWidth(NewLabelWidth);
    document.SetLabelHeight(NewLabelHeight);
}

bool CanLoad(const QString &file, const Tdrawlist &kind)
{
    const QString refusal = kind.LoadRefusal(file);
    if (refusal.isEmpty())
        return true;
    MessageBox(refusal, TMsgIcon::Error);
    return false;
}
} // namespace

Tlabelproject::Tlabelproject()
    : FTemplate(std::make_unique<tlabeltemplate>()), FProject(std::make_unique<Tdrawlist>())
{
    SetNewLabel(*FTemplate);
    SetNewLabel(*FProject);
    FProject->SetTemplate(FTemplate.get());
}

Tlabelproject::~Tlabelproject()
{
    // The project lets go of the template's resize event before either goes.
    FProject->SetTemplate(nullptr);
}

bool Tlabelproject::CanOpenProject(const QString &file) const
{
    return CanLoad(file, *FProject);
}

bool Tlabelproject::CanOpenTemplate(const QString &file) const
{
    return CanLoad(file, *FTemplate);
}

bool Tlabelproject::Open(const QString &file)
{
    FProject->SetTemplate(FTemplate.get());
    return FProject->LoadFromFile(file);
}

bool Tlabelproject::OpenTemplate(const QString &file)
{
    return FTemplate->LoadFromFile(file);
}

void Tlabelproject::NewFrom(const QString &templateFile)
{
    FProject->Clear();
    FProject->SetTemplate(FTemplate.get());
    FProject->Invalidate(true);
    FTemplate->LoadFromFile(templateFile);
    FProject->CopyObjects(FTemplate->StarterObjects, false);
    FProject->MakePlaceholders();
    FProject->SelectAll();
}

bool Tlabelproject::TemplateMissing() const
{
    return !FProject->TemplateFile.isEmpty() && FTemplate->GetFileName().isEmpty();
}

void Tlabelproject::Save(const QString &file)
{
    FProject->SetTemplate(FTemplate.get());
    FProject->SaveToFile(file);
    FProject->SetModified(false);
}

void Tlabelproject::ClearProject()
{
    FProject->Clear();
    FProject->SetTemplate(FTemplate.get());
}
