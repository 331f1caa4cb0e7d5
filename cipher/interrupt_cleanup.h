// Interrupts are failures: a run ended by a signal leaves no half-written destination.
#pragma once

#include <cstdint>
#include <string>

#include "cipher/file.h"

namespace pomuru {

// While it lives, a terminating signal (SIGINT, SIGTERM, SIGHUP, SIGQUIT) cuts the destination
// back to sizeBefore, writes the notice to standard error, and ends the process by the same
// signal, so that its caller sees the usual status. One at a time.
class InterruptCleanup {
public:
    InterruptCleanup(const File& dest, std::int64_t sizeBefore, const std::string& notice);
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;
};

}  // namespace pomuru
