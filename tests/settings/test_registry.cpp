#include "settings/registry.h"
#include "settings/userfolders.h"
#include "settingstest.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const QString RegistryErrorButtons = QStringLiteral("\"Ok=mrok\",\"Don't Show Again=mrabort\"");

} // namespace

TEST(Registry, RootKeyNamesAndUndefinedHandles)
{
    const std::pair<uint32_t, const char *> cases[] = {
        {0x80000000u, "HKEY_CLASSES_ROOT"},
        {0x80000001u, "HKEY_CURRENT_USER"},
        {0x80000002u, "HKEY_LOCAL_MACHINE"},
        {0x80000003u, "HKEY_USERS"},
        {0x80000004u, "HKEY_PERFORMANCE_DATA"},
        {0x80000005u, "HKEY_CURRENT_CONFIG"},
        {0x80000006u, "HKEY_DYN_DATA"},
        {0x80000007u, "UNDEFINED KEY"},
        {0u, "UNDEFINED KEY"},
        {0x7fffffffu, "UNDEFINED KEY"},
    };
    for (const auto &[handle, name] : cases)
        EXPECT_EQ(RootKeyName(static_cast<THKey>(handle)), QString::fromLatin1(name)) << std::hex << handle;
}

TEST(Registry, SystemErrorTextGivesNumberAndText)
{
    EXPECT_EQ(SystemErrorText(EACCES), QStringLiteral("error #13 Permission denied"));
    EXPECT_EQ(SystemErrorText(ENOSPC), QStringLiteral("error #28 No space left on device"));
    EXPECT_EQ(SystemErrorText(ENOENT), QStringLiteral("error #2 No such file or directory"));
}

