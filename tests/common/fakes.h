#pragma once
// Stand-ins for the hooks through which the lower layers reach the user, each installed while
// the object lives: the standard message box, the message dialog and the open and save dialogs
// record what they were asked to show and answer from a script.

#include "platform/filedialog.h"
#include "platform/messages.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class TMessageRecorder {
public:
    // Answer: the answer once the script is used up; ByButtons answers OK to a message that has
    // only an OK button and Cancel to a question.
    static constexpr int ByButtons = -1;
    explicit TMessageRecorder(std::deque<int> answers = {}, int answer = mrOk);
    ~TMessageRecorder();
    TMessageRecorder(const TMessageRecorder &) = delete;
    TMessageRecorder &operator=(const TMessageRecorder &) = delete;

    std::vector<QString> Texts;
    std::vector<TMsgIcon> Icons;
    std::deque<int> Answers;
    int Answer;
};

struct TFlexCall {
    QString Title;
    QString Message;
    QString Buttons;
    QString ButtonIcons;
    int Icon;
    bool Modal;
    int Timeout;
};

// Answers from the script, then mrOk.
class TFlexRecorder {
public:
    explicit TFlexRecorder(std::deque<int> answers = {});
    ~TFlexRecorder();
    TFlexRecorder(const TFlexRecorder &) = delete;
    TFlexRecorder &operator=(const TFlexRecorder &) = delete;

    // "title: message" of every call.
    std::vector<QString> Shown() const;

    std::vector<TFlexCall> Calls;
    std::deque<int> Answers;
};

// Answers the open and save dialogs from a script (each answer the files chosen; cancelled when
// none is left) and records how each dialog was set up.
class TScriptedFiles {
public:
    explicit TScriptedFiles(std::deque<QStringList> answers = {});
    ~TScriptedFiles();
    TScriptedFiles(const TScriptedFiles &) = delete;
    TScriptedFiles &operator=(const TScriptedFiles &) = delete;

    struct TShown {
        TFileDialogKind Kind;
        QString Filter, InitialDir;
        TOpenOptions Options;
    };
    std::vector<TShown> Shown;
    std::deque<QStringList> Answers;
};
