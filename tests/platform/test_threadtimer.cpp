#include "platform/threadtimer.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <gmock/gmock.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

namespace {

// Waits on a steady clock cannot end early; this only covers the clock's granularity.
constexpr Millis Tolerance = 2ms;
// Long enough for a tick to arrive on a loaded machine running sanitizers.
constexpr Millis Generous = 3000ms;
// How long a test watches for a tick that must not come.
constexpr Millis Quiet = 150ms;

// Runs the event loop until done() holds or the time is up; true if done() held.
template <typename Done> bool SpinUntil(Done done, Millis limit = Generous)
{
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

void SpinFor(Millis duration)
{
    SpinUntil([] { return false; }, duration);
}

Millis Since(Clock::time_point t)
{
    return std::chrono::duration_cast<Millis>(Clock::now() - t);
}

// Counts the ticks and keeps a token in the handler, which expires once the timer's shared
// state is freed (by the timer and its worker both).
struct TTickCounter {
    int Ticks = 0;
    std::weak_ptr<int> Token;

    void Attach(Tthreadtimer &timer, std::function<void(Tthreadtimer *)> extra = {})
    {
        auto token = std::make_shared<int>(0);
        Token = token;
        timer.SetOnTimer([this, token, extra](Tthreadtimer *sender) {
            ++Ticks;
            if (extra)
                extra(sender);
        });
    }
};

} // namespace

TEST(ThreadTimer, StartsDisabledAndNeverTicksBeforeEnabling)
{
    TTickCounter counter;
    Tthreadtimer timer;
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 0);
    counter.Attach(timer);
    timer.SetInterval(30);
    SpinFor(Quiet);
    EXPECT_EQ(counter.Ticks, 0);
}

TEST(ThreadTimer, FirstTickComesOneIntervalAfterEnabling)
{
    constexpr Millis interval = 60ms;
    Tthreadtimer timer;
    timer.SetInterval(interval.count());
    Tthreadtimer *sender = nullptr;
    Clock::time_point tickedAt;
    timer.SetOnTimer([&](Tthreadtimer *t) {
        sender = t;
        tickedAt = Clock::now();
        t->SetEnabled(false);
    });
    const auto enabledAt = Clock::now();
    timer.SetEnabled(true);
    ASSERT_TRUE(SpinUntil([&] { return sender != nullptr; }));
    EXPECT_EQ(sender, &timer);
    EXPECT_GE(tickedAt - enabledAt, interval - Tolerance);
}

TEST(ThreadTimer, ChangingIntervalOrEnablingAgainRestartsThePeriod)
{
    struct Case {
        const char *Name;
        bool NewInterval; // SetInterval(After) at the change, else SetEnabled(true)
        Millis After;     // the period that runs from the change
    };
    constexpr Millis before = 60ms;
    constexpr Millis changeAt = 30ms;
    const Case cases[] = {
        {"longer interval", true, 100ms},
        {"shorter interval", true, 45ms},
        {"enabled again", false, before},
    };
    for (const Case &c : cases) {
        Tthreadtimer timer;
        std::vector<Clock::time_point> ticks;
        timer.SetOnTimer([&](Tthreadtimer *t) {
            ticks.push_back(Clock::now());
            t->SetEnabled(false);
        });
        timer.SetInterval(before.count());
        const auto enabledAt = Clock::now();
        timer.SetEnabled(true);
        std::this_thread::sleep_for(changeAt);
        const auto changedAt = Clock::now();
        if (changedAt - enabledAt > before - 10ms)
            GTEST_SKIP() << "the machine is too slow to change the timer within its first period";
        if (c.NewInterval)
            timer.SetInterval(c.After.count());
        else
            timer.SetEnabled(true);
        ASSERT_TRUE(SpinUntil([&] { return !ticks.empty(); })) << c.Name;
        SpinFor(20ms);
        ASSERT_EQ(ticks.size(), 1u) << c.Name;
        // Both changes put the tick past the end of the first period.
        EXPECT_GE(ticks[0] - changedAt, c.After - Tolerance) << c.Name;
        EXPECT_GE(ticks[0] - enabledAt, changeAt + c.After - Tolerance) << c.Name;
    }
}

TEST(ThreadTimer, HandlerThatDisablesItsTimerGetsOneTickPerEnabling)
{
    TTickCounter counter;
    Tthreadtimer timer;
    timer.SetInterval(20);
    counter.Attach(timer, [](Tthreadtimer *t) { t->SetEnabled(false); });
    for (int enabling = 1; enabling <= 2; ++enabling) {
        timer.SetEnabled(true);
        ASSERT_TRUE(SpinUntil([&] { return counter.Ticks == enabling; }));
        SpinFor(100ms);
        EXPECT_EQ(counter.Ticks, enabling);
        EXPECT_FALSE(timer.Enabled());
    }
}

