#include "platform/gdiobjects.h"

#include <functional>
#include <gmock/gmock.h>
#include <limits>
#include <string>
#include <vector>

namespace {

// Counts the change notifications of one graphics object: each one after a change, and
// each must follow exactly one before it.
template <class T> int Notifications(T &object, const std::function<void(T &)> &change)
{
    int count = 0, before = 0;
    object.OnChanging = [&] { ++before; };
    object.OnChange = [&] {
        ++count;
        EXPECT_EQ(before, count);
    };
    change(object);
    object.OnChanging = nullptr;
    object.OnChange = nullptr;
    EXPECT_EQ(before, count);
    return count;
}

template <class T> struct SetterCase {
    std::string name;
    std::function<void(T &)> set;
};

// Each setter notifies once per call, also when it sets the value already held.
template <class T> void ExpectEverySetNotifies(const std::vector<SetterCase<T>> &cases)
{
    for (const SetterCase<T> &c : cases) {
        T object;
        EXPECT_EQ(Notifications<T>(object, c.set), 1) << c.name;
        EXPECT_EQ(Notifications<T>(object, c.set), 1) << c.name << " again";
    }
}

} // namespace

TEST(GdiObjects, EveryPropertySetNotifiesBeforeAndAfterEvenWhenUnchanged)
{
    ExpectEverySetNotifies<Tpen>({{"color", [](Tpen &p) { p.SetColor(clBlack); }},
                                  {"style", [](Tpen &p) { p.SetStyle(TPenStyle::Solid); }},
                                  {"mode", [](Tpen &p) { p.SetMode(TPenMode::Copy); }},
                                  {"width", [](Tpen &p) { p.SetWidth(1); }},
                                  {"assign", [](Tpen &p) { p.Assign(Tpen()); }}});
    ExpectEverySetNotifies<Tbrush>({{"color", [](Tbrush &b) { b.SetColor(clWhite); }},
                                    {"style", [](Tbrush &b) { b.SetStyle(TBrushStyle::Solid); }},
                                    {"assign", [](Tbrush &b) { b.Assign(Tbrush()); }}});
    ExpectEverySetNotifies<Tfont>({{"name", [](Tfont &f) { f.SetName(f.Name()); }},
                                   {"height", [](Tfont &f) { f.SetHeight(f.Height()); }},
                                   {"color", [](Tfont &f) { f.SetColor(clBlack); }},
                                   {"style", [](Tfont &f) { f.SetStyle(0); }},
                                   {"charset", [](Tfont &f) { f.SetCharset(DEFAULT_CHARSET); }},
                                   {"ppi", [](Tfont &f) { f.SetPixelsPerInch(96); }},
                                   {"size", [](Tfont &f) { f.SetSize(f.Size()); }},
                                   {"assign", [](Tfont &f) { f.Assign(Tfont()); }}});
}

TEST(GdiObjects, AssignCopiesEveryPropertyButKeepsItsOwnNotification)
{
    Tfont source;
    source.SetName(QStringLiteral("Arial"));
    source.SetHeight(-20);
    source.SetColor(clRed);
    source.SetStyle(fsBold | fsUnderline);
    source.SetCharset(0);
    source.SetPixelsPerInch(120);
    int sourceNotified = 0;
    source.OnChange = [&] { ++sourceNotified; };
    Tfont target;
    int targetNotified = 0;
    target.OnChange = [&] { ++targetNotified; };
    target.Assign(source);
    EXPECT_EQ(target.Name(), QStringLiteral("Arial"));
    EXPECT_EQ(target.Height(), -20);
    EXPECT_EQ(target.Color(), clRed);
    EXPECT_EQ(target.Style(), fsBold | fsUnderline);
    EXPECT_EQ(target.Charset(), 0);
    EXPECT_EQ(target.PixelsPerInch(), 120);
    EXPECT_EQ(targetNotified, 1);
    EXPECT_EQ(sourceNotified, 0);

    Tpen pen;
    pen.SetColor(clBlue);
    pen.SetStyle(TPenStyle::DashDot);
    pen.SetMode(TPenMode::Xor);
    pen.SetWidth(7);
    Tpen copy;
    copy.Assign(pen);
    EXPECT_EQ(copy.Color(), clBlue);
    EXPECT_EQ(copy.Style(), TPenStyle::DashDot);
    EXPECT_EQ(copy.Mode(), TPenMode::Xor);
    EXPECT_EQ(copy.Width(), 7);
}

TEST(GdiObjects, FontSizeAndHeightConvertLikeTheSystem)
{
    struct Case {
        int32_t height, ppi, size;
    };
    // 8 pt at 96 dpi is 10.67 pixels: the system rounds halves away from zero.
    const Case sizes[] = {{-11, 96, 8},  {-16, 96, 12}, {-14, 96, 11}, {16, 96, -12},
                          {-13, 120, 8}, {0, 96, 0},    {-25, 300, 6}, {-15, 72, 15}};
    for (const Case &c : sizes) {
        Tfont font;
        font.SetPixelsPerInch(c.ppi);
        font.SetHeight(c.height);
        EXPECT_EQ(font.Size(), c.size) << c.height << " at " << c.ppi;
    }
    const Case heights[] = {{-11, 96, 8},   {-16, 96, 12}, {-12, 96, 9},
                            {-17, 120, 10}, {16, 96, -12}, {-42, 300, 10}};
    for (const Case &c : heights) {
        Tfont font;
        font.SetPixelsPerInch(c.ppi);
        font.SetSize(c.size);
        EXPECT_EQ(font.Height(), c.height) << c.size << " pt at " << c.ppi;
    }
}

TEST(GdiObjects, FontSizeSurvivesDamagedResolutionAndHeight)
{
    Tfont font;
    font.SetPixelsPerInch(0);
    EXPECT_EQ(font.Size(), 1);
    font.SetPixelsPerInch(1);
    font.SetHeight(std::numeric_limits<int32_t>::min());
    EXPECT_EQ(font.Size(), 1);
    font.SetPixelsPerInch(96);
    font.SetSize(std::numeric_limits<int32_t>::max());
    EXPECT_EQ(font.Height(), 1);
}
