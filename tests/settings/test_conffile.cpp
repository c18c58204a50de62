#include "settings/conffile.h"
#include "settings/registry.h"
#include "settingstest.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <gmock/gmock.h>

using testing::HasSubstr;

namespace {

// The values a store reads back from a backend opened afresh on a copy of the file, so nothing
// of the first one's memory can answer.
Tconffilebackend Reopened(const QString &fileName, const QString &copyName)
{
    QFile::remove(copyName);
    EXPECT_TRUE(QFile::copy(fileName, copyName));
    return Tconffilebackend(copyName);
}

} // namespace

TEST(ConfFile, KindsAndKeyPathsSurviveARestart)
{
    TUserFolders folders;
    const QString file = folders.Config() + QStringLiteral("/fennbrook/ambrelo.conf");
    {
        Tconffilebackend backend(file);
        const QString key = QStringLiteral("software\\fennbrook\\ambrelo");
        ASSERT_EQ(backend.CreateKey(key + QStringLiteral("\\templateeditor")), 0);
        ASSERT_EQ(backend.WriteValue(key, QStringLiteral("lastopenedfile"),
                                     QStringLiteral("/home/ann/Ch\u00e2teau \"Rouge\"\\2024.wlp")),
                  0);
        ASSERT_EQ(backend.WriteValue(key, QStringLiteral("nudge.x"), int32_t(-16)), 0);
        ASSERT_EQ(backend.WriteValue(key, QStringLiteral("big"), int32_t(INT32_MIN)), 0);
        ASSERT_EQ(backend.WriteValue(key, QStringLiteral("a/b\\c%2F"), QStringLiteral("odd name")), 0);
        ASSERT_EQ(backend.WriteValue(key, QString(), QStringLiteral("unnamed")), 0);
        ASSERT_EQ(backend.WriteValue(key, QStringLiteral("lines"), QStringLiteral("one\r\ntwo\tthree\x01")),
                  0);
        ASSERT_EQ(backend.WriteValue(key, QStringLiteral("empty"), QByteArray()), 0);
        ASSERT_EQ(backend.WriteValue(key, QStringLiteral("numbertext"), QStringLiteral("42")), 0);
    }
    const Tconffilebackend again = Reopened(file, folders.Config() + QStringLiteral("/copy.conf"));
    const QString key = QStringLiteral("software\\fennbrook\\ambrelo");
    EXPECT_TRUE(again.KeyExists(key + QStringLiteral("\\templateeditor")));
    EXPECT_TRUE(again.KeyExists(QStringLiteral("software\\fennbrook")));
    EXPECT_FALSE(again.KeyExists(QStringLiteral("software\\fennbrook\\other")));
    struct Case {
        const char *Name;
        TRegValue Value;
    };
    const Case cases[] = {
        {"lastopenedfile", QStringLiteral("/home/ann/Ch\u00e2teau \"Rouge\"\\2024.wlp")},
        {"nudge.x", int32_t(-16)},
        {"big", int32_t(INT32_MIN)},
        {"a/b\\c%2F", QStringLiteral("odd name")},
        {"", QStringLiteral("unnamed")},
        {"lines", QStringLiteral("one\r\ntwo\tthree\x01")},
        {"empty", QByteArray()},
        {"numbertext", QStringLiteral("42")},
    };
    for (const Case &c : cases) {
        const auto value = again.ReadValue(key, QString::fromLatin1(c.Name));
        ASSERT_TRUE(value.has_value()) << c.Name;
        EXPECT_TRUE(*value == c.Value) << c.Name << " kept its kind and value";
    }
}

TEST(ConfFile, TheBoundsRecordIsKeptByteForByte)
{
    TUserFolders folders;
    const QString file = folders.Config() + QStringLiteral("/a.conf");
    QByteArray record;
    for (int i = 0; i < 16; ++i)
        record.append(static_cast<char>(i * 17));
    {
        Tconffilebackend backend(file);
        ASSERT_EQ(backend.WriteValue(QStringLiteral("k"), QStringLiteral(".frm_labeler.frm_labeler.bounds"),
                                     record),
                  0);
    }
    EXPECT_THAT(
        ReadFile(file).toStdString(),
        HasSubstr("\".frm_labeler.frm_labeler.bounds\"=hex:00,11,22,33,44,55,66,77,88,99,aa,bb,cc,dd,ee,ff"));
    const Tconffilebackend again = Reopened(file, folders.Config() + QStringLiteral("/b.conf"));
    const auto value =
        again.ReadValue(QStringLiteral("k"), QStringLiteral(".frm_labeler.frm_labeler.bounds"));
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(std::get<QByteArray>(*value), record);
}

TEST(ConfFile, AHandWrittenFileIsRead)
{
    TUserFolders folders;
    const QString file = folders.Config() + QStringLiteral("/hand.conf");
    WriteFile(file, "; written by hand\r\n"
                    "[software\\fennbrook\\ambrelo]\r\n"
                    "\"toolboxvisible\"=dword:00000000\r\n"
                    "  \"imagepath\" = \"/srv/pictures\"  \r\n"
                    "@=\"default\"\r\n"
                    "\r\n"
                    "[software\\\\fennbrook\\ambrelo\\templateeditor\\]\r\n");
    TScriptedMessageBox boxes;
    const Tconffilebackend backend(file);
    EXPECT_TRUE(boxes.Texts.empty());
    const QString key = QStringLiteral("software\\fennbrook\\ambrelo");
    EXPECT_TRUE(backend.ReadValue(key, QStringLiteral("toolboxvisible")) == TRegValue(int32_t(0)));
    EXPECT_TRUE(backend.ReadValue(key, QStringLiteral("imagepath")) ==
                TRegValue(QStringLiteral("/srv/pictures")));
    EXPECT_TRUE(backend.ReadValue(key, QString()) == TRegValue(QStringLiteral("default")));
    EXPECT_TRUE(backend.KeyExists(key + QStringLiteral("\\templateeditor")));
}

