#include "platform/errors.h"
#include "platform/rnd.h"
#include "platform/streams.h"
#include "platform/stringstream.h"

#include <QBuffer>
#include <QTemporaryFile>
#include <gmock/gmock.h>
#include <limits>
#include <vector>

namespace {
QBuffer *OpenBuffer(QBuffer &b, const QByteArray &bytes)
{
    b.setData(bytes);
    b.open(QIODevice::ReadWrite);
    return &b;
}

} // namespace

TEST(Rnd, RoundsHalvesToEven)
{
    struct Case {
        double x;
        int32_t expected;
    };
    const Case cases[] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {-0.5, 0},
                          {-1.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.6, -3}};
    for (const Case &c : cases)
        EXPECT_EQ(rnd(c.x), c.expected) << c.x;
}

TEST(Rnd, SaturatesOutOfRange)
{
    EXPECT_EQ(rnd(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(rnd(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(rnd(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(rnd(std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::max());
}

TEST(Streams, LittleEndianRoundTrip)
{
    QBuffer b;
    b.open(QIODevice::ReadWrite);
    WriteInt32(b, -2);
    WriteUInt8(b, 200);
    WriteDouble(b, 1.5708);
    EXPECT_EQ(b.data().left(5), QByteArray("\xFE\xFF\xFF\xFF\xC8", 5));
    b.seek(0);
    int32_t i = 0;
    uint8_t u = 0;
    double d = 0;
    EXPECT_TRUE(ReadInt32(b, i));
    EXPECT_TRUE(ReadUInt8(b, u));
    EXPECT_TRUE(ReadDouble(b, d));
    EXPECT_EQ(i, -2);
    EXPECT_EQ(u, 200);
    EXPECT_EQ(d, 1.5708);
}

TEST(Streams, ShortReadsLeaveTheTargetAloneAndUseUpTheRest)
{
    QBuffer b;
    OpenBuffer(b, QByteArray("\1\2\3", 3));
    double d = 7;
    EXPECT_FALSE(ReadDouble(b, d));
    EXPECT_EQ(d, 7);
    // The three bytes are gone: nothing reads them as the start of another field.
    EXPECT_EQ(b.pos(), 3);
    int32_t i = 42;
    EXPECT_FALSE(ReadInt32(b, i));
    EXPECT_EQ(i, 42);
    uint8_t u = 9;
    EXPECT_FALSE(ReadUInt8(b, u));
    EXPECT_EQ(u, 9);
    b.seek(0);
    EXPECT_EQ(ReadBytes(b, 100), QByteArray("\1\2\3", 3));
    EXPECT_EQ(ReadBytes(b, 100), QByteArray());
    b.seek(1);
    SkipBytes(b, 1000);
    EXPECT_EQ(b.pos(), 3);
}

TEST(Streams, AFailedWriteRaises)
{
    QBuffer b;
    b.open(QIODevice::ReadOnly);
    EXPECT_THROW(WriteInt32(b, 1), EStreamError);
}

TEST(StringStream, FileTextsAreShownWithVisibleControlsAndShortened)
{
    const QChar ellipsis(0x2026);
    struct Case {
        const char *name;
        QString text;
        QString shown;
    };
    const std::vector<Case> cases{
        {"plain", QStringLiteral("Ch\u00e2teau Margaux.wlt"), QStringLiteral("Ch\u00e2teau Margaux.wlt")},
        {"controls",
         QString::fromUtf16(u"\u0001\u001b[2J\u0007\r\n\t\u007f\u0085\u202eSq\u2028") + QChar(0xD800),
         QString::fromUtf16(u"\u2401\u241b[2J\u2407\u240d\u240a\u2409\u2421\ufffd\ufffdSq\ufffd\ufffd")},
        // Two thirds from the beginning, the rest (with the extension) from the end.
        {"100,000 characters", QString(100000, u'a') + QStringLiteral(".wlt"),
         QString(132, u'a') + ellipsis + QString(63, u'a') + QStringLiteral(".wlt")},
        // A character of two code units where the text is cut is left out, never split.
        {"cut at a pair", QString(131, u'b') + QString::fromUtf16(u"\U0001F377") + QString(100, u'c'),
         QString(131, u'b') + ellipsis + QString(67, u'c')},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ShownFileText(c.text), c.shown) << c.name;
        EXPECT_LE(ShownFileText(c.text).size(), MaxShownFileText) << c.name;
    }
}

TEST(StringStream, LengthPrefixedStrings)
{
    tstringwrapstream s;
    s.WriteLString(QStringLiteral("Chardonnay"));
    s.WriteText(QStringLiteral("ab"));
    s.WriteLString(QString());
    EXPECT_EQ(s.Inner().size(), 4 + 10 + 2 + 4);
    s.Seek(0, tstringwrapstream::soBeginning);
    EXPECT_EQ(s.ReadLString(), QStringLiteral("Chardonnay"));
    EXPECT_EQ(s.ReadText(2), QStringLiteral("ab"));
    EXPECT_EQ(s.ReadLStringOr(QStringLiteral("x")), QStringLiteral("x"));
}

TEST(StringStream, LengthsBeyondTheEndYieldWhatRemains)
{
    QBuffer b;
    OpenBuffer(b, QByteArray("\x0A\0\0\0abcd", 8));
    tstringwrapstream s(&b, false);
    EXPECT_EQ(s.ReadLString(), QStringLiteral("abcd"));

    QBuffer negative;
    OpenBuffer(negative, QByteArray("\xFF\xFF\xFF\xFFzz", 6));
    tstringwrapstream n(&negative, false);
    EXPECT_EQ(n.ReadLStringOr(QStringLiteral("x")), QStringLiteral("x"));
    negative.seek(0);
    EXPECT_EQ(n.ReadLString(), QString());
    EXPECT_EQ(n.ReadText(-3), QString());
}

TEST(StringStream, OwnedStreamsAndSetSize)
{
    auto *inner = new QBuffer; // owned by the wrapper
    inner->open(QIODevice::ReadWrite);
    tstringwrapstream s(inner, true);
    s.WriteText(QStringLiteral("abcdef"));
    EXPECT_TRUE(s.SetSize(3));
    EXPECT_EQ(s.Inner().size(), 3);
    EXPECT_EQ(s.Seek(-1, tstringwrapstream::soEnd), 2);
}

TEST(StringStream, TextKeepsWindowsCodePageWhereItCan)
{
    // Characters of the Windows code page are one byte each, as files made on Windows hold them.
    EXPECT_EQ(EncodeFileText(QStringLiteral("Ch\u00e2teau \u20ac5")), QByteArray("Ch\xE2teau \x80"
                                                                                 "5"));
    EXPECT_EQ(DecodeFileText(QByteArray("Ch\xE2teau \x80"
                                        "5")),
              QStringLiteral("Ch\u00e2teau \u20ac5"));
    // Text beyond it is kept whole as UTF-8 rather than lost.
    const QString wide = QStringLiteral("\u5929\u7136 \u00e2");
    EXPECT_EQ(DecodeFileText(EncodeFileText(wide)), wide);
    EXPECT_EQ(DecodeFileText("plain"), QStringLiteral("plain"));
}

TEST(Streams, ViewsOfMemoryBuffersAreNotCopies)
{
    QBuffer b;
    OpenBuffer(b, QByteArray("abcdefgh"));
    b.seek(2);
    const QByteArray view = ReadBytesView(b, 3);
    EXPECT_EQ(view, QByteArray("cde"));
    EXPECT_EQ(view.constData(), b.data().constData() + 2);
    EXPECT_EQ(b.pos(), 5);
    // Never past the end.
    EXPECT_EQ(ReadBytesView(b, 100), QByteArray("fgh"));
    EXPECT_EQ(ReadBytesView(b, 1), QByteArray());

    // Other devices give a copy of the same bytes.
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write("0123456789");
    file.seek(4);
    EXPECT_EQ(ReadBytesView(file, 3), QByteArray("456"));
    EXPECT_EQ(file.pos(), 7);
}
