// The threaded timer: ticks on the timer's thread, enabling and disabling,
// interval 0, destruction with a tick handed over, changes from inside the
// handler, and deadlines on the interval grid. Timing checks run on a clock the
// test moves by hand, so they place every tick exactly.
#include "ui/timer/threaded_timer.h"

#include "fixtures/qt_app_environment.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

using namespace std::chrono_literals;
using TimePoint = TTimerClock::time_point;

::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new testing_qt::AppEnvironment<QCoreApplication>);

// Runs the event loop until `done` holds or a generous real-time limit passes.
template <class Done> bool PumpUntil(Done done, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void PumpFor(std::chrono::milliseconds span) {
    PumpUntil([] { return false; }, span);
}

// A clock that moves only when told. It keeps every deadline the worker waited
// for; the worker notices a move within a millisecond.
class ManualClock : public TTimerClock {
  public:
    static constexpr TimePoint Start = TimePoint{} + 1000s;

    TimePoint Now() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return now_;
    }
    bool WaitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, TimePoint deadline,
                   const std::function<bool()>& stop) override {
        Record(deadline);
        bool stopped = false;
        while (!(stopped = stop()) && Now() < deadline)
            wake.wait_for(lock, 1ms);
        std::lock_guard<std::mutex> guard(mutex_);
        pending_.reset();
        return stopped;
    }

    void Advance(std::chrono::milliseconds span) {
        std::lock_guard<std::mutex> lock(mutex_);
        now_ += span;
    }
    // Moves the clock to the deadline the worker is waiting for, if it is later.
    void RunToPendingDeadline() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (pending_ && *pending_ > now_) now_ = *pending_;
    }
    // The deadlines waited for, as milliseconds from Start.
    std::vector<long> Deadlines() {
        std::lock_guard<std::mutex> lock(mutex_);
        return deadlines_;
    }
    std::optional<long> PendingDeadline() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!pending_) return std::nullopt;
        return Millis(*pending_);
    }
    long NowMillis() { return Millis(Now()); }

  private:
    static long Millis(TimePoint t) {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(t - Start).count());
    }
    void Record(TimePoint deadline) {
        std::lock_guard<std::mutex> lock(mutex_);
        deadlines_.push_back(Millis(deadline));
        pending_ = deadline;
    }

    std::mutex mutex_;
    TimePoint now_ = Start;
    std::optional<TimePoint> pending_;
    std::vector<long> deadlines_;
};

// A timer on a manual clock whose handler records the clock at each tick.
struct ManualTimer {
    std::shared_ptr<ManualClock> Clock = std::make_shared<ManualClock>();
    TThreadedTimer Timer{nullptr, Clock};
    std::vector<long> TickTimes;
    std::function<void()> Body; // more work of the handler

    explicit ManualTimer(std::uint32_t interval) {
        Timer.SetInterval(interval);
        Timer.OnTimer = [this](QObject*) {
            TickTimes.push_back(Clock->NowMillis());
            if (Body) Body();
        };
    }
    // Runs the event loop, moving the clock to every deadline, until `count` ticks ran.
    bool RunTicks(std::size_t count) {
        return PumpUntil([&] {
            if (TickTimes.size() >= count) return true;
            Clock->RunToPendingDeadline();
            return false;
        });
    }
};

TEST(ThreadedTimer, StartsDisabledWithItsDefaults) {
    TThreadedTimer timer;
    int ticks = 0;
    timer.OnTimer = [&](QObject*) { ++ticks; };
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(timer.AllowZero());
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_EQ(timer.ThreadPriority(), tpNormal);
    timer.SetInterval(1);
    PumpFor(100ms);
    EXPECT_EQ(ticks, 0) << "a timer ticks only once enabled";
}

TEST(ThreadedTimer, TicksRunOnTheTimersThreadWithTheTimerAsSender) {
    TThreadedTimer timer;
    timer.SetInterval(10);
    std::vector<QObject*> senders;
    bool onWindowThread = true;
    timer.OnTimer = [&](QObject* sender) {
        senders.push_back(sender);
        onWindowThread = onWindowThread && QThread::currentThread() == QCoreApplication::instance()->thread();
    };
    const auto enabledAt = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration firstAfter{};
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] {
        if (senders.size() == 1 && firstAfter == decltype(firstAfter){})
            firstAfter = std::chrono::steady_clock::now() - enabledAt;
        return senders.size() >= 5;
    }));
    EXPECT_TRUE(onWindowThread);
    for (QObject* sender : senders)
        EXPECT_EQ(sender, &timer);
    EXPECT_GE(firstAfter, 10ms) << "the first tick comes one full interval after enabling";
}

