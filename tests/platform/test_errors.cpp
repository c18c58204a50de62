#include "platform/errors.h"
#include "platform/messages.h"

#include <gmock/gmock.h>
#include <new>

using testing::HasSubstr;

TEST(Errors, ClassNamesForReports)
{
    EXPECT_EQ(ErrorClassName(EStreamError(QStringLiteral("x"))), QStringLiteral("EStreamError"));
    EXPECT_EQ(ErrorClassName(EOSError(QStringLiteral("x"))), QStringLiteral("EOSError"));
    EXPECT_EQ(ErrorClassName(std::bad_alloc()), QStringLiteral("EOutOfMemory"));
    EXPECT_EQ(ErrorClassName(std::runtime_error("x")), QStringLiteral("Exception"));
    EXPECT_EQ(ErrorMessage(EStreamError(QStringLiteral("Ch\u00e2teau"))), QStringLiteral("Ch\u00e2teau"));
}

TEST(Errors, AssertionNamesTheModuleAndLine)
{
    int line = 0;
    try {
        line = __LINE__ + 1;
        VNL_ASSERT(1 + 1 == 3, "vnl_rectmath");
        FAIL() << "no assertion raised";
    } catch (const EAssertionFailed &e) {
        EXPECT_THAT(e.what(), HasSubstr("vnl_rectmath"));
        EXPECT_THAT(e.what(), HasSubstr("line " + std::to_string(line) + ")"));
    }
    EXPECT_NO_THROW(VNL_ASSERT(true, "vnl_rectmath"));
}

TEST(Messages, HookAnswersAndTheFallbackIsSafe)
{
    std::vector<QString> asked;
    SetMessageBoxHook([&](const QString &text, TMsgIcon icon, TMsgButtons buttons) {
        asked.push_back(text);
        EXPECT_EQ(icon, TMsgIcon::Confirmation);
        EXPECT_EQ(buttons, TMsgButtons::YesNoCancel);
        return int(mrNo);
    });
    EXPECT_EQ(MessageBox(QStringLiteral("Save?"), TMsgIcon::Confirmation, TMsgButtons::YesNoCancel), mrNo);
    EXPECT_EQ(asked, std::vector<QString>{QStringLiteral("Save?")});
    SetMessageBoxHook({});
    EXPECT_EQ(MessageBox(QStringLiteral("Note"), TMsgIcon::Information), mrOk);
    EXPECT_EQ(MessageBox(QStringLiteral("Save?"), TMsgIcon::Confirmation, TMsgButtons::YesNoCancel),
              mrCancel);
}
