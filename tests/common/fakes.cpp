#include "common/fakes.h"

namespace {
int NextAnswer(std::deque<int> &answers, int otherwise)
{
    if (answers.empty())
        return otherwise;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}
} // namespace

TMessageRecorder::TMessageRecorder(std::deque<int> answers, int answer)
    : Answers(std::move(answers)), Answer(answer)
{
    SetMessageBoxHook([this](const QString &text, TMsgIcon icon, TMsgButtons buttons) {
        Texts.push_back(text);
        Icons.push_back(icon);
        const int byButtons = buttons == TMsgButtons::Ok ? int(mrOk) : int(mrCancel);
        return NextAnswer(Answers, Answer == ByButtons ? byButtons : Answer);
    });
}

TMessageRecorder::~TMessageRecorder()
{
    SetMessageBoxHook({});
}

TFlexRecorder::TFlexRecorder(std::deque<int> answers) : Answers(std::move(answers))
{
    SetFlexDlgHook([this](const QString &title, const QString &message, const QString &buttons,
                          const QString &buttonIcons, int icon, bool modal, int timeout) {
        Calls.push_back({title, message, buttons, buttonIcons, icon, modal, timeout});
        return NextAnswer(Answers, mrOk);
    });
}

TFlexRecorder::~TFlexRecorder()
{
    SetFlexDlgHook({});
}

std::vector<QString> TFlexRecorder::Shown() const
{
    std::vector<QString> shown;
    for (const TFlexCall &call : Calls)
        shown.push_back(call.Title + QStringLiteral(": ") + call.Message);
    return shown;
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
