#include "editing/labeler.h"

#include "document/drawlist.h"
#include "document/drawobj.h"
#include "document/labeltemplate.h"
#include "editing/toolbox.h"
#include "platform/errors.h"
#include "platform/messages.h"
#include "settings/formplacement.h"
#include "settings/registry.h"

#include <QFileInfo>

const char *const CurrentVersionSetting = "currentversion";
const char *const ToolboxVisibleSetting = "toolboxvisible";
const char *const ShowButtonCaptionsSetting = "showbuttoncaptions";
const char *const LastOpenedFileSetting = "lastopenedfile";
const char *const LastFilePathSetting = "lastfilepath";
const char *const LastTemplatePathSetting = "lastfiletemplatepath";
const char *const RecentFilesSetting = "recentfiles";
const char *const SavePromptText = "Would you like to save before exiting?";

const TToolButton ToolButtons[11] = {
    {ToolNumber(TTool::Select), "select", "Select",
     "Select Tool:\\nSelect objects with the left mouse button. \\nHold CTRL to select multiple "
     "objects.\\nHold "
     "SHIFT to force selecting on text boxes. \\nOnce you have an object you can use the property tool box "
     "\\nto "
     "change it's appearance",
     true, true},
    {ToolNumber(TTool::Text), "newtext", "New Text",
     "Text Tool:\\nClick and Drag to create a text  box.\\nClick on the text box to edit the text", true,
     true},
    {ToolNumber(TTool::Image), "newimage", "New Image",
     "Image Tool:\\nClick on 'Change Image' to load an image\\nClick and drag on the label or click 'Add to "
     "Label'",
     true, true},
    {ToolNumber(TTool::Shape), "newshape", "New Shape",
     "Shape Tool:\\nClick and drag to create a shape.\\nSelect it's appearance from the Tool Box", true,
     true},
    {ToolNumber(TTool::Code), "newcode", "New Code",
     "Code Tool:\\nChoose the symbology and type the data in the Tool Box.\\nClick and drag to place the "
     "code",
     true, true},
    {ToolNumber(TTool::Symbol), "newsymbol", "New Symbol", "", false, true},
    {ToolNumber(TTool::Zoom), "zoom", "Zoom",
     "Zoom Tool:\\nUse the mouse wheel or \\nleft click to zoom in, \\nright click to zoom out.", true, true},
    {ToolNumber(TTool::ZoomOut), "zoomout", "Zoom Out", "", false, true},
    {ToolNumber(TTool::Alignment), "alignment", "Alignment",
     "Alignment Tool:\\nSelect Alignment type\\nAlign Sides: Align object sides to each other.\\nEdge Align: "
     "Align "
     "object sides to the edge of the label.\\nMatch Sizes: Shrink or grow length and width to match other "
     "objects.\\nChange Order: Move objects forward and backwards on the label",
     true, true},
    {CenterScreenImage, "centerscreen", "Center Screen",
     "Center Screen:\\nClick to center the label on the screen", true, false},
    {PrintImage, "print", "Print", "Print:\\nClick here to print the label", true, false},
};

QString ToolButtonHint(const char *hint)
{
    return QString::fromLatin1(hint).replace(QStringLiteral("\\n"), QStringLiteral("\r\n"));
}

std::optional<TRect> FitToScreen(const TRect &bounds, const std::vector<TRect> &workAreas)
{
    const int64_t width = int64_t(bounds.Right) - bounds.Left;
    const int64_t height = int64_t(bounds.Bottom) - bounds.Top;
    if (width < MinWindowSize.X || height < MinWindowSize.Y || !MeetsAMonitor(bounds, workAreas))
        return std::nullopt;
    return FitInsideWorkArea(bounds, workAreas);
}

namespace {

// A window placement whose stored bounds are used only when they fit on a monitor.
class TOnScreenPlacement : public Tplacementtarget {
public:
    explicit TOnScreenPlacement(Tplacementtarget &inner) : Inner(inner) {}

    // Base
    QString Name() const override { return Inner.Name(); }
    QString OwnerName() const override { return Inner.OwnerName(); }
    bool IsForm() const override { return Inner.IsForm(); }
    TWindowState GetWindowState() const override { return Inner.GetWindowState(); }
    void SetWindowState(TWindowState state) override { Inner.SetWindowState(state); }
    TRect GetBounds() const override { return Inner.GetBounds(); }
    void SetBounds(const TRect &r) override
    {
        if (const std::optional<TRect> fitted = FitToScreen(r, MonitorWorkAreas())) {
            Inner.SetBounds(*fitted);
            Applied = true;
        }
    }