TEST(ThreadTimer, HandlerRunsOnTheUserInterfaceThreadOneTickAtATime)
{
    constexpr Millis interval = 20ms;
    constexpr Millis handlerTime = 80ms;
    Tthreadtimer timer;
    timer.SetInterval(interval.count());
    bool inHandler = false;
    bool reentered = false;
    bool onOtherThread = false;
    std::vector<std::pair<Clock::time_point, Clock::time_point>> ticks; // start, end
    timer.SetOnTimer([&](Tthreadtimer *) {
        onOtherThread |= QThread::currentThread() != qApp->thread();
        if (inHandler) {
            reentered = true;
            return;
        }
        inHandler = true;
        const auto start = Clock::now();
        // Keeps the event loop running, so a second tick posted now would be delivered here.
        SpinFor(handlerTime);
        ticks.emplace_back(start, Clock::now());
        inHandler = false;
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(SpinUntil([&] { return ticks.size() >= 3; }));
    timer.SetEnabled(false);
    EXPECT_FALSE(reentered);
    EXPECT_FALSE(onOtherThread);
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i].first - ticks[i - 1].second, interval - Tolerance) << "tick " << i;
}

TEST(ThreadTimer, HandlerMayChangeTheIntervalOfTheNextPeriod)
{
    constexpr Millis first = 20ms;
    constexpr Millis second = 80ms;
    Tthreadtimer timer;
    timer.SetInterval(first.count());
    std::vector<Clock::time_point> ticks;
    timer.SetOnTimer([&](Tthreadtimer *t) {
        ticks.push_back(Clock::now());
        if (ticks.size() == 1)
            t->SetInterval(second.count());
        else
            t->SetEnabled(false);
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(SpinUntil([&] { return ticks.size() == 2; }));
    EXPECT_GE(ticks[1] - ticks[0], second - Tolerance);
    EXPECT_EQ(timer.Interval(), second.count());
}

TEST(ThreadTimer, HandlerMayReplaceItselfWhileRunning)
{
    Tthreadtimer timer;
    timer.SetInterval(10);
    std::string seen;
    auto text = std::make_shared<std::string>("first handler");
    timer.SetOnTimer([&seen, text](Tthreadtimer *t) {
        t->SetOnTimer([&seen](Tthreadtimer *t2) {
            seen += " | second";
            t2->SetEnabled(false);
        });
        seen += *text; // the running handler's captures are still alive
    });
    text.reset();
    timer.SetEnabled(true);
    ASSERT_TRUE(SpinUntil([&] { return !timer.Enabled(); }));
    EXPECT_EQ(seen, "first handler | second");
}

TEST(ThreadTimer, DestroyingAWaitingTimerEndsPromptlyWithoutAnotherTick)
{
    struct Case {
        const char *Name;
        bool Enabled;
        int32_t Interval;
    };
    const Case cases[] = {
        {"waiting without limit", false, 30},
        {"waiting for its period", true, 50},
        {"waiting for a long period", true, 60'000},
    };
    for (const Case &c : cases) {
        TTickCounter counter;
        auto timer = std::make_unique<Tthreadtimer>();
        counter.Attach(*timer);
        timer->SetInterval(c.Interval);
        timer->SetEnabled(c.Enabled);
        const auto start = Clock::now();
        timer.reset();
        EXPECT_LT(Since(start), 500ms) << c.Name;
        // The worker ends by itself and frees what the timer shared with it.
        EXPECT_TRUE(SpinUntil([&] { return counter.Token.expired(); })) << c.Name;
        SpinFor(Quiet);
        EXPECT_EQ(counter.Ticks, 0) << c.Name;
    }
}

TEST(ThreadTimer, DestroyingATimerWithItsTickQueuedDeliversNothing)
{
    TTickCounter counter;
    auto timer = std::make_unique<Tthreadtimer>();
    counter.Attach(*timer);
    timer->SetInterval(1);
    timer->SetEnabled(true);
    // The user-interface thread is busy while the worker posts the tick.
    std::this_thread::sleep_for(50ms);
    timer.reset();
    SpinFor(Quiet);
    EXPECT_EQ(counter.Ticks, 0);
    EXPECT_TRUE(SpinUntil([&] { return counter.Token.expired(); }));
}

TEST(ThreadTimer, HandlerMayDestroyItsOwnTimer)
{
    TTickCounter counter;
    auto timer = std::make_unique<Tthreadtimer>();
    bool senderWasTimer = false;
    counter.Attach(*timer, [&](Tthreadtimer *t) {
        senderWasTimer = t == timer.get();
        timer.reset();
    });
    timer->SetInterval(10);
    timer->SetEnabled(true);
    ASSERT_TRUE(SpinUntil([&] { return counter.Ticks > 0; }));
    EXPECT_TRUE(senderWasTimer);
    EXPECT_TRUE(SpinUntil([&] { return counter.Token.expired(); }));
    SpinFor(Quiet);
    EXPECT_EQ(counter.Ticks, 1);
}

TEST(ThreadTimer, SettersFromAnotherThreadReachTheWorker)
{
    TTickCounter counter;
    Tthreadtimer timer;
    counter.Attach(timer, [](Tthreadtimer *t) { t->SetEnabled(false); });
    std::thread other([&] {
        timer.SetInterval(20);
        timer.SetEnabled(true);
    });
    other.join();
    ASSERT_TRUE(SpinUntil([&] { return counter.Ticks == 1; }));
    EXPECT_EQ(timer.Interval(), 20);
}
