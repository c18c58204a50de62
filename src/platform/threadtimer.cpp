#include "platform/threadtimer.h"

#include "platform/scopedvalue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

// The state a timer shares with its worker thread, and the worker's loop.
// The worker holds the state until it has seen the end, so the timer never waits for it.
//
// Ticks travel as posted events to a receiver that lives on the user-interface thread. The
// worker posts only while it holds PostLock and the receiver is still there; the owner's
// destructor takes the receiver away under the same lock and deletes it, which makes Qt delete
// a tick still queued for it. A tick event, delivered or deleted undelivered, ends the
// worker's wait for it when it goes. Once the receiver is gone the worker touches nothing but
// this state, so it may outlive the application object.
class Ttimerthread : public std::enable_shared_from_this<Ttimerthread> {
public:
    explicit Ttimerthread(Tthreadtimer *owner) : Owner(owner) {}

    // Makes the receiver on the calling thread and starts the worker.
    void Start();
    // Ends the worker and drops any tick on its way. Called on the receiver's thread.
    void Terminate();
    // Signals the wake-up event: the worker's current wait ends and the loop starts again.
    void Signal();
    void SetHandler(std::function<void(Tthreadtimer *)> handler);

    // The tick, on the receiver's thread: calls the handler unless the timer has ended.
    void Tick();
    // A tick event has gone, delivered or not.
    void TickFinished();
    // The receiver is being destroyed, by Terminate or with the application object.
    void ReceiverGone(QObject *receiver);

    std::atomic<bool> Enabled{false};
    std::atomic<int32_t> Interval{0};

private:
    void Run();
    // Posts a tick unless the timer has ended; false when it has.
    bool PostTick();

    Tthreadtimer *const Owner;
    std::atomic<bool> Terminated{false};

    // The wake-up event (auto-reset: one wait consumes one signal) and the end of a posted tick.
    std::mutex Lock;
    std::condition_variable Changed;
    bool Signalled = false;
    bool TickDone = false;

    // What a tick needs: the receiver and the handler. Held while posting, never while waiting.
    std::mutex PostLock;
    QObject *Receiver = nullptr;
    std::function<void(Tthreadtimer *)> OnTimer;

    // Only on the receiver's thread: a handler is running.
    bool InTick = false;
};

namespace {

QEvent::Type TickEventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// The application object when the calling thread is its thread, else none.
QObject *ApplicationOnThisThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return app && app->thread() == QThread::currentThread() ? app : nullptr;
}

// One tick on its way to the user-interface thread. However it goes, delivered or deleted
// with its receiver, it tells the worker that the tick is over.
class TTickEvent : public QEvent {
public:
    explicit TTickEvent(std::shared_ptr<Ttimerthread> timer)
        : QEvent(TickEventType()), Timer(std::move(timer))
    {
    }
    ~TTickEvent() override { Timer->TickFinished(); }

    const std::shared_ptr<Ttimerthread> Timer;
};

// Receives a timer's ticks on the thread that made the timer. A child of the application
// object when made on its thread, so that it goes with it if the timer outlives it.
class TTickReceiver : public QObject {
public:
    explicit TTickReceiver(std::shared_ptr<Ttimerthread> timer)
        : QObject(ApplicationOnThisThread()), Timer(std::move(timer))
    {
    }
    ~TTickReceiver() override { Timer->ReceiverGone(this); }

    // Base
    bool event(QEvent *e) override
    {
        if (e->type() != TickEventType())
            return QObject::event(e);
        static_cast<TTickEvent *>(e)->Timer->Tick();
        return true;
    }

private:
    const std::shared_ptr<Ttimerthread> Timer;
};

} // namespace

void Ttimerthread::Start()
{
    auto receiver = std::make_unique<TTickReceiver>(shared_from_this());
    std::thread([self = shared_from_this()] { self->Run(); }).detach();
    std::lock_guard post(PostLock);
    Receiver = receiver.release(); // deleted by Terminate or with the application object
}