TEST(ThreadedTimer, EnablingTwiceKeepsTheGridAndDisablingTwiceStopsOnce) {
    ManualTimer t(10);
    t.Timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return t.Clock->PendingDeadline().has_value(); }));
    t.Clock->Advance(4ms);
    t.Timer.SetEnabled(true); // no restart
    ASSERT_TRUE(t.RunTicks(2));
    EXPECT_EQ(t.TickTimes, (std::vector<long>{10, 20}));

    t.Timer.SetEnabled(false);
    t.Timer.SetEnabled(false);
    EXPECT_FALSE(t.Timer.Enabled());
    t.Clock->Advance(100ms); // 120
    PumpFor(50ms);
    EXPECT_EQ(t.TickTimes.size(), 2u) << "no ticks while disabled";

    t.Timer.SetEnabled(true);
    ASSERT_TRUE(t.RunTicks(4));
    EXPECT_EQ(t.TickTimes, (std::vector<long>{10, 20, 130, 140})) << "a new grid one interval after enabling";
}

TEST(ThreadedTimer, IntervalZeroTicksOnlyWithAllowZero) {
    TThreadedTimer timer;
    int ticks = 0;
    timer.OnTimer = [&](QObject*) { ++ticks; };
    timer.SetInterval(0);
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled()) << "the flag changes";
    PumpFor(100ms);
    EXPECT_EQ(ticks, 0) << "but interval 0 without AllowZero gives no ticks";

    // Enabled with an interval above 0, the timer ticks.
    timer.SetInterval(5);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));

    TThreadedTimer zero;
    int zeroTicks = 0;
    zero.OnTimer = [&](QObject*) { ++zeroTicks; };
    zero.SetAllowZero(true);
    zero.SetInterval(0);
    zero.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return zeroTicks >= 200; })) << "back to back with AllowZero";
}

TEST(ThreadedTimer, WorkerWaitsForTheTickBeforeItsNextWait) {
    ManualTimer t(10);
    t.Timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return t.Clock->PendingDeadline().has_value(); }));
    t.Clock->RunToPendingDeadline();
    // The tick is handed over but not run: the worker must not time the next one.
    QThread::msleep(50);
    EXPECT_EQ(t.Clock->Deadlines(), std::vector<long>{10});
    ASSERT_TRUE(PumpUntil([&] { return t.Clock->Deadlines().size() == 2; }));
    EXPECT_EQ(t.TickTimes, std::vector<long>{10});
    EXPECT_EQ(t.Clock->Deadlines(), (std::vector<long>{10, 20}));
}

TEST(ThreadedTimer, DeadlinesStayOnTheGridWhateverTheHandlerTakes) {
    // A handler that takes 7 ms of a 10 ms interval: ticks come every 10 ms, not 17.
    ManualTimer t(10);
    t.Body = [&] { t.Clock->Advance(7ms); };
    t.Timer.SetEnabled(true);
    ASSERT_TRUE(t.RunTicks(6));
    EXPECT_EQ(t.TickTimes, (std::vector<long>{10, 20, 30, 40, 50, 60}));

    // A handler running past the next deadline: the late tick follows at once.
    ManualTimer late(10);
    late.Body = [&] {
        if (late.TickTimes.size() == 2) late.Clock->Advance(14ms);
    };
    late.Timer.SetEnabled(true);
    ASSERT_TRUE(late.RunTicks(5));
    EXPECT_EQ(late.TickTimes, (std::vector<long>{10, 20, 34, 40, 50}));
}

TEST(ThreadedTimer, AStallGivesOneTickAndANewGridNotABurst) {
    ManualTimer t(10);
    t.Body = [&] {
        if (t.TickTimes.size() == 3) t.Clock->Advance(35ms); // the window thread stalls
    };
    t.Timer.SetEnabled(true);
    ASSERT_TRUE(t.RunTicks(6));
    EXPECT_EQ(t.TickTimes, (std::vector<long>{10, 20, 30, 65, 75, 85}));
}

