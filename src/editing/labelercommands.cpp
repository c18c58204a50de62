// The editor's commands on the label: the clipboard, undo, the drawing order, the selection,
// moving objects between the label and its template, the view switches and printing.

#include "editing/labeler.h"

#include "document/datarun.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "editing/printwizard.h"
#include "editing/toolbox.h"
#include "editing/undogroup.h"
#include "settings/registry.h"

TEditActions Tlabeler::UpdateEditActions()
{
    TEditActions actions;
    QString kind;
    Project->Paste({0, 0}, true, kind);
    actions.PasteCaption = QStringLiteral("&Paste ") + kind;
    actions.Paste = !kind.isEmpty();
    actions.Copy = actions.Cut = Project->CopySelected(true);
    actions.Undo = Project->GetUndoList().GroupCount() > 0;
    actions.Redo = Project->GetUndoList().UndoneCount() > 0;
    actions.Delete = Project->SelectedCount() > 0;
    return actions;
}

void Tlabeler::Cut()
{
    TUndoGroup group(Project);
    Project->CopySelected(false);
    Project->DeleteSelected();
}

void Tlabeler::Copy()
{
    Project->CopySelected(false);
}

void Tlabeler::Paste()
{
    const TRect label = Project->GetLabelRect();
    const TPoint centre{label.Left + (label.Right - label.Left) / 2,
                        label.Top + (label.Bottom - label.Top) / 2};
    QString kind;
    {
        TUndoGroup group(Project);
        Project->Paste(centre, false, kind);
    }
    LabelView->GiveDocumentsTheView();
}

void Tlabeler::Delete()
{
    TUndoGroup group(Project);
    Project->DeleteSelected();
}

void Tlabeler::Undo()
{
    Project->Undo();
    LabelView->GiveDocumentsTheView();
    CanvasInput->RefreshTextEditor();
}

void Tlabeler::Redo()
{
    Project->Redo();
    LabelView->GiveDocumentsTheView();
    CanvasInput->RefreshTextEditor();
}

void Tlabeler::ChangeOrder(TOrderChange how)
{
    if (Toolbox)
        Toolbox->ChangeOrder(how);
    else
        ::ChangeOrder(*Project, how);
}

void Tlabeler::SelectAll()
{
    Project->SelectAll();
}

void Tlabeler::InvertSelection()
{
    for (int32_t i = 0; i < Project->Count(); ++i)
        Project->GetObject(i)->SetSelected(!Project->GetObject(i)->IsSelected());
}

void Tlabeler::SelectNone()
{
    for (int32_t i = 0; i < Project->Count(); ++i)
        Project->GetObject(i)->SetSelected(false);
}

void Tlabeler::MoveAllToTemplate()
{
    LabelTemplate->CopyObjects(*Project, false);
    Project->Clear();
    DocumentReplaced();
    Project->Invalidate(true);
}

void Tlabeler::MoveToTemplate()
{
    LabelTemplate->CopyObjects(*Project, true);
    LabelView->GiveDocumentsTheView();
    TUndoGroup group(Project);
    Project->DeleteSelected();
}

void Tlabeler::MoveFromTemplate()
{
    {
        TUndoGroup group(Project);
        Project->CopyObjects(*LabelTemplate, false);
    }
    LabelTemplate->ClearObjects();
    LabelView->GiveDocumentsTheView();
    Project->Invalidate(true);
}

void Tlabeler::EditTemplate()
{
    CanvasInput->HideTextEditor();
    if (OnEditTemplate)
        OnEditTemplate(*LabelTemplate, Project);
    Project->SetLabelWidth(LabelTemplate->GetLabelWidth());
    Project->SetLabelHeight(LabelTemplate->GetLabelHeight());
    LabelView->UpdateScrollBars();
    Project->Invalidate(true);
}

void Tlabeler::ClearTemplate()
{
    if (tlabeltemplate *t = Project->GetTemplate())
        t->ClearObjects();
    Project->Invalidate(true);
}

bool Tlabeler::ToggleToolWindow()
{
    const bool wanted = !CanvasInput->IsToolWindowWanted();
    CanvasInput->SetToolWindowWanted(wanted);
    if (CanvasInput->OnShowToolWindow)
        CanvasInput->OnShowToolWindow(wanted);
    Host.FocusCanvas();
    Store.WriteBool(QString::fromLatin1(ToolboxVisibleSetting), wanted);
    return wanted;
}

bool Tlabeler::IsToolWindowChecked() const
{
    return CanvasInput->IsToolWindowWanted();
}

bool Tlabeler::ToggleButtonCaptions()
{
    ButtonCaptions = !ButtonCaptions;
    Host.SetButtonCaptions(ButtonCaptions);
    Store.WriteBool(QString::fromLatin1(ShowButtonCaptionsSetting), ButtonCaptions);
    return ButtonCaptions;
}

void Tlabeler::ShowPrintWizard()
{
    CanvasInput->HideTextEditor();
    if (OnPrintWizard)
        OnPrintWizard(*Project, Store);
    // The wizard may have chosen another run.
    RefreshShownData();
    Project->Invalidate(true);
}

bool Tlabeler::ToggleShowData()
{
    ShowData = !ShowData;
    RefreshShownData();
    Project->Invalidate(true);
    return ShowData;
}

void Tlabeler::RefreshShownData()
{
    Project->Fill = nullptr;
    if (!ShowData)
        return;
    try {
        Trunlabels labels(RememberedRun(Store, Project->GetFullPath()));
        ShownData = labels.Label(0);
    } catch (const std::exception &) {
        // A table that cannot be read fills what it can: the numbers and the date.
        ShownData = TFieldValues{};
    }
    Project->Fill = &ShownData;
}
