#include "widgets/flexdlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

constexpr int WatchdogMs = 10000;

// Runs action on the message dialog as soon as it shows, from inside the loop that shows it. A
// dialog the action leaves open is closed after ten seconds, and the test fails.
void WhenShown(std::function<void(Tvnlflexdlg &)> action)
{
    auto *poll = new QTimer; // deletes itself
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<Tvnlflexdlg *>(w);
            if (!dialog || !dialog->isVisible())
                continue;
            poll->stop();
            poll->deleteLater();
            QPointer<Tvnlflexdlg> guarded(dialog);
            QTimer::singleShot(WatchdogMs, [guarded] {
                if (guarded && guarded->isVisible()) {
                    ADD_FAILURE() << "the dialog was left open";
                    guarded->done(-999);
                }
            });
            action(*dialog);
            return;
        }
    });
    poll->start();
}

QPushButton *ButtonOf(const Tvnlflexdlg &dialog, const QString &key)
{
    for (const auto &item : dialog.GetCaptionList())
        if (item.Key == key)
            return item.Button;
    ADD_FAILURE() << "no button " << key.toStdString();
    return nullptr;
}

int Show(const QString &buttons, int icon = fiQuestion, const QString &message = QStringLiteral("Message"),
         const QString &buttonIcons = QString(), bool modal = true, int timeout = -1)
{
    return Tvnlflexdlg::ShowFlexDlg(QStringLiteral("Title"), message, buttons, buttonIcons, icon, modal,
                                    timeout);
}

struct TButtonSeen {
    QString Caption;
    int Result;
    bool Default;
    bool Cancel;
    friend bool operator==(const TButtonSeen &, const TButtonSeen &) = default;
    friend void PrintTo(const TButtonSeen &b, std::ostream *os)
    {
        *os << '"' << b.Caption.toStdString() << "\" " << b.Result << (b.Default ? " default" : "")
            << (b.Cancel ? " cancel" : "");
    }
};

std::vector<TButtonSeen> Seen(const std::vector<TFlexButton> &buttons)
{
    std::vector<TButtonSeen> seen;
    for (const TFlexButton &b : buttons)
        seen.push_back({b.Caption, b.Result, b.Default, b.Cancel});
    return seen;
}

} // namespace

