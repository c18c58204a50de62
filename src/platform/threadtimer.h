#pragma once
// A timer whose clock runs on a worker thread and whose tick handler runs on the
// user-interface thread, the worker waiting until the handler has returned.
//
// A period starts when the previous tick has returned; setting the interval or enabling
// restarts the current period; a handler may change or disable its own timer. Destroying the
// timer never waits for the worker: the worker ends by itself, and a tick that was already
// on its way is dropped instead of reaching a destroyed owner.
//
// The handler may also destroy its own timer: its call ends normally and no tick follows.
// The setters may be called from any thread; the timer is made and destroyed on the thread
// that runs the Qt event loop, before the application object goes.

#include <cstdint>
#include <functional>
#include <memory>

class Ttimerthread;

class Tthreadtimer {
public:
    // Creates the worker, which starts at once, disabled. Must be made on the thread that
    // runs the Qt event loop (the user-interface thread).
    Tthreadtimer();
    ~Tthreadtimer();
    Tthreadtimer(const Tthreadtimer &) = delete;
    Tthreadtimer &operator=(const Tthreadtimer &) = delete;

    bool Enabled() const;
    int32_t Interval() const;
    void SetEnabled(bool v);
    // Milliseconds from the end of one tick (or from the change) to the next; 0 or less ticks
    // as soon as the user-interface thread is free.
    void SetInterval(int32_t ms);
    // The tick handler, called on the user-interface thread with the timer as sender.
    void SetOnTimer(std::function<void(Tthreadtimer *)> handler);

private:
    // Shared with the worker thread, which keeps it alive after the timer is gone.
    std::shared_ptr<Ttimerthread> Worker;
};
