// The clock a threaded timer's worker waits on. The program uses the steady
// clock; a test can hand in a clock of its own to place every tick exactly.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

class TTimerClock {
  public:
    using time_point = std::chrono::steady_clock::time_point;

    virtual ~TTimerClock() = default;
    virtual time_point Now() = 0;
    // Waits on `wake`, with `lock` held on entry and on return, until the clock
    // has reached `deadline` or `stop` holds. True when `stop` ended the wait.
    virtual bool WaitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                           time_point deadline, const std::function<bool()>& stop) = 0;
};

class TSteadyTimerClock : public TTimerClock {
  public:
    time_point Now() override { return std::chrono::steady_clock::now(); }
    bool WaitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, time_point deadline,
                   const std::function<bool()>& stop) override {
        return wake.wait_until(lock, deadline, stop);
    }
};
