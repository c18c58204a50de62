#include "widgets/numedit.h"

#include <QLocale>
#include <QTest>
#include <cmath>
#include <gmock/gmock.h>

namespace {

// Runs a test under a locale and puts the previous one back.
class TLocaleScope {
public:
    explicit TLocaleScope(QLocale::Language language, QLocale::Territory territory) : Saved(QLocale())
    {
        QLocale::setDefault(QLocale(language, territory));
    }
    ~TLocaleScope() { QLocale::setDefault(Saved); }

private:
    QLocale Saved;
};

// A box with precision 4 that counts its change events.
struct TCountingBox {
    TnumEdit Box;
    int Changes = 0;

    TCountingBox()
    {
        Box.SetPrecision(4);
        Box.clear();
        Changes = 0;
        Box.OnChange = [this](TnumEdit *) { ++Changes; };
    }

    void Type(const QString &keys) { QTest::keyClicks(&Box, keys); }
};

} // namespace

TEST(ParseFraction, ReadsNumbersFractionsAndMixedNumbers)
{
    TLocaleScope us(QLocale::English, QLocale::UnitedStates);
    struct Case {
        const char *Text;
        double Value;
    };
    const Case cases[] = {
        {"1 3/4", 1.75},  {"3/8", 0.375},   {"2.5", 2.5},    {"-1 1/2", -0.5}, {"7", 7},
        {" 3/8 ", 0.375}, {"1  1/4", 1.25}, {"-3/4", -0.75}, {"1 2", 2},       {"1.5/0.5", 3},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(ParseFraction(c.Text), c.Value) << c.Text;
}

TEST(ParseFraction, RefusesWhatIsNotANumber)
{
    TLocaleScope us(QLocale::English, QLocale::UnitedStates);
    struct Case {
        const char *Text;
        const char *Message;
    };
    const Case cases[] = {
        {"abc", "'abc' is not a valid floating point value"},
        {"", "'' is not a valid floating point value"},
        {"x/2", "'x' is not a valid floating point value"},
        {"1 x", "'x' is not a valid floating point value"},
        {"3/", "'' is not a valid floating point value"},
        {"inf", "'inf' is not a valid floating point value"},
        {"nan", "'nan' is not a valid floating point value"},
        {"1,000", "'1,000' is not a valid floating point value"},
        {"1e308/1e-308", "'1e308/1e-308' is not a valid floating point value"},
    };
    for (const Case &c : cases) {
        try {
            ParseFraction(c.Text);
            ADD_FAILURE() << c.Text << " was read";
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.Message(), c.Message) << c.Text;
        }
    }
    EXPECT_THROW(ParseFraction("1/0"), EZeroDivide);
    EXPECT_THROW(ParseFraction("2 0/0"), EZeroDivide);
}

TEST(NumEdit, TypedTextSetsBothValues)
{
    TLocaleScope us(QLocale::English, QLocale::UnitedStates);
    struct Case {
        const char *Typed;
        const char *Text;
        double Asdouble;
        int32_t Asinteger;
        const char *Hint;
    };
    const Case cases[] = {
        {"0,5", "0.5", 0.5, 0, ""},          {"7", "7", 7, 7, ""},
        {"3/8", "3/8", 0.375, 0, "0.375"},   {"-1 1/2", "-1 1/2", -0.5, 0, "-0.5"},
        {"1 3/4", "1 3/4", 1.75, 2, "1.75"}, {"2.5", "2.5", 2.5, 2, ""},
        {"3.5", "3.5", 3.5, 4, ""},          {"0.375000", "0.375000", 0.375, 0, ""},
        {"4/2", "4/2", 2, 2, "2"},           {"-12", "-12", -12, -12, ""},
    };
    for (const Case &c : cases) {
        TCountingBox b;
        b.Type(c.Typed);
        EXPECT_EQ(b.Box.text(), c.Text) << c.Typed;
        EXPECT_DOUBLE_EQ(b.Box.GetAsdouble(), c.Asdouble) << c.Typed;
        EXPECT_EQ(b.Box.GetAsinteger(), c.Asinteger) << c.Typed;
        EXPECT_EQ(b.Box.toolTip(), c.Hint) << c.Typed;
        EXPECT_GT(b.Changes, 0) << c.Typed;
    }
}