    bool Applied = false;

private:
    Tplacementtarget &Inner;
};

} // namespace

Tlabeler::Tlabeler(Tlabelerhost &host, Tregistryex &store, const TCommandLine &commandLine,
                   const QString &version)
    : Host(host), Store(store), Arguments(commandLine), VersionText(version)
{
    Store.WriteString(QString::fromLatin1(CurrentVersionSetting), VersionText);
    Project->ShowOverhang = true;
    Project->ShowLabelSize = true;
    Project->ShowScreenMarks = true;
    LabelView = std::make_unique<Tlabelview>(*Project, Host);
    CanvasInput = std::make_unique<Tcanvasinput>(*Project, *LabelView, Host);
    Buffer = std::make_unique<Tbackbuffer>(*Project);
    // The editor is the only subscriber of the project's events; it hands them on.
    Project->OnSelect = [this](Tdrawobj *o) {
        CanvasInput->SelectionChanged(o);
        if (OnSelectionChange)
            OnSelectionChange(o);
    };
    Project->OnChange = [this](Tdrawlist *) {
        Host.RequestRepaint();
        if (OnDocumentChange)
            OnDocumentChange();
    };
    Host.SetCaption(WindowCaption(VersionText));
}

Tlabeler::~Tlabeler()
{
    // The documents go without telling anyone.
    Project->OnSelect = nullptr;
    Project->OnChange = nullptr;
    DisconnectToolbox();
}

void Tlabeler::DisconnectToolbox()
{
    if (!Toolbox)
        return;
    Toolbox->SetDocument(nullptr);
    Toolbox->OnSelectTool = nullptr;
    Toolbox->OnTrackMoved = nullptr;
    Toolbox->OnTextStyleChange = nullptr;
}

void Tlabeler::ConnectToolbox(Ttoolbox *toolbox, Ttoolwindowplacement *placement)
{
    if (Toolbox != toolbox)
        DisconnectToolbox();
    Toolbox = toolbox;
    ToolPlacement = placement;
    CanvasInput->SetToolbox(toolbox);
    if (!toolbox) {
        LabelView->OnZoomShown = nullptr;
        return;
    }
    toolbox->SetDocument(Project);
    toolbox->OnSelectTool = [this](TTool tool) { CanvasInput->SelectTool(tool); };
    toolbox->OnTrackMoved = [this](int32_t position) { LabelView->MoveTrack(position); };
    toolbox->OnTextStyleChange = [this] { CanvasInput->TextAlignChanged(); };
    toolbox->SetSelectLayout(true);
    LabelView->OnZoomShown = [toolbox](double zoom, int32_t track) { toolbox->ShowZoom(zoom, track); };
}

void Tlabeler::FirstShow()
{
    if (ToolPlacement) {
        TOnScreenPlacement tool(ToolPlacement->Placement());
        RestoreFormPlacement(tool, Store);
    }
    CanvasInput->SetToolWindowWanted(Store.ReadBool(QString::fromLatin1(ToolboxVisibleSetting), true));
    Host.SetTemplateActionsVisible(Arguments.TemplateMode);
    {
        TOnScreenPlacement main(Host.MainPlacement());
        RestoreFormPlacement(main, Store);
        // Without a placement of its own the window takes most of the screen, in its middle.
        const std::vector<TRect> screens = MonitorWorkAreas();
        if (!main.Applied && main.GetWindowState() == wsNormal && !screens.empty())
            Host.MainPlacement().SetBounds(CentredInWorkArea(screens.front(), FirstWindowShare));
    }
    PlacementRestored = true;
    ButtonCaptions = Store.ReadBool(QString::fromLatin1(ShowButtonCaptionsSetting), true);
    Host.SetButtonCaptions(ButtonCaptions);
    CanvasInput->ToolButtonClicked(TTool::Select, ToolButtonHint(ToolButtons[0].Hint));
    LabelView->SetZoom(1.0);
    LabelView->CentreScrollBars();
    OpenFileArguments();
    if (Arguments.Files.isEmpty() && !Host.IsEnding())
        Host.ShowStartupDialog(RecentLabelName());
    if (!Project->GetFileName().isEmpty())
        SetDocumentTitle(Project->GetFileName());
    if (ToolWindowExists() && Host.MainPlacement().GetWindowState() == wsNormal && !Host.IsEnding())
        SaveFormPlacement(Host.MainPlacement(), Store);
}

