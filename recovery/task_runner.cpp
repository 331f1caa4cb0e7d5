// std::thread workers over a shared index into the list; the calling thread waits, tells the
// progress and watches the clock.
#include "recovery/task_runner.h"

#include <thread>

namespace pomuru::recovery {

TaskRunner::TaskRunner(const ByteSource& source, Clock::time_point deadline, unsigned threads)
    : source_(source), deadline_(deadline), threads_(std::max(1u, threads)) {}

bool TaskRunner::Stopping() {
    if (stop_.load(std::memory_order_relaxed)) {
        return true;
    }
    if ((asked_.fetch_add(1, std::memory_order_relaxed) & 0x3FF) == 0 &&
        Clock::now() >= deadline_) {
        timedOut_ = true;
        stop_ = true;
    }
    return stop_.load(std::memory_order_relaxed);
}

void TaskRunner::Work(const std::vector<Task>& tasks) {
    {
        const std::lock_guard lock(mutex_);
        ++working_;
    }
    try {
        BlockReader reader(source_);
        for (std::size_t index = next_++; index < end_ && !Stopping(); index = next_++) {
            tasks[index](reader);
            ++done_;
        }
    } catch (...) {
        const std::lock_guard lock(mutex_);
        if (!failure_) {
            failure_ = std::current_exception();
        }
        stop_ = true;
    }
    const std::lock_guard lock(mutex_);
    --working_;
    finished_.notify_all();
}

void TaskRunner::Run(const std::vector<Task>& tasks, std::size_t first, std::size_t end,
                     const std::function<void(std::size_t done)>& progress) {
    const auto report = [&] {
        if (progress) {
            progress(done_);
        }
    };
    if (threads_ == 1) {
        BlockReader reader(source_);
        for (std::size_t index = first; index < end && !Stopping(); ++index) {
            tasks[index](reader);
            ++done_;
            report();
        }
        return;
    }
    next_ = first;
    end_ = end;
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < threads_; ++i) {
        workers.emplace_back([this, &tasks] { Work(tasks); });
    }
    {
        std::unique_lock lock(mutex_);
        while (working_ > 0 || next_ < end_) {
            if (finished_.wait_for(lock, std::chrono::milliseconds(100),
                                   [this] { return working_ == 0 && (next_ >= end_ || stop_); })) {
                break;
            }
            if (Clock::now() >= deadline_) {
                timedOut_ = true;
                stop_ = true;
            }
            lock.unlock();
            report();
            lock.lock();
        }
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    if (failure_) {
        std::rethrow_exception(failure_);
    }
}

}  // namespace pomuru::recovery
