// The clean-up on a terminating signal, with POSIX signal handlers.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "cipher/interrupt_cleanup.h"

namespace pomuru {

namespace {

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// A signal handler can reach nothing but static storage. It is written before the handlers are
// installed and only read while they are.
struct Target {
    int fd = -1;
    off_t sizeBefore = 0;
    std::array<char, 1024> notice{};
    std::size_t noticeLength = 0;
    std::array<struct sigaction, kSignals.size()> previous{};
};
Target target;

extern "C" void CleanUpAndEnd(int signal) {
    // Only async-signal-safe calls from here on.
    [[maybe_unused]] const int truncated = ::ftruncate(target.fd, target.sizeBefore);
    [[maybe_unused]] const ssize_t written =
        ::write(STDERR_FILENO, target.notice.data(), target.noticeLength);
    // The handler was reset to the default on entry: once it returns, the signal, raised again,
    // ends the process as it would have without us.
    ::raise(signal);
}

}  // namespace

InterruptCleanup::InterruptCleanup(const File& dest, std::int64_t sizeBefore,
                                   const std::string& notice) {
    target.fd = dest.handle_;
    target.sizeBefore = static_cast<off_t>(sizeBefore);
    target.noticeLength = std::min(notice.size(), target.notice.size());
    std::memcpy(target.notice.data(), notice.data(), target.noticeLength);

    struct sigaction action {};
    action.sa_handler = CleanUpAndEnd;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) {
        sigaddset(&action.sa_mask, signal);
    }
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], nullptr, &target.previous[i]);
        // A signal the caller ignores (SIGHUP under nohup) stays ignored.
        if (target.previous[i].sa_handler != SIG_IGN) {
            ::sigaction(kSignals[i], &action, nullptr);
        }
    }
}

InterruptCleanup::~InterruptCleanup() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &target.previous[i], nullptr);
    }
    target.fd = -1;
}

}  // namespace pomuru
