#include "platform/platform.h"

#include <QDir>
#include <QTemporaryDir>
#include <gmock/gmock.h>

TEST(DataFolder, FollowsTheLayoutTheProgramIsIn)
{
    struct Case {
        const char *Layout, *Program, *Folder, *Expected;
    };
    const Case cases[] = {
        {"build tree", "build", "build/templates", "build"},
        {"installed", "usr/bin", "usr/share/ambrelo/templates", "usr/share/ambrelo"},
        {"installed without its data", "usr/bin", "usr/share", "usr/bin"},
    };
    for (const Case &c : cases) {
        QTemporaryDir root;
        const QString program = root.filePath(QString::fromLatin1(c.Program));
        ASSERT_TRUE(QDir().mkpath(program) && QDir(root.path()).mkpath(QString::fromLatin1(c.Folder)));
        SetProgramFolder(program);
        EXPECT_EQ(DataFolder(), root.filePath(QString::fromLatin1(c.Expected))) << c.Layout;
        EXPECT_EQ(ProgramFolder(), program) << c.Layout << ": references stay relative to the program";
    }
    SetProgramFolder(QString());
}