void Tlabeler::OpenFileArguments()
{
    for (const QString &file : Arguments.Files) {
        try {
            OpenFileArgument(file);
        } catch (const std::exception &e) {
            // The file's error is shown; the other files still open, and a project that could
            // not be read leaves the empty label.
            ReportError(e);
            if (FileArgumentKind(file) == TFileArgumentKind::Project)
                Label.ClearProject();
        }
    }
}

void Tlabeler::OpenFileArgument(const QString &file)
{
    switch (FileArgumentKind(file)) {
    case TFileArgumentKind::Project:
        LoadProject(file);
        Store.WriteString(QString::fromLatin1(LastOpenedFileSetting), file);
        break;
    case TFileArgumentKind::Template:
        Label.OpenTemplate(file);
        break;
    case TFileArgumentKind::Ignored:
        break;
    }
}

void Tlabeler::SetDocumentTitle(const QString &fileName)
{
    Host.SetCaption(DocumentCaption(VersionText, fileName));
    Store.WriteString(QString::fromLatin1(LastOpenedFileSetting), fileName);
    if (QFileInfo(fileName).isFile())
        RememberRecentFile(fileName);
}

QStringList Tlabeler::RecentFiles() const
{
    QStringList files = Store.ReadString(QString::fromLatin1(RecentFilesSetting))
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    files.removeDuplicates();
    return files.mid(0, MaxRecentFiles);
}

void Tlabeler::RememberRecentFile(const QString &file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    if (path.contains(QLatin1Char('\n')))
        return; // the list keeps one name a line
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    const QString joined = files.mid(0, MaxRecentFiles).join(QLatin1Char('\n'));
    if (joined != Store.ReadString(QString::fromLatin1(RecentFilesSetting)))
        Store.WriteString(QString::fromLatin1(RecentFilesSetting), joined);
}

bool Tlabeler::AskSaveChanges(bool defaultResult)
{
    if (!Project->IsModified())
        return defaultResult;
    switch (
        MessageBox(QString::fromLatin1(SavePromptText), TMsgIcon::Confirmation, TMsgButtons::YesNoCancel)) {
    case mrYes:
        try {
            return SaveDocumentAs(Project->GetFileName());
        } catch (const std::exception &e) {
            // The label stays open with its changes.
            ReportError(e);
            return false;
        }
    case mrNo:
        return true;
    default:
        return false;
    }
}

QString Tlabeler::RecentLabelName() const
{
    const QString file = Store.ReadString(QString::fromLatin1(LastOpenedFileSetting));
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return QString();
    return BareFileName(file);
}

bool Tlabeler::CloseQuery()
{
    return AskSaveChanges(true);
}

void Tlabeler::Closed()
{
    if (!Project->GetFileName().isEmpty())
        Store.WriteString(QString::fromLatin1(LastOpenedFileSetting), Project->GetFileName());
    SaveFormPlacement(Host.MainPlacement(), Store);
    if (ToolPlacement && ToolPlacement->IsVisible())
        SaveFormPlacement(ToolPlacement->Placement(), Store);
}

void Tlabeler::WindowResized()
{
    if (ToolWindowExists() && Host.MainPlacement().GetWindowState() == wsNormal && !Host.IsEnding() &&
        PlacementRestored)
        SaveFormPlacement(Host.MainPlacement(), Store);
}

void Tlabeler::WindowHidden()
{
    if (PlacementRestored)
        SaveFormPlacement(Host.MainPlacement(), Store);
}

void Tlabeler::Wheel(int32_t delta)
{
    const int32_t notches = LabelView->WheelNotches(delta);
    if (notches == 0)
        return;
    LabelView->StepTrack(notches);
}

Trectlist Tlabeler::PendingPanelRects()
{
    return Buffer->PendingPanelRects(LabelView->GetViewport());
}

Trectlist Tlabeler::PaintCanvas(const TRect &clip)
{
    Trectlist painted = Buffer->Paint(clip, LabelView->GetViewport(), LabelView->GetScale());
    CanvasInput->PlaceTextEditor();
    if (Toolbox)
        Toolbox->TextMeasured();
    return painted;
}

void Tlabeler::ReportError(const std::exception &e)
{
    MessageBox(ErrorReportText(e), TMsgIcon::Error);
}
