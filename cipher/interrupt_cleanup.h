// Interrupts are failures: a run ended by a signal leaves no half-written destination.
#pragma once

#include <cstdint>
#include <string>

#include "cipher/file.h"

namespace pomuru {

// While it lives, an interrupt cuts the destination back to sizeBefore, writes the notice to
// standard error, and ends the process as the interrupt would have, so that its caller sees the
// usual status. On POSIX the interrupts are the terminating signals (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT); on Windows the console's events (Ctrl+C, Ctrl+Break, its window closed, logoff,
// shutdown), which end the process with STATUS_CONTROL_C_EXIT. One at a time.
class InterruptCleanup {
public:
    InterruptCleanup(const File& dest, std::int64_t sizeBefore, const std::string& notice);
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;
};

}  // namespace pomuru