TEST(FlexDlgGrammar, ItemsSplitLikeACommaText)
{
    const std::pair<const char *, std::vector<const char *>> cases[] = {
        {"Yes=mryes,No=mrno", {"Yes=mryes", "No=mrno"}},
        {"Ok=mrok,Don't Show Again=mrabort", {"Ok=mrok", "Don't", "Show", "Again=mrabort"}},
        {"\"Ok=mrok\",\"Don't Show Again=mrabort\"", {"Ok=mrok", "Don't Show Again=mrabort"}},
        {"Ok=mrok,", {"Ok=mrok", ""}},
        {"Ok=mrok, ", {"Ok=mrok"}},
        {" \t\r\nOk ,  No", {"Ok", "No"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"unterminated, still", {"unterminated, still"}},
        {"\"a\"b,c", {"a", "b", "c"}},
        {",,", {"", "", ""}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto &[text, expected] : cases) {
        QStringList wanted;
        for (const char *item : expected)
            wanted.push_back(QString::fromUtf8(item));
        EXPECT_EQ(SplitFlexItems(QString::fromUtf8(text)), wanted) << text;
    }
}

TEST(FlexDlgGrammar, ButtonsTakeTheirResultsByCaption)
{
    using B = TButtonSeen;
    const QString dontShow = QStringLiteral("Don't Show Again");
    const std::pair<const char *, std::vector<B>> cases[] = {
        {"Yes=mryes,No=mrno", {{"Yes", 6, false, false}, {"No", 7, false, false}}},
        {"YES=MRYES,NO=MRNO", {{"YES", 6, false, false}, {"NO", 7, false, false}}},
        {"Ok", {{"Ok", 1, false, false}}},
        {"Ok=mrok,Don't Show Again=mrabort",
         {{"Ok", 1, false, false},
          {"Don't", 1, false, false},
          {"Show", 1, false, false},
          {"Again", 3, false, false}}},
        {"\"Ok=mrok\",\"Don't Show Again=mrabort\"", {{"Ok", 1, false, false}, {dontShow, 3, false, false}}},
        {"Close=*mrcancel", {{"Close", 2, true, true}}},
        {"Later=42,Later2=soon", {{"Later", 42, false, false}, {"Later2", 1, false, false}}},
        {"A=mryes,A=mrno", {{"A", 6, false, false}, {"A", 6, false, false}}},
        {"Ok=mrok,", {{"Ok", 1, false, false}, {"", 1, false, false}}},
        {"Retry=idretry,Skip=-3,Huge=99999999999,All=MrAll",
         {{"Retry", 4, false, false},
          {"Skip", -3, false, false},
          {"Huge", 1, false, false},
          {"All", 8, false, false}}},
        {"Ok,ok=mrcancel", {{"Ok", 2, false, true}, {"ok", 2, false, true}}},
        {"Twice=**mryes,Empty=", {{"Twice", 1, true, false}, {"Empty", 1, false, false}}},
        {"Wait=mrnone", {{"Wait", 0, false, false}}},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_THAT(Seen(ParseFlexButtons(QString::fromUtf8(text))), ElementsAreArray(expected)) << text;
}

TEST(FlexDlgGrammar, NamesIgnoreCase)
{
    EXPECT_EQ(FlexResultByName(QStringLiteral("IDNO")), 7);
    EXPECT_EQ(FlexResultByName(QStringLiteral("mrAll")), 8);
    EXPECT_EQ(FlexResultByName(QStringLiteral("mr")), std::nullopt);
    EXPECT_EQ(FlexImageByName(QStringLiteral("COMMENT")), 0);
    EXPECT_EQ(FlexImageByName(QStringLiteral("check")), 3);
    EXPECT_EQ(FlexImageByName(QStringLiteral("CancelGray")), 24);
    EXPECT_EQ(FlexImageByName(QStringLiteral("TRASHCAN")), std::nullopt);
}

TEST(FlexDlgGrammar, PadCentreGivesShortCaptionsACommonWidth)
{
    const std::tuple<const char *, int, const char *> cases[] = {
        {"Ok", 10, "MMMMOkMMMM"},         {"Yes", 10, "MMMYesMMM"},
        {"", 10, "MMMMMMMMMM"},           {"abcdefghi", 10, "abcdefghi"},
        {"abcdefghij", 10, "abcdefghij"}, {"Don't Show Again", 10, "Don't Show Again"},
    };
    for (const auto &[text, width, expected] : cases)
        EXPECT_EQ(PadCentre(QString::fromLatin1(text), width, QLatin1Char('M')),
                  QString::fromLatin1(expected))
            << text;
}

TEST(FlexDlg, ThePressedButtonsResultIsReturned)
{
    WhenShown([](Tvnlflexdlg &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Title"));
        EXPECT_EQ(d.GetMessageText(), QStringLiteral("Make backups?\nAll of them"));
        EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_TRUE(d.isModal());
        ASSERT_EQ(d.GetCaptionList().size(), 2u);
        ButtonOf(d, QStringLiteral("No"))->click();
    });
    EXPECT_EQ(
        Show(QStringLiteral("Yes=mryes,No=mrno"), fiQuestion, QStringLiteral("Make backups?\r\nAll of them")),
        mrNo);
}

TEST(FlexDlg, EscapePressesTheCancelButtonAndEnterTheDefault)
{
    WhenShown([](Tvnlflexdlg &d) {
        EXPECT_EQ(d.focusWidget(), ButtonOf(d, QStringLiteral("Close")));
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(Show(QStringLiteral("Ok=mrok,Close=*mrcancel")), mrCancel);

    WhenShown([](Tvnlflexdlg &d) {
        EXPECT_EQ(d.focusWidget(), ButtonOf(d, QStringLiteral("Go")));
        QTest::keyClick(&d, Qt::Key_Return);
    });
    EXPECT_EQ(Show(QStringLiteral("Ok=mrok,First=*5,Go=*42")), 42)
        << "the last default button keeps the focus";

    WhenShown([](Tvnlflexdlg &d) {
        EXPECT_EQ(d.focusWidget(), ButtonOf(d, QStringLiteral("Ok"))) << "the first button without defaults";
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_TRUE(d.isVisible()) << "no cancel button, so Escape does nothing";
        ButtonOf(d, QStringLiteral("Later"))->click();
    });
    EXPECT_EQ(Show(QStringLiteral("Ok=mrok,Later=7")), 7);
}

TEST(FlexDlg, AButtonWithoutAResultDoesNotClose)
{
    WhenShown([](Tvnlflexdlg &d) {
        ButtonOf(d, QStringLiteral("Wait"))->click();
        EXPECT_TRUE(d.isVisible());
        ButtonOf(d, QString())->click();
    });
    EXPECT_EQ(Show(QStringLiteral("Wait=mrnone,")), mrOk) << "the trailing comma's empty button returns 1";
}

TEST(FlexDlg, IconSelectorsShowTheStandardIcons)
{
    const std::pair<int, QStyle::StandardPixmap> cases[] = {
        {fiWarning, QStyle::SP_MessageBoxWarning},
        {fiError, QStyle::SP_MessageBoxCritical},
        {fiInformation, QStyle::SP_MessageBoxInformation},
        {fiQuestion, QStyle::SP_MessageBoxQuestion},
    };
    for (const auto &[icon, standard] : cases) {
        WhenShown([standard = standard](Tvnlflexdlg &d) {
            EXPECT_TRUE(d.pnl_icon->isVisible());
            EXPECT_EQ(d.img_icon->geometry(), QRect(16, 16, 32, 32));
            const QImage shown = d.img_icon->pixmap().toImage();
            EXPECT_EQ(shown, d.style()->standardIcon(standard, nullptr, &d).pixmap(32, 32).toImage());
            d.done(mrOk);
        });
        Show(QStringLiteral("Ok"), icon);
    }
    WhenShown([](Tvnlflexdlg &d) {
        EXPECT_FALSE(d.pnl_icon->isVisible());
        EXPECT_EQ(d.Memo1->mapTo(&d, QPoint(0, 0)), QPoint(6, 6)) << "the message takes the whole width";
        d.done(mrOk);
    });
    Show(QStringLiteral("Ok"), fiNone);
    WhenShown([](Tvnlflexdlg &d) {
        EXPECT_TRUE(d.pnl_icon->isVisible());
        EXPECT_TRUE(d.img_icon->pixmap().isNull()) << "the dialog's own icon list holds no pictures";
        d.done(mrOk);
    });
    Show(QStringLiteral("Ok"), 0);
}

TEST(FlexDlg, ButtonsAreMeasuredCentredAndDoNotOverlap)
{
    WhenShown([](Tvnlflexdlg &d) {
        const QFontMetrics metrics(d.font());
        const auto &buttons = d.GetCaptionList();
        ASSERT_EQ(buttons.size(), 3u);
        EXPECT_EQ(buttons[0].Button->width(), metrics.horizontalAdvance(QStringLiteral("MMMMOkMMMM")) +
                                                  metrics.horizontalAdvance(QStringLiteral("MM")));
        EXPECT_EQ(buttons[1].Button->width(), metrics.horizontalAdvance(QStringLiteral("MMMYesMMM")) +
                                                  metrics.horizontalAdvance(QStringLiteral("MM")));
        for (size_t i = 1; i < buttons.size(); ++i)
            EXPECT_GE(buttons[i].Button->x(), buttons[i - 1].Button->geometry().right() + 1 + d.btnspacing);
        for (const auto &item : buttons) {
            const QRect inWindow(item.Button->mapTo(&d, QPoint(0, 0)), item.Button->size());
            EXPECT_TRUE(d.rect().contains(inWindow)) << item.Key.toStdString();
            EXPECT_EQ(item.Button->height(), 25);
        }
        EXPECT_GE(d.width(), 366);
        EXPECT_GE(d.height(), 128);
        d.done(mrOk);
    });
    Show(QStringLiteral("Ok,Yes,\"Don't Show Again\""));
}

TEST(FlexDlg, LongMessagesGrowTheWindowWithinTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QStringList twelve;
    for (int i = 0; i < 12; ++i)
        twelve.push_back(QStringLiteral("Line %1").arg(i));
    WhenShown([](Tvnlflexdlg &d) {
        EXPECT_GT(d.height(), 128);
        EXPECT_FALSE(d.Memo1->verticalScrollBar()->isVisible()) << "twelve lines fit";
        d.done(mrOk);
    });
    Show(QStringLiteral("Ok"), fiError, twelve.join(QStringLiteral("\r\n")));

    QStringList many;
    for (int i = 0; i < 200; ++i)
        many.push_back(QStringLiteral("Line %1").arg(i));
    WhenShown([screen](Tvnlflexdlg &d) {
        EXPECT_LE(d.height(), screen.height() - screen.height() / 4);
        EXPECT_TRUE(d.Memo1->verticalScrollBar()->isVisible()) << "the rest scrolls";
        d.done(mrOk);
    });
    Show(QStringLiteral("Ok"), fiError, many.join(QStringLiteral("\r\n")));

    WhenShown([screen](Tvnlflexdlg &d) {
        const int wide = QFontMetrics(d.font()).horizontalAdvance(QString(300, QLatin1Char('W')));
        EXPECT_EQ(d.width(), std::min(int(screen.width() * 0.9), 366 + int(wide * 1.2) - (366 - 57 - 12)));
        d.done(mrOk);
    });
    Show(QStringLiteral("Ok"), fiError, QString(300, QLatin1Char('W')));
}

TEST(FlexDlg, AButtonRowWiderThanTheScreenScrolls)
{
    QStringList items;
    for (int i = 0; i < 30; ++i)
        items.push_back(QStringLiteral("Choice%1=%1").arg(i));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    WhenShown([screen](Tvnlflexdlg &d) {
        EXPECT_EQ(d.width(), int(screen.width() * 0.9));
        EXPECT_TRUE(d.ScrollBox1->horizontalScrollBar()->isVisible());
        EXPECT_EQ(d.Panel1->pos(), QPoint(0, 0)) << "the row loses its border";
        const QPushButton *last = d.GetCaptionList().back().Button;
        EXPECT_LE(last->geometry().right(), d.Panel1->width()) << "every button can be scrolled to";
        EXPECT_GE(d.GetCaptionList().front().Button->x(), 0);
        ButtonOf(d, QStringLiteral("Choice29"))->click();
    });
    EXPECT_EQ(Show(items.join(QLatin1Char(','))), 29);
}

TEST(FlexDlg, ButtonImagesComeFromNamesNumbersOrFiles)
{
    QTemporaryDir dir;
    const QString picture = dir.path() + QStringLiteral("/glyph.png");
    QImage glyph(20, 12, QImage::Format_ARGB32);
    glyph.fill(Qt::red);
    ASSERT_TRUE(glyph.save(picture));
    const QString missing = dir.path() + QStringLiteral("/missing.bmp");
    WhenShown([picture, missing](Tvnlflexdlg &d) {
        const QFontMetrics metrics(d.font());
        const auto &buttons = d.GetCaptionList();
        ASSERT_EQ(buttons.size(), 4u);
        EXPECT_EQ(buttons[0].Button->iconSize(), QSize(16, 16)) << "by position, a named image";
        EXPECT_EQ(buttons[1].Button->iconSize(), QSize(20, 12)) << "by caption, a file";
        EXPECT_EQ(buttons[1].Button->width(), metrics.horizontalAdvance(QStringLiteral("MMMMNoMMMM")) +
                                                  metrics.horizontalAdvance(QStringLiteral("MM")) + 20);
        EXPECT_EQ(buttons[2].Button->iconSize(), QSize(16, 16)) << "a missing file leaves a blank image";
        EXPECT_TRUE(buttons[3].Button->icon().isNull());
        EXPECT_EQ(d.GetMessageText(), QStringLiteral("Pick\nFlex dialog input:Cannot open file \"") +
                                          missing + QStringLiteral("\". No such file or directory"));
        d.done(mrOk);
    });
    Show(QStringLiteral("Yes=mryes,No=mrno,Maybe=5,Plain"), fiQuestion, QStringLiteral("Pick"),
         QStringLiteral("0=CHECK,no=") + picture + QStringLiteral(",2=") + missing + QStringLiteral(",Yes=") +
             picture);
}

TEST(FlexDlg, ANonModalDialogWithoutButtonsCountsDownAndTimesOut)
{
    std::vector<QString> texts;
    bool enabled = true;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<Tvnlflexdlg *>(w); d && d->isVisible()) {
                enabled = d->isEnabled();
                if (texts.empty() || texts.back() != d->GetMessageText())
                    texts.push_back(d->GetMessageText());
            }
    });
    watch.start(10);
    QElapsedTimer clock;
    clock.start();
    const int result = Show(QString(), fiInformation, QStringLiteral("Saving"), QString(), false, 1500);
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(result, mrCancel);
    EXPECT_GE(elapsed, 1500);
    EXPECT_LT(elapsed, 4000);
    EXPECT_FALSE(enabled) << "a window without buttons takes no input";
    EXPECT_THAT(texts, ElementsAre(QStringLiteral("Saving\n1"), QStringLiteral("Saving\n0")));
}

TEST(FlexDlg, ModalDialogsIgnoreTheTimeOutAndNonModalOnesReturnTheirButton)
{
    WhenShown([](Tvnlflexdlg &d) {
        QTimer::singleShot(300, &d, [&d] { ButtonOf(d, QStringLiteral("Yes"))->click(); });
    });
    EXPECT_EQ(Show(QStringLiteral("Yes=mryes"), fiQuestion, QStringLiteral("m"), QString(), true, 50), mrYes);

    WhenShown([](Tvnlflexdlg &d) {
        EXPECT_FALSE(d.isModal());
        EXPECT_EQ(d.GetMessageText(), QStringLiteral("m")) << "no countdown without a time-out";
        ButtonOf(d, QStringLiteral("No"))->click();
    });
    EXPECT_EQ(
        Show(QStringLiteral("Yes=mryes,No=mrno"), fiQuestion, QStringLiteral("m"), QString(), false, -1),
        mrNo);
}

TEST(FlexDlg, ASecondCallWhileOneShowsIsRefusedAndNothingSurvivesACall)
{
    int nested = 0;
    WhenShown([&nested](Tvnlflexdlg &d) {
        nested = Tvnlflexdlg::ShowFlexDlg(QStringLiteral("Again"), QString(), QStringLiteral("Ok"), QString(),
                                          fiNone, true, -1);
        d.done(mrOk);
    });
    EXPECT_EQ(Show(QStringLiteral("Ok")), mrOk);
    EXPECT_EQ(nested, FlexDlgBusy);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<Tvnlflexdlg *>(w), nullptr) << "the window is destroyed after each call";

    WhenShown([](Tvnlflexdlg &d) { d.close(); });
    EXPECT_EQ(Show(QStringLiteral("Ok")), mrCancel) << "closing the window counts as Cancel";
}

TEST(FlexDlg, TheHookShowsTheDialogForTheLowerLayers)
{
    SetFlexDlgHook(&Tvnlflexdlg::ShowFlexDlg);
    WhenShown([](Tvnlflexdlg &d) { ButtonOf(d, QStringLiteral("Don't Show Again"))->click(); });
    EXPECT_EQ(ShowFlexDlg(QStringLiteral("Registry error: "), QStringLiteral("x"),
                          QStringLiteral("\"Ok=mrok\",\"Don't Show Again=mrabort\""), QString(), fiError,
                          true, -1),
              mrAbort);
    SetFlexDlgHook({});
    EXPECT_EQ(ShowFlexDlg(QStringLiteral("t"), QStringLiteral("m"), QStringLiteral("Ok"), QString(), fiError,
                          true, -1),
              FlexDlgNotCreated);
}
