#include "labelertest.h"

#include "document/drawlist.h"
#include "document/shape.h"

#include <gmock/gmock.h>

TScriptedAnswers::TScriptedAnswers(std::deque<int> answers) : Answers(std::move(answers))
{
    SetMessageBoxHook([this](const QString &text, TMsgIcon, TMsgButtons buttons) {
        Texts.push_back(text);
        if (Answers.empty())
            return buttons == TMsgButtons::Ok ? int(mrOk) : int(mrCancel);
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    });
}

TScriptedAnswers::~TScriptedAnswers()
{
    SetMessageBoxHook({});
}

namespace {
class TScriptedDialog : public Tfiledialog {
public:
    TScriptedDialog(TFileDialogKind kind, TScriptedFiles &script) : Tfiledialog(kind), Script(script) {}
    bool Execute() override
    {
        Script.Shown.push_back({GetKind(), GetFilter(), GetInitialDir(), GetOptions()});
        if (Script.Answers.empty())
            return false;
        const QStringList files = Script.Answers.front();
        Script.Answers.pop_front();
        SetFileName(files.value(0));
        SetFiles(files);
        return true;
    }

private:
    TScriptedFiles &Script;
};
} // namespace

TScriptedFiles::TScriptedFiles(std::deque<QStringList> answers) : Answers(std::move(answers))
{
    SetFileDialogFactory([this](TFileDialogKind kind) -> std::unique_ptr<Tfiledialog> {
        return std::make_unique<TScriptedDialog>(kind, *this);
    });
}

TScriptedFiles::~TScriptedFiles()
{
    SetFileDialogFactory(nullptr);
}

TScriptedFlex::TScriptedFlex(std::deque<int> answers) : Answers(std::move(answers))
{
    SetFlexDlgHook([this](const QString &title, const QString &message, const QString &, const QString &, int,
                          bool, int) {
        Shown.push_back(title + QStringLiteral(": ") + message);
        if (Answers.empty())
            return int(mrOk);
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    });
}

TScriptedFlex::~TScriptedFlex()
{
    SetFlexDlgHook({});
}

TMemorySettings::TMemorySettings()
{
    SetRootBackend(HKEY_CURRENT_USER, Backend);
    EXPECT_TRUE(Store.OpenKey(QString::fromLatin1(SettingsKeyPath), true));
}

TMemorySettings::~TMemorySettings()
{
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

TEditor::TEditor(const QStringList &arguments)
    : Labeler(Host, Settings.Store, ParseCommandLine(arguments), QStringLiteral("1.2"))
{
    Labeler.ConnectToolbox(&Toolbox, nullptr);
    View().PanelResized(PanelWidth, PanelHeight);
    View().SetZoom(1.0);
    View().UpdateScrollBars();
    // The label's corner (10000, 10000 in world pixels) 100 pixels in from the panel's corner.
    View().SetScrollPosition(false, 9900);
    View().SetScrollPosition(true, 9900);
    Input().SelectTool(tlSelect);
}

TPoint TEditor::At(int32_t docX, int32_t docY)
{
    const TRect &v = View().GetViewport();
    return {DocToPixel(docX, v.Left, View().GetScale()), DocToPixel(docY, v.Top, View().GetScale())};
}

Tdrawobj *TEditor::AddShape(const TRect &bounds)
{
    auto shape = std::make_unique<Tvnlshape>();
    Tdrawobj *raw = shape.get();
    Doc().AddObject(std::move(shape));
    raw->SetBounds(bounds);
    raw->SetView(View().GetViewport(), View().GetScale());
    // Set-up is not part of what a test undoes.
    Doc().CloseUndoGroup();
    return raw;
}

void TEditor::Drag(const TPoint &from, const TPoint &to, int moves, bool shift, bool ctrl)
{
    Input().MouseDown(TMouseButton::Left, from, ctrl, shift);
    for (int i = 1; i <= moves; ++i)
        Input().MouseMove({from.X + (to.X - from.X) * i / moves, from.Y + (to.Y - from.Y) * i / moves}, ctrl,
                          shift);
    Input().MouseUp(TMouseButton::Left, to, ctrl, shift);
}

void TEditor::Click(const TPoint &p, bool ctrl)
{
    Input().MouseDown(TMouseButton::Left, p, ctrl, false);
    Input().MouseUp(TMouseButton::Left, p, ctrl, false);
}
