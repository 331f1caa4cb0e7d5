// A progress line on a terminal for long conversions, redrawn in place.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "cipher/conversion_job.h"

namespace pomuru {

// Draws on the given descriptor only if it is a terminal (as the console layer tells it), and
// only once the work has lasted a while: quick runs and redirected output stay silent.
class ProgressMeter final : public ProgressObserver {
public:
    // totalBytes is the source's size, or negative when it is unknown (a pipe).
    ProgressMeter(std::int64_t totalBytes, int fd, bool onTerminal);
    ~ProgressMeter() override;
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    void OnProgress(std::int64_t bytesDone) override;

    // Redraws the final state and ends the line, so that what follows starts on a fresh one.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;

    void Draw(Clock::time_point now);
    std::string Line(Clock::time_point now) const;
    void WriteQuietly(std::string_view text) const;

    std::int64_t totalBytes_;
    int fd_;
    bool enabled_;
    Clock::time_point started_;
    Clock::time_point lastDrawn_{};
    bool drawn_ = false;
    std::size_t lastLength_ = 0;
    std::int64_t bytesDone_ = 0;
};

}  // namespace pomuru
