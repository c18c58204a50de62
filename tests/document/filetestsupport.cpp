#include "filetestsupport.h"

#include "document/picture.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>

const QString DamagedFile = QStringLiteral("The file is damaged: some of its contents could not be read. "
                                           "What could be read is shown; saving keeps only that.");

QByteArray Entry(const Tdrawobj &o)
{
    const QByteArray record = RecordOf(o);
    return QByteArray(1, char(o.GetTypeCode())) + Int32Bytes(static_cast<int32_t>(record.size())) + record;
}

QByteArray UnreadablePictureEntry()
{
    Tvnlpic picture;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkRed);
    picture.SetPicture(image);
    QByteArray entry = Entry(picture);
    const qsizetype png = entry.indexOf("\x89PNG");
    if (png > 0)
        entry[png + 20] = char(entry[png + 20] ^ 0x55);
    return entry;
}

QByteArray ReadWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteWholeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

namespace {
class TScriptedDialog : public Tfiledialog {
public:
    TScriptedDialog(TFileDialogKind kind, std::deque<QString> &choices, int &shown)
        : Tfiledialog(kind), Choices(choices), Shown(shown)
    {
    }
    bool Execute() override
    {
        ++Shown;
        if (Choices.empty())
            return false;
        SetFileName(Choices.front());
        SetFiles({Choices.front()});
        Choices.pop_front();
        return true;
    }

private:
    std::deque<QString> &Choices;
    int &Shown;
};
} // namespace

void TFileTest::SetUp()
{
    ASSERT_TRUE(Dir.isValid());
    ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("program/templates")));
    SetProgramFolder(ProgramDir());
    PreviousFolder = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    SetMessageBoxHook([this](const QString &text, TMsgIcon, TMsgButtons) {
        Messages << text;
        if (Answers.empty())
            return int(mrOk);
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    });
    SetFileDialogFactory([this](TFileDialogKind kind) -> std::unique_ptr<Tfiledialog> {
        return std::make_unique<TScriptedDialog>(kind, DialogChoices, DialogsShown);
    });
}

void TFileTest::TearDown()
{
    SetFileDialogFactory(nullptr);
    SetMessageBoxHook({});
    SetProgressWindow(nullptr);
    SetProgramFolder(QString());
    QDir::setCurrent(PreviousFolder);
}
