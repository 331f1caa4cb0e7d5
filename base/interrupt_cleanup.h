// Interrupts are failures: a run ended by a signal leaves no half-written destination.
#pragma once

#include <cstdint>
#include <string>

#include "base/file.h"

namespace pomuru {

// What standard error is told when an interrupt ends a run: before the destination holds the
// whole output, when it is cut back, and after, when it is left whole.
struct InterruptNotices {
    std::string cutBack;
    std::string complete;
};

// While it lives, an interrupt cuts the destination back to sizeBefore (until OutputComplete),
// writes the matching notice to standard error, and ends the process as the interrupt would
// have, so that its caller sees the usual status. On POSIX the interrupts are the signals whose
// default action ends the process, where they still have it (one the caller ignores stays
// ignored); SIGKILL and SIGSTOP cannot be caught. On Windows they are the console's events
// (Ctrl+C, Ctrl+Break, its window closed, logoff, shutdown), which end the process with
// STATUS_CONTROL_C_EXIT. One at a time.
class InterruptCleanup {
public:
    InterruptCleanup(const File& dest, std::int64_t sizeBefore, const InterruptNotices& notices);
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;

    // Every byte is written: from now on an interrupt leaves the destination as it is.
    void OutputComplete();
    // Closing failed after all: an interrupt cuts dest back again, as the caller is about to.
    void OutputIncomplete(const File& dest);
};

}  // namespace pomuru