TEST(ConfFile, DamagedLinesAreSkippedReportedAndTheOriginalKept)
{
    TUserFolders folders;
    const QString file = folders.Config() + QStringLiteral("/damaged.conf");
    const QByteArray damaged = "[software\\fennbrook\\ambrelo]\n"
                               "\"nudge.x\"=dword:00000003\n"
                               "\"nudge.y\"=dword:12345678\n"
                               "\"bounds\"=hex:01,02,0\n"      // line 4: a byte cut short
                               "\"toolboxvisible\"=dword:-1\n" // line 5
                               "\"lastfilepath\"=\"no end\n"   // line 6
                               "\"bad\\q\"=\"escape\"\n"       // line 7
                               "garbage \x01\xff\xfe\n"        // line 8
                               "\"imagepath\"=\"/srv/pictures\"\n"
                               "\"toolong\"=dword:123456789\n"; // line 10
    WriteFile(file, damaged);
    TScriptedMessageBox boxes;
    Tconffilebackend backend(file);
    ASSERT_EQ(boxes.Texts.size(), 1u);
    EXPECT_THAT(boxes.Texts[0].toStdString(), HasSubstr("is damaged at line 4"));
    EXPECT_THAT(boxes.Texts[0].toStdString(), HasSubstr("damaged.conf.damaged"));
    EXPECT_EQ(ReadFile(file + QStringLiteral(".damaged")), damaged);

    const QString key = QStringLiteral("software\\fennbrook\\ambrelo");
    EXPECT_TRUE(backend.ReadValue(key, QStringLiteral("nudge.x")) == TRegValue(int32_t(3)));
    EXPECT_TRUE(backend.ReadValue(key, QStringLiteral("imagepath")) ==
                TRegValue(QStringLiteral("/srv/pictures")));
    for (const char *name : {"bounds", "toolboxvisible", "lastfilepath", "toolong"})
        EXPECT_FALSE(backend.ReadValue(key, QString::fromLatin1(name)).has_value()) << name;

    ASSERT_EQ(backend.WriteValue(key, QStringLiteral("nudge.x"), int32_t(4)), 0);
    const Tconffilebackend again = Reopened(file, folders.Config() + QStringLiteral("/again.conf"));
    EXPECT_TRUE(again.ReadValue(key, QStringLiteral("nudge.y")) == TRegValue(int32_t(0x12345678)));
    EXPECT_TRUE(again.ReadValue(key, QStringLiteral("nudge.x")) == TRegValue(int32_t(4)));
}

TEST(ConfFile, ValuesBeforeAnyKeyAndBinaryJunkAreDamage)
{
    QSettings::SettingsMap map;
    EXPECT_EQ(ParseRegFile("\"x\"=dword:00000001\n[k]\n\"y\"=dword:00000002\n", map), 1);
    EXPECT_EQ(map.size(), 2) << "the key and y";
    map.clear();
    EXPECT_EQ(ParseRegFile(QByteArray("\x00\x01\x02[k]", 6), map), 1);
    map.clear();
    EXPECT_EQ(ParseRegFile(QByteArray(), map), 0);
    EXPECT_TRUE(map.isEmpty());
}

TEST(ConfFile, ARefusedWriteKeepsWhatWasStoredAndSaysWhy)
{
    TUserFolders folders;
    const QString folder = folders.Config() + QStringLiteral("/refused");
    const QString file = folder + QStringLiteral("/ambrelo.conf");
    Tconffilebackend backend(file);
    ASSERT_EQ(backend.WriteValue(QStringLiteral("k"), QStringLiteral("nudge.x"), int32_t(1)), 0);
    const QByteArray before = ReadFile(file);
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
    EXPECT_EQ(backend.WriteValue(QStringLiteral("k"), QStringLiteral("nudge.x"), int32_t(2)), EISDIR);
    EXPECT_EQ(backend.CreateKey(QStringLiteral("k\\sub")), EISDIR);
    EXPECT_FALSE(backend.KeyExists(QStringLiteral("k\\sub")));
    ASSERT_TRUE(QDir().rmdir(file));
    WriteFile(file, before);
    ASSERT_EQ(backend.WriteValue(QStringLiteral("k"), QStringLiteral("nudge.y"), int32_t(9)), 0);
    EXPECT_TRUE(backend.ReadValue(QStringLiteral("k"), QStringLiteral("nudge.x")) == TRegValue(int32_t(1)))
        << "the refused 2 was not written later either";
}

TEST(ConfFile, AFolderInTheWayIsReportedAsNotADirectory)
{
    TUserFolders folders;
    WriteFile(folders.Config() + QStringLiteral("/blocked"), "not a folder");
    Tconffilebackend backend(folders.Config() + QStringLiteral("/blocked/ambrelo.conf"));
    EXPECT_EQ(backend.WriteValue(QStringLiteral("k"), QStringLiteral("x"), int32_t(1)), ENOTDIR);
    EXPECT_FALSE(backend.ReadValue(QStringLiteral("k"), QStringLiteral("x")).has_value());
}
