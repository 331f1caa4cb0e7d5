// The clean-up on a terminating signal, with POSIX signal handlers.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "base/interrupt_cleanup.h"

namespace pomuru {

namespace {

// Every signal whose default action ends the process, but SIGKILL and SIGSTOP, which cannot be
// caught; the real-time ones are added at run time. Crashes are among them: a run that dies of
// one leaves no half-written destination either.
constexpr std::array kFixedSignals{
    SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP,   SIGABRT,   SIGBUS,  SIGFPE,
    SIGUSR1, SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM,   SIGTERM,   SIGXCPU, SIGXFSZ,
    SIGSYS,  SIGPROF, SIGIO,   SIGPWR,  SIGVTALRM, SIGSTKFLT,
};
constexpr std::size_t kMaxSignals = kFixedSignals.size() + 64;

// What the handler does, in one word that it takes for itself: a descriptor to cut back, or one
// of these.
constexpr int kNothing = -1;   // not armed
constexpr int kComplete = -2;  // the output is whole: leave it
constexpr int kClaimed = -3;   // a handler is ending the process

// A signal handler can reach nothing but static storage. It is written before the handlers are
// installed and only read while they are, but for the state, which changes hands atomically.
struct Target {
    std::atomic<int> state{kNothing};
    off_t sizeBefore = 0;
    std::array<char, 1024> cutBack{};
    std::size_t cutBackLength = 0;
    std::array<char, 1024> complete{};
    std::size_t completeLength = 0;
    std::array<int, kMaxSignals> signals{};
    std::size_t signalCount = 0;
    std::array<struct sigaction, kMaxSignals> previous{};
};
Target target;
static_assert(std::atomic<int>::is_always_lock_free, "the state is shared with a signal handler");

std::size_t CopyNotice(const std::string& notice, std::array<char, 1024>& into) {
    const std::size_t length = std::min(notice.size(), into.size());
    std::memcpy(into.data(), notice.data(), length);
    return length;
}

extern "C" void CleanUpAndEnd(int signal) {
    // Only async-signal-safe calls from here on.
    const int state = target.state.exchange(kClaimed);
    if (state == kClaimed) {
        // Another thread's handler is ending the process; ending it now could cut that short.
        for (;;) {
            ::pause();
        }
    }
    if (state >= 0) {
        [[maybe_unused]] const int truncated = ::ftruncate(state, target.sizeBefore);
        [[maybe_unused]] const ssize_t written =
            ::write(STDERR_FILENO, target.cutBack.data(), target.cutBackLength);
    } else if (state == kComplete) {
        [[maybe_unused]] const ssize_t written =
            ::write(STDERR_FILENO, target.complete.data(), target.completeLength);
    }
    // The handler was reset to the default on entry: once it returns, the signal, raised again,
    // ends the process as it would have without us.
    ::raise(signal);
}

// Moves the state on from whatever the run set last. A handler that has claimed it is ending
// the process, perhaps from another thread: the run must not go on meanwhile.
void SetState(int next) {
    int current = target.state.load();
    while (current != kClaimed && !target.state.compare_exchange_weak(current, next)) {
    }
    if (current == kClaimed) {
        for (;;) {
            ::pause();
        }
    }
}

}  // namespace

InterruptCleanup::InterruptCleanup(const File& dest, std::int64_t sizeBefore,
                                   const InterruptNotices& notices) {
    target.sizeBefore = static_cast<off_t>(sizeBefore);
    target.cutBackLength = CopyNotice(notices.cutBack, target.cutBack);
    target.completeLength = CopyNotice(notices.complete, target.complete);
    target.signalCount = 0;
    for (const int signal : kFixedSignals) {
        target.signals[target.signalCount++] = signal;
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX && target.signalCount < kMaxSignals; ++signal) {
        target.signals[target.signalCount++] = signal;
    }
    SetState(static_cast<int>(dest.handle_));

    struct sigaction action {};
    action.sa_handler = CleanUpAndEnd;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < target.signalCount; ++i) {
        sigaddset(&action.sa_mask, target.signals[i]);
    }
    for (std::size_t i = 0; i < target.signalCount; ++i) {
        ::sigaction(target.signals[i], nullptr, &target.previous[i]);
        // Only where the signal would end the process: one the caller ignores (SIGHUP under
        // nohup) or handles itself (a sanitizer's report of a crash) is left as it is.
        if (target.previous[i].sa_handler == SIG_DFL &&
            (target.previous[i].sa_flags & SA_SIGINFO) == 0) {
            ::sigaction(target.signals[i], &action, nullptr);
        }
    }
}

InterruptCleanup::~InterruptCleanup() {
    for (std::size_t i = 0; i < target.signalCount; ++i) {
        ::sigaction(target.signals[i], &target.previous[i], nullptr);
    }
    SetState(kNothing);
}

void InterruptCleanup::OutputComplete() {
    SetState(kComplete);
}

void InterruptCleanup::OutputIncomplete(const File& dest) {
    SetState(static_cast<int>(dest.handle_));
}

}  // namespace pomuru