TEST(ThreadedTimer, ChangingTheIntervalStartsItAgain) {
    ManualTimer t(10);
    t.Timer.SetEnabled(true);
    ASSERT_TRUE(t.RunTicks(1)); // at 10
    t.Clock->Advance(5ms);
    t.Timer.SetInterval(20); // at 15
    EXPECT_TRUE(t.Timer.Enabled());
    ASSERT_TRUE(t.RunTicks(3));
    EXPECT_EQ(t.TickTimes, (std::vector<long>{10, 35, 55}));
    t.Timer.SetInterval(20); // the same value changes nothing
    ASSERT_TRUE(t.RunTicks(4));
    EXPECT_EQ(t.TickTimes.back(), 75);

    // Changed while disabled, the interval applies from the next enable.
    t.Timer.SetEnabled(false);
    t.Timer.SetInterval(50);
    EXPECT_FALSE(t.Timer.Enabled());
    const long enabledAt = t.Clock->NowMillis();
    t.Timer.SetEnabled(true);
    ASSERT_TRUE(t.RunTicks(5));
    EXPECT_EQ(t.TickTimes.back(), enabledAt + 50);
}

TEST(ThreadedTimer, HandlerMayStopOrRestartTheTimer) {
    // Stopping from inside the handler returns at once and no tick follows.
    ManualTimer t(10);
    t.Body = [&] {
        if (t.TickTimes.size() == 3) t.Timer.SetEnabled(false);
    };
    t.Timer.SetEnabled(true);
    ASSERT_TRUE(t.RunTicks(3));
    EXPECT_FALSE(t.Timer.Enabled());
    t.Clock->Advance(100ms);
    PumpFor(50ms);
    EXPECT_EQ(t.TickTimes.size(), 3u);

    // Stop and start again inside one tick: the next tick is a full interval after.
    ManualTimer r(10);
    r.Body = [&] {
        if (r.TickTimes.size() == 2) {
            r.Clock->Advance(3ms);
            r.Timer.SetEnabled(false);
            r.Timer.SetEnabled(true);
        }
    };
    r.Timer.SetEnabled(true);
    ASSERT_TRUE(r.RunTicks(4));
    EXPECT_EQ(r.TickTimes, (std::vector<long>{10, 20, 33, 43}));
}

TEST(ThreadedTimer, AFailingHandlerDoesNotStopTheTicks) {
    TThreadedTimer timer;
    timer.SetInterval(2);
    int ticks = 0;
    timer.OnTimer = [&](QObject*) {
        ++ticks;
        throw std::runtime_error("handler failed");
    };
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
}

TEST(ThreadedTimer, ATickHandedOverBeforeAStopDoesNotRun) {
    ManualTimer t(10);
    t.Timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return t.Clock->PendingDeadline().has_value(); }));
    t.Clock->RunToPendingDeadline();
    QThread::msleep(50); // handed over, not run
    t.Timer.SetEnabled(false);
    t.Timer.SetEnabled(true); // at 10: the next tick is due at 20
    PumpFor(50ms);
    EXPECT_TRUE(t.TickTimes.empty()) << "the stale tick ran right after the restart";
    ASSERT_TRUE(t.RunTicks(1));
    EXPECT_EQ(t.TickTimes, std::vector<long>{20});
}

TEST(ThreadedTimer, DestructionJoinsTheWorkerInEveryState) {
    int ticks = 0;
    // Never enabled, enabled and waiting, disabled after running.
    { TThreadedTimer never; }
    {
        TThreadedTimer waiting;
        waiting.SetInterval(60000);
        waiting.SetEnabled(true);
    }
    {
        TThreadedTimer stopped;
        stopped.SetInterval(1);
        stopped.OnTimer = [&](QObject*) { ++ticks; };
        stopped.SetEnabled(true);
        ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }));
        stopped.SetEnabled(false);
    }
    ticks = 0;

    // A tick handed over and not yet run when the timer goes: it never runs.
    auto clock = std::make_shared<ManualClock>();
    auto timer = std::make_unique<TThreadedTimer>(nullptr, clock);
    timer->SetInterval(10);
    timer->OnTimer = [&](QObject*) { ++ticks; };
    timer->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return clock->PendingDeadline().has_value(); }));
    clock->RunToPendingDeadline();
    QThread::msleep(50);
    timer.reset();
    PumpFor(50ms);
    EXPECT_EQ(ticks, 0);
}

TEST(ThreadedTimer, KeepsThePriorityAsked) {
    TThreadedTimer timer;
    timer.SetThreadPriority(tpLower);
    timer.SetInterval(1);
    int ticks = 0;
    timer.OnTimer = [&](QObject*) { ++ticks; };
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));
    EXPECT_EQ(timer.ThreadPriority(), tpLower);
}

} // namespace
