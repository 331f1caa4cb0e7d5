// The progress line: percentage or bytes done, and throughput, at most a few times a second.
#include "cli/progress_meter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace pomuru {

namespace {

// Quick runs show nothing; longer ones are redrawn no faster than the eye can follow.
constexpr auto kQuietPeriod = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);
constexpr double kBytesPerMegabyte = 1e6;

}  // namespace

ProgressMeter::ProgressMeter(std::int64_t totalBytes, int fd, bool onTerminal)
    : totalBytes_(totalBytes), fd_(fd), enabled_(onTerminal), started_(Clock::now()) {}

ProgressMeter::~ProgressMeter() {
    Finish();
}

void ProgressMeter::OnProgress(std::int64_t bytesDone) {
    bytesDone_ = bytesDone;
    if (!enabled_) {
        return;
    }
    const auto now = Clock::now();
    if (now - started_ < kQuietPeriod || (drawn_ && now - lastDrawn_ < kRedrawInterval)) {
        return;
    }
    Draw(now);
}

void ProgressMeter::Finish() {
    if (!drawn_) {
        return;
    }
    Draw(Clock::now());
    // The meter is a courtesy: a failing terminal must not change the conversion's outcome.
    WriteQuietly("\n");
    drawn_ = false;
}

void ProgressMeter::Draw(Clock::time_point now) {
    std::string text(1, '\r');
    text += Line(now);
    // Blank out what a longer previous line left behind.
    const std::size_t length = text.size();
    text.append(lastLength_ > length ? lastLength_ - length : 0, ' ');
    lastLength_ = length;
    WriteQuietly(text);
    lastDrawn_ = now;
    drawn_ = true;
}

void ProgressMeter::WriteQuietly(std::string_view text) const {
    while (!text.empty()) {
        const ssize_t n = ::write(fd_, text.data(), text.size());
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string ProgressMeter::Line(Clock::time_point now) const {
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const double megabytes = static_cast<double>(bytesDone_) / kBytesPerMegabyte;
    const double rate = seconds > 0 ? megabytes / seconds : 0;
    char line[96];
    if (totalBytes_ > 0) {
        const auto percent = std::min<std::int64_t>(100, bytesDone_ * 100 / totalBytes_);
        std::snprintf(line, sizeof line, "%3lld%%  %.1f MB/s", static_cast<long long>(percent),
                      rate);
    } else {
        std::snprintf(line, sizeof line, "%.1f MB  %.1f MB/s", megabytes, rate);
    }
    return line;
}

}  // namespace pomuru
