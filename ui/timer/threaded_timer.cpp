#include "ui/timer/threaded_timer.h"

#include <QMetaObject>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Nice values of the priorities. Raising a thread above normal needs a
// privilege; without it the worker simply stays at its present priority.
void ApplyPriority(TThreadPriority priority) {
    static constexpr int Nice[] = {19, 10, 5, 0, -5, -10, -15};
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), Nice[priority]);
}

} // namespace

TThreadedTimer::TThreadedTimer(QObject* owner, std::shared_ptr<TTimerClock> clock)
    : QObject(owner), clock_(clock ? std::move(clock) : std::make_shared<TSteadyTimerClock>()) {}

TThreadedTimer::~TThreadedTimer() {
    enabled_ = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        terminate_ = true;
        running_ = false;
        inFlight_ = 0;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
    // A tick still queued for this object is removed with it, unrun.
}

void TThreadedTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    const bool run = value && (Interval() > 0 || allowZero_);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (run == running_) return;
        running_ = run;
        ++epoch_;
        inFlight_ = 0; // a tick handed over before this change no longer runs
        if (run) firstDeadline_ = clock_->Now() + std::chrono::milliseconds(interval_);
    }
    if (run && !worker_.joinable()) StartWorker();
    wake_.notify_all();
}

std::uint32_t TThreadedTimer::Interval() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return interval_;
}

void TThreadedTimer::SetInterval(std::uint32_t milliseconds) {
    if (milliseconds == Interval()) return;
    const bool wasEnabled = enabled_;
    SetEnabled(false);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        interval_ = milliseconds;
    }
    SetEnabled(wasEnabled);
}

TThreadPriority TThreadedTimer::ThreadPriority() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return priority_;
}

void TThreadedTimer::SetThreadPriority(TThreadPriority priority) {
    std::lock_guard<std::mutex> lock(mutex_);
    priority_ = priority; // the worker applies it before its next wait
}

void TThreadedTimer::StartWorker() {
    worker_ = std::thread([this] { Execute(); });
}

void TThreadedTimer::Execute() {
    std::unique_lock<std::mutex> lock(mutex_);
    TThreadPriority applied = tpNormal;
    std::uint64_t epoch = 0;
    TTimerClock::time_point deadline{};
    for (;;) {
        if (priority_ != applied) ApplyPriority(applied = priority_);
        if (terminate_) return;
        if (!running_) {
            wake_.wait(lock, [this] { return terminate_ || running_; });
            continue;
        }
        if (epoch_ != epoch) {
            epoch = epoch_;
            deadline = firstDeadline_;
        }
        const auto restarted = [this, epoch] { return terminate_ || epoch_ != epoch; };
        if (clock_->WaitUntil(wake_, lock, deadline, restarted)) continue;

        const std::uint64_t tick = ++lastTick_;
        inFlight_ = tick;
        lock.unlock();
        // Queued by name, so the call carries no data of ours across the threads.
        QMetaObject::invokeMethod(this, "Timer", Qt::QueuedConnection);
        lock.lock();
        wake_.wait(lock, [&] { return restarted() || inFlight_ != tick; });
        if (restarted()) continue;

        // The next deadline on the grid; after falling a whole interval behind,
        // one tick at once and a new grid from now.
        const auto interval = std::chrono::milliseconds(interval_);
        deadline += interval;
        const auto now = clock_->Now();
        if (now - deadline >= interval) deadline = now;
    }
}

void TThreadedTimer::Timer() {
    std::uint64_t tick = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tick = inFlight_;
        if (tick == 0) return; // dropped by a stop or a restart
    }
    if (enabled_ && OnTimer) {
        try {
            OnTimer(this);
        } catch (...) {
            // The handler's failure does not stop the clock.
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (inFlight_ != tick) return; // the handler stopped or restarted the timer
        inFlight_ = 0;
    }
    wake_.notify_all();
}
