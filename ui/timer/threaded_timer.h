// A timer whose ticks are timed by a worker thread of its own instead of the
// window system's timer events, and run on the thread the timer lives in (the
// window thread). The worker waits for each deadline, hands the tick over with
// a call queued to the timer, and waits until the tick has run
// (or the timer was disabled or destroyed) before it waits for the next one, so
// ticks never overlap or pile up.
//
// Deadlines lie on a grid: each one is an interval after the one before, not
// after the end of the previous tick, so a handler's run time does not stretch
// the period (the emulation keeps pace with the sound output). A tick that
// comes due while the one before is still running follows at once; when the
// worker has fallen a whole interval or more behind (the window thread was busy
// for a while), it gives one tick at once and starts a new grid from there
// instead of catching up with a burst of ticks.
//
// Every operation except the worker's own belongs to the timer's thread.
// Disabling never waits for the worker, and neither does a tick's handler; only
// the destructor joins it, which cannot deadlock because the worker never waits
// for the window thread without also watching for the stop request.
#pragma once

#include "ui/timer/timer_clock.h"

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThreadedTimer : public QObject {
    Q_OBJECT

  public:
    // The handler's argument is the timer (the sender).
    using TTimerEvent = std::function<void(QObject* Sender)>;

    // `clock` null: the steady clock.
    explicit TThreadedTimer(QObject* owner = nullptr, std::shared_ptr<TTimerClock> clock = nullptr);
    // Stops and joins the worker; a tick handed over and not yet run is dropped.
    ~TThreadedTimer() override;
    TThreadedTimer(const TThreadedTimer&) = delete;
    TThreadedTimer& operator=(const TThreadedTimer&) = delete;

    // Whether an interval of 0 ticks (back to back); read when the timer is enabled.
    bool AllowZero() const { return allowZero_; }
    void SetAllowZero(bool value) { allowZero_ = value; }

    // Ticks flow while enabled with an interval above 0 (or 0 with AllowZero);
    // the first comes one full interval after enabling.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);

    // Milliseconds between ticks, 1000 after construction. A change while
    // enabled starts the interval again.
    std::uint32_t Interval() const;
    void SetInterval(std::uint32_t milliseconds);

    // Scheduling priority of the worker, applied as far as the system allows.
    TThreadPriority ThreadPriority() const;
    void SetThreadPriority(TThreadPriority priority);

    // Runs on the timer's thread for every tick while enabled. An exception it
    // raises is dropped and the timer keeps ticking. It may disable, re-enable
    // or change the timer.
    TTimerEvent OnTimer;

  private:
    void StartWorker();
    void Execute();
    // Runs the tick in flight, if any (a call queued before a stop finds none).
    Q_INVOKABLE void Timer();

    std::shared_ptr<TTimerClock> clock_;
    bool enabled_ = false;   // the timer's thread only
    bool allowZero_ = false; // the timer's thread only
    std::thread worker_;

    // Shared with the worker, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::uint32_t interval_ = 1000;
    TThreadPriority priority_ = tpNormal;
    bool running_ = false;   // the worker times ticks
    bool terminate_ = false; // the worker ends
    // Counts starts and stops; the worker begins a new grid at `firstDeadline_`
    // when it changes, and forgets a tick it was waiting for.
    std::uint64_t epoch_ = 0;
    TTimerClock::time_point firstDeadline_{};
    std::uint64_t lastTick_ = 0; // number of the tick handed over last
    std::uint64_t inFlight_ = 0; // number of the tick handed over and not yet run; 0 = none
};