TEST(NumEdit, EitherSeparatorBecomesTheLocalesOne)
{
    struct Case {
        QLocale::Language Language;
        QLocale::Territory Territory;
        const char *Typed;
        const char *Text;
    };
    const Case cases[] = {
        {QLocale::English, QLocale::UnitedStates, "0,5", "0.5"},
        {QLocale::English, QLocale::UnitedStates, "0.5", "0.5"},
        {QLocale::German, QLocale::Germany, "0.5", "0,5"},
        {QLocale::German, QLocale::Germany, "0,5", "0,5"},
    };
    for (const Case &c : cases) {
        TLocaleScope locale(c.Language, c.Territory);
        TCountingBox b;
        b.Type(c.Typed);
        EXPECT_EQ(b.Box.text(), c.Text) << c.Typed;
        EXPECT_DOUBLE_EQ(b.Box.GetAsdouble(), 0.5) << c.Typed;
    }
}

TEST(NumEdit, ARewrittenSeparatorRaisesOneChangeAndKeepsTheCursor)
{
    TLocaleScope us(QLocale::English, QLocale::UnitedStates);
    TCountingBox b;
    b.Box.setText("15");
    b.Changes = 0;
    b.Box.setCursorPosition(1);
    QTest::keyClick(&b.Box, Qt::Key_Comma);
    EXPECT_EQ(b.Box.text(), "1.5");
    EXPECT_EQ(b.Box.cursorPosition(), 2);
    EXPECT_EQ(b.Changes, 1);
    EXPECT_DOUBLE_EQ(b.Box.GetAsdouble(), 1.5);
}

TEST(NumEdit, TextThatIsNotANumberKeepsTheLastValueAndRaisesNothing)
{
    TLocaleScope us(QLocale::English, QLocale::UnitedStates);
    const char *bad[] = {"12a", "", "1/0", "1 x/2", "-", "3000000000", "1e3"};
    for (const char *text : bad) {
        TCountingBox b;
        b.Type("12");
        b.Changes = 0;
        b.Box.setText(text);
        EXPECT_EQ(b.Changes, 0) << text;
        EXPECT_EQ(b.Box.GetAsinteger(), 12) << text;
        EXPECT_DOUBLE_EQ(b.Box.GetAsdouble(), 12) << text;
    }
}

TEST(NumEdit, SettingAsdoubleRewritesOnlyAValueThatShowsDifferently)
{
    TLocaleScope us(QLocale::English, QLocale::UnitedStates);
    struct Case {
        const char *Text;
        double Set;
        const char *Shown;
    };
    const Case cases[] = {
        {"2.0000", 2, "2.0000"}, {"2.0000", 2.5, "2.5000"},       {"3/8", 0.375, "3/8"},
        {"3/8", 0.5, "0.5000"},  {"0.375000", 0.375, "0.375000"}, {"7", 7.00001, "7"},
        {"7", 0.4, "0.4000"},    {"1 3/4", 1.75, "1 3/4"},
    };
    for (const Case &c : cases) {
        TCountingBox b;
        b.Box.setText(c.Text);
        b.Box.SetAsdouble(c.Set);
        EXPECT_EQ(b.Box.text(), c.Shown) << c.Text << " := " << c.Set;
    }
}

TEST(NumEdit, SettingAsdoubleOnTextThatIsNotANumberFailsAndChangesNothing)
{
    TLocaleScope us(QLocale::English, QLocale::UnitedStates);
    TCountingBox b;
    b.Type("5");
    b.Box.setText("abc");
    try {
        b.Box.SetAsdouble(1.5);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(b.Box.text(), "abc");
    EXPECT_DOUBLE_EQ(b.Box.GetAsdouble(), 5);
}

TEST(NumEdit, TheHintGoesWhenTheTextIsNoLongerAFraction)
{
    TLocaleScope us(QLocale::English, QLocale::UnitedStates);
    TCountingBox b;
    b.Box.setText("3/8");
    EXPECT_EQ(b.Box.toolTip(), "0.375");
    b.Box.setText("2");
    EXPECT_EQ(b.Box.toolTip(), "");
}

TEST(NumEdit, AFreshBoxHoldsZero)
{
    TnumEdit box;
    EXPECT_EQ(box.text(), "0");
    EXPECT_EQ(box.GetAsinteger(), 0);
    EXPECT_NO_THROW(box.SetAsdouble(1.25));
    EXPECT_EQ(box.text(), "1.2500");
}