void Ttimerthread::Terminate()
{
    QObject *receiver = nullptr;
    {
        std::lock_guard post(PostLock);
        Terminated = true;
        receiver = std::exchange(Receiver, nullptr);
    }
    Signal();
    if (!receiver)
        return;
    // Inside a tick the receiver is still delivering it, so it goes once the tick has returned.
    if (InTick)
        receiver->deleteLater();
    else
        delete receiver;
}

void Ttimerthread::Signal()
{
    {
        std::lock_guard lock(Lock);
        Signalled = true;
    }
    Changed.notify_all();
}

void Ttimerthread::SetHandler(std::function<void(Tthreadtimer *)> handler)
{
    {
        std::lock_guard post(PostLock);
        std::swap(OnTimer, handler);
    }
    // The old handler goes here, outside the lock: its captures may own anything.
}

void Ttimerthread::Tick()
{
    std::function<void(Tthreadtimer *)> handler;
    {
        // Also orders this thread after the worker's post for race checkers, which do not see
        // the lock of Qt's event queue.
        std::lock_guard post(PostLock);
        if (Terminated)
            return;
        handler = OnTimer; // a copy: the handler may replace itself or destroy the timer
    }
    if (!handler)
        return;
    const TScopedValue<bool> scope(InTick, true);
    handler(Owner);
}

void Ttimerthread::TickFinished()
{
    {
        std::lock_guard lock(Lock);
        TickDone = true;
    }
    Changed.notify_all();
}

void Ttimerthread::ReceiverGone(QObject *receiver)
{
    {
        std::lock_guard post(PostLock);
        if (Receiver != receiver)
            return;
        Receiver = nullptr;
        Terminated = true;
    }
    Signal();
}

bool Ttimerthread::PostTick()
{
    std::lock_guard post(PostLock);
    if (Terminated || !Receiver)
        return false;
    // Qt owns the event from here; it deletes it after delivery or with the receiver.
    QCoreApplication::postEvent(Receiver, new TTickEvent(shared_from_this()));
    return true;
}

void Ttimerthread::Run()
{
    using clock = std::chrono::steady_clock;
    const auto signalledOrEnded = [this] { return Signalled || Terminated; };

    std::unique_lock lock(Lock);
    while (!Terminated) {
        if (!Enabled) {
            Changed.wait(lock, signalledOrEnded);
            Signalled = false;
            continue; // disabled still, or enabled now: the loop decides again
        }
        const auto deadline = clock::now() + std::chrono::milliseconds(std::max<int32_t>(0, Interval));
        if (Changed.wait_until(lock, deadline, signalledOrEnded)) {
            // A change instead of a time-out: no tick; the period starts again with the new settings.
            Signalled = false;
            continue;
        }
        TickDone = false;
        lock.unlock();
        const bool posted = PostTick();
        lock.lock();
        if (!posted)
            break;
        // The next period starts when the handler has returned.
        Changed.wait(lock, [this] { return TickDone || Terminated; });
    }
}

Tthreadtimer::Tthreadtimer() : Worker(std::make_shared<Ttimerthread>(this))
{
    Worker->Start();
}

Tthreadtimer::~Tthreadtimer()
{
    Worker->Terminate();
}

bool Tthreadtimer::Enabled() const
{
    return Worker->Enabled;
}

int32_t Tthreadtimer::Interval() const
{
    return Worker->Interval;
}

void Tthreadtimer::SetEnabled(bool v)
{
    Worker->Enabled = v;
    Worker->Signal();
}

void Tthreadtimer::SetInterval(int32_t ms)
{
    Worker->Interval = ms;
    Worker->Signal();
}

void Tthreadtimer::SetOnTimer(std::function<void(Tthreadtimer *)> handler)
{
    Worker->SetHandler(std::move(handler));
}