TEST(Registry, OpenKeyFollowsAbsoluteAndRelativePaths)
{
    auto backend = std::make_shared<Tmemorybackend>();
    SetRootBackend(HKEY_CURRENT_USER, backend);
    struct Step {
        const char *Key;
        bool Create;
        bool Opened;
        const char *PathAfter;
    };
    const Step steps[] = {
        {"\\software\\fennbrook\\ambrelo", false, false, ""}, // missing, not created
        {"\\software\\fennbrook\\ambrelo", true, true, "software\\fennbrook\\ambrelo"},
        {"templateeditor", true, true, "software\\fennbrook\\ambrelo\\templateeditor"},
        {"missing", false, false, "software\\fennbrook\\ambrelo\\templateeditor"},
        {"\\software\\fennbrook", false, true, "software\\fennbrook"},
        {"ambrelo\\templateeditor", false, true, "software\\fennbrook\\ambrelo\\templateeditor"},
        {"\\", false, true, ""},
    };
    Tregistry store;
    for (const Step &s : steps) {
        EXPECT_EQ(store.OpenKey(QString::fromLatin1(s.Key), s.Create), s.Opened) << s.Key;
        EXPECT_EQ(store.GetCurrentPath(), QString::fromLatin1(s.PathAfter)) << s.Key;
    }
    Tregistry fresh;
    EXPECT_TRUE(fresh.OpenKey(QStringLiteral("software"), false)) << "relative to the root when none is open";
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

TEST(Registry, OpeningsAreNumberedAcrossStoresButPlainOpensAreNot)
{
    TUserFolders folders;
    InitSettingsModule();
    EXPECT_EQ(SettingsStore->OpenNumber, 0);
    Tregistryex second;
    second.OpenKey(QStringLiteral("\\software"), false);
    EXPECT_EQ(second.OpenNumber, 1);
    EXPECT_TRUE(
        second.Tregistry::OpenKey(QStringLiteral("\\software\\fennbrook\\ambrelo\\templateeditor"), true));
    EXPECT_EQ(second.OpenNumber, 1);
    SettingsStore->OpenKey(QString::fromLatin1(SettingsKeyPath), false);
    EXPECT_EQ(SettingsStore->OpenNumber, 2);
    DoneSettingsModule();
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

TEST(Registry, AKeyThatCannotBeCreatedIsShownAndLeavesTheCurrentKey)
{
    TMemoryStore memory;
    memory.Backend->RefuseWrites = EACCES;
    TScriptedFlexDlg dialogs;
    EXPECT_FALSE(memory.Store.OpenKey(QStringLiteral("\\software\\other"), true));
    EXPECT_FALSE(memory.Store.OpenKey(QStringLiteral("\\software\\elsewhere"), false)); // no message
    ASSERT_EQ(dialogs.Calls.size(), 1u);
    const TFlexCall &call = dialogs.Calls[0];
    EXPECT_EQ(call.Title, QStringLiteral("Could not open registry key "));
    EXPECT_EQ(call.Message, QStringLiteral("Could not open key in HKEY_CURRENT_USER \"\\software\\other\"\r\n"
                                           "error #13 Permission denied"));
    EXPECT_EQ(call.Buttons, QStringLiteral("Ok=mrok"));
    EXPECT_EQ(call.Icon, fiError);
    EXPECT_TRUE(call.Modal);
    EXPECT_EQ(call.Timeout, -1);
    EXPECT_EQ(memory.Store.GetCurrentPath(), QStringLiteral("software\\fennbrook\\ambrelo"));
}

TEST(Registry, ARootWithoutATreeCannotBeOpened)
{
    TScriptedFlexDlg dialogs;
    Tregistryex store(HKEY_CLASSES_ROOT);
    EXPECT_FALSE(store.OpenKey(QStringLiteral(".wlp"), true));
    ASSERT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(dialogs.Calls[0].Message,
              QStringLiteral(
                  "Could not open key in HKEY_CLASSES_ROOT \".wlp\"\r\nerror #2 No such file or directory"));
}

TEST(Registry, RefusedWritesAreReportedWithTheOpenNumberAndNeverRaised)
{
    TMemoryStore memory;
    memory.Store.OpenNumber = 7;
    memory.Backend->RefuseWrites = ENOSPC;
    TScriptedFlexDlg dialogs;
    const uint8_t bytes[4] = {1, 2, 3, 4};
    EXPECT_NO_THROW(memory.Store.WriteInteger(QStringLiteral("nudge.x"), 3));
    EXPECT_NO_THROW(memory.Store.WriteBinaryData(QStringLiteral("bounds"), bytes, 4));
    EXPECT_NO_THROW(memory.Store.WriteBool(QStringLiteral("toolboxvisible"), true));
    ASSERT_EQ(dialogs.Calls.size(), 3u);
    EXPECT_EQ(dialogs.Calls[0].Title, QStringLiteral("Registry error: "));
    EXPECT_EQ(dialogs.Calls[0].Message,
              QStringLiteral("ERegistryException: Failed to set data for 'nudge.x'\r\n"
                             "error #28 No space left on device\r\n7"));
    EXPECT_EQ(dialogs.Calls[0].Buttons, RegistryErrorButtons);
    EXPECT_EQ(dialogs.Calls[0].Icon, fiError);
    EXPECT_EQ(dialogs.Calls[1].Message,
              QStringLiteral("ERegistryException: Failed to set data for 'bounds'\r\n"
                             "error #28 No space left on device\r\n7.writebinaydata"));
    EXPECT_EQ(dialogs.Calls[2].Message,
              QStringLiteral("ERegistryException: Failed to set data for 'toolboxvisible'"
                             "\r\nerror #28 No space left on device\r\n7"));
    EXPECT_FALSE(memory.Store.ValueExists(QStringLiteral("nudge.x")));
}

TEST(Registry, PlainStoreRaisesWhereTheReportingOneReports)
{
    auto backend = std::make_shared<Tmemorybackend>();
    SetRootBackend(HKEY_CURRENT_USER, backend);
    Tregistry plain;
    ASSERT_TRUE(plain.OpenKey(QStringLiteral("\\software"), true));
    backend->RefuseWrites = EACCES;
    EXPECT_THROW(plain.WriteString(QStringLiteral("x"), QStringLiteral("y")), ERegistryException);
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

TEST(Registry, DontShowAgainSilencesThatStoreOnly)
{
    TMemoryStore first;
    Tregistryex second;
    ASSERT_TRUE(second.OpenKey(QStringLiteral("\\software\\fennbrook\\ambrelo"), false));
    first.Backend->RefuseWrites = EACCES;
    TScriptedFlexDlg dialogs({mrAbort});
    first.Store.WriteString(QStringLiteral("imagepath"), QStringLiteral("/a"));
    EXPECT_TRUE(first.Store.Silenced);
    first.Store.WriteString(QStringLiteral("imagepath"), QStringLiteral("/b"));
    first.Store.WriteInteger(QStringLiteral("nudge.y"), 1);
    second.WriteString(QStringLiteral("imagepath"), QStringLiteral("/c"));
    EXPECT_FALSE(second.Silenced) << "answered Ok";
    ASSERT_EQ(dialogs.Calls.size(), 2u);
    EXPECT_THAT(dialogs.Calls[1].Message.toStdString(),
                testing::EndsWith("\r\n" + std::to_string(second.OpenNumber)));
}

TEST(Registry, AValueOfAnotherKindReadsAsAbsent)
{
    TMemoryStore memory;
    memory.Store.WriteString(QStringLiteral("text"), QStringLiteral("12"));
    memory.Store.WriteInteger(QStringLiteral("number"), 5);
    const QByteArray record(20, '\x7f');
    memory.Store.WriteBinaryData(QStringLiteral("bytes"), record.constData(), int(record.size()));

    for (const char *name : {"text", "number", "bytes"})
        EXPECT_TRUE(memory.Store.ValueExists(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(memory.Store.ValueExists(QStringLiteral("missing")));

    EXPECT_EQ(memory.Store.ReadInteger(QStringLiteral("text"), -3), -3);
    EXPECT_EQ(memory.Store.ReadString(QStringLiteral("number")), QString());
    EXPECT_TRUE(memory.Store.ReadBool(QStringLiteral("bytes"), true));
    EXPECT_TRUE(memory.Store.ReadBool(QStringLiteral("number"), false)) << "any non-zero value is true";
    EXPECT_EQ(memory.Store.ReadString(QStringLiteral("missing")), QString());

    uint8_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), uint8_t(0xAA));
    EXPECT_EQ(memory.Store.ReadBinaryData(QStringLiteral("bytes"), buffer, 16), -1)
        << "longer than the buffer";
    EXPECT_EQ(memory.Store.ReadBinaryData(QStringLiteral("text"), buffer, 16), -1);
    EXPECT_EQ(buffer[0], 0xAA);
    EXPECT_EQ(memory.Store.ReadBinaryData(QStringLiteral("bytes"), buffer, 8), -1);
}

TEST(Registry, WithoutAKeyReadsFindNothingAndWritesAreReported)
{
    TScriptedFlexDlg dialogs;
    Tregistryex store;
    EXPECT_FALSE(store.HasCurrentKey());
    EXPECT_FALSE(store.ValueExists(QStringLiteral("toolboxvisible")));
    EXPECT_TRUE(store.ReadBool(QStringLiteral("toolboxvisible"), true));
    store.WriteString(QStringLiteral("lastopenedfile"), QStringLiteral("a.wlp"));
    ASSERT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(dialogs.Calls[0].Message,
              QStringLiteral("ERegistryException: Failed to set data for 'lastopenedfile'"
                             "\r\nerror #9 Bad file descriptor\r\n0"));
}

TEST(SettingsStore, FirstStartCreatesTheKeyInTheUserFile)
{
    TUserFolders folders;
    TScriptedFlexDlg dialogs;
    InitSettingsModule();
    EXPECT_EQ(UserSettingsFileName(), folders.Config() + QStringLiteral("/fennbrook/ambrelo.conf"));
    ASSERT_TRUE(SettingsStore->HasCurrentKey());
    EXPECT_EQ(SettingsStore->GetCurrentPath(), QStringLiteral("software\\fennbrook\\ambrelo"));
    EXPECT_FALSE(SettingsStore->ValueExists(QStringLiteral("toolboxvisible")));
    EXPECT_THAT(ReadFile(UserSettingsFileName()).toStdString(),
                testing::HasSubstr("[software\\fennbrook\\ambrelo]"));
    EXPECT_THAT(dialogs.Calls, IsEmpty());
    DoneSettingsModule();
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

TEST(SettingsStore, ASettingsFolderThatCannotBeMadeLeavesTheDefaultsAndReportsWrites)
{
    TUserFolders folders;
    WriteFile(folders.Config() + QStringLiteral("/fennbrook"), "a file where the folder belongs");
    TScriptedFlexDlg dialogs;
    InitSettingsModule();
    EXPECT_FALSE(SettingsStore->HasCurrentKey());
    EXPECT_TRUE(SettingsStore->ReadBool(QStringLiteral("showbuttoncaptions"), true));
    SettingsStore->WriteInteger(QStringLiteral("nudge.x"), 2);
    ASSERT_EQ(dialogs.Calls.size(), 2u);
    EXPECT_EQ(dialogs.Calls[0].Message,
              QStringLiteral("Could not open key in HKEY_CURRENT_USER \"\\software\\fennbrook\\ambrelo\"\r\n"
                             "error #20 Not a directory"));
    EXPECT_EQ(dialogs.Calls[1].Title, QStringLiteral("Registry error: "));
    DoneSettingsModule();
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

TEST(SettingsStore, AWriteRefusedByTheDiskShowsTheSystemError)
{
    TUserFolders folders;
    InitSettingsModule();
    SettingsStore->WriteInteger(QStringLiteral("nudge.x"), 4);
    ASSERT_TRUE(QFile::remove(UserSettingsFileName()));
    ASSERT_TRUE(QDir().mkdir(UserSettingsFileName()));
    TScriptedFlexDlg dialogs;
    SettingsStore->WriteInteger(QStringLiteral("nudge.x"), 5);
    ASSERT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(dialogs.Calls[0].Message,
              QStringLiteral("ERegistryException: Failed to set data for 'nudge.x'\r\n"
                             "error #21 Is a directory\r\n0"));
    DoneSettingsModule();
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

TEST(SpecialFolder, DocumentsFolderComesFromTheUserDirectories)
{
    TUserFolders folders;
    const QString documents = folders.Root() + QStringLiteral("/My Documents");
    WriteFile(folders.Config() + QStringLiteral("/user-dirs.dirs"),
              "XDG_DOCUMENTS_DIR=\"" + QFile::encodeName(documents) + "\"\n");
    EXPECT_EQ(GetSpecialFolderPath(CSIDL_PERSONAL), QString()) << "not there yet, and not created";
    EXPECT_FALSE(QDir(documents).exists());
    ASSERT_TRUE(QDir().mkpath(documents));
    EXPECT_EQ(GetSpecialFolderPath(CSIDL_PERSONAL), documents);
    EXPECT_EQ(GetSpecialFolderPath(0x99), QString());
}
