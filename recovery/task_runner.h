// Tasks that every thread takes from in order, so that the earlier ones are done first; a time
// limit; and the share done, told on the calling thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

#include "recovery/block_reader.h"

namespace pomuru::recovery {

class TaskRunner {
public:
    using Task = std::function<void(BlockReader&)>;
    using Clock = std::chrono::steady_clock;

    // threads: 1 runs the tasks on the calling thread (as a page's worker must).
    TaskRunner(const ByteSource& source, Clock::time_point deadline, unsigned threads);

    // Runs tasks[first, end) until they are done, Stop is called or the time is up. progress
    // hears how many tasks of the whole list are done. A failing task ends the run, and its
    // failure is thrown here.
    void Run(const std::vector<Task>& tasks, std::size_t first, std::size_t end,
             const std::function<void(std::size_t done)>& progress);

    // Whether to stop; asked in inner loops, so the clock is read only now and then.
    bool Stopping();
    void Stop() { stop_ = true; }
    // Lets the next run go on after a Stop, unless the time is up.
    void Resume() { stop_ = timedOut_.load(); }
    bool TimedOut() const { return timedOut_; }
    const std::atomic<bool>& StopFlag() const { return stop_; }
    unsigned Threads() const { return threads_; }

private:
    void Work(const std::vector<Task>& tasks);

    const ByteSource& source_;
    Clock::time_point deadline_;
    unsigned threads_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> timedOut_{false};
    std::atomic<unsigned> asked_{0};
    std::atomic<std::size_t> next_{0};
    std::atomic<std::size_t> done_{0};
    std::size_t end_ = 0;

    std::mutex mutex_;
    std::condition_variable finished_;
    int working_ = 0;  // workers still running, under mutex_
    std::exception_ptr failure_;
};

}  // namespace pomuru::recovery
