// The progress line: percentage or bytes done, and throughput, at most a few times a second.
#include "cli/progress_meter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "cipher/posix_file.h"

namespace pomuru {

namespace {

// Quick runs show nothing; longer ones are redrawn no faster than the eye can follow.
constexpr auto kQuietPeriod = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);
constexpr double kBytesPerMegabyte = 1e6;

}  // namespace

ProgressMeter::ProgressMeter(std::int64_t totalBytes, int fd)
    : totalBytes_(totalBytes), fd_(fd), enabled_(::isatty(fd) == 1), started_(Clock::now()) {}

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
    const std::uint8_t newline = '\n';
    // The meter is a courtesy: a failing terminal must not change the conversion's outcome.
    WriteAll(fd_, {&newline, 1});
    drawn_ = false;
}

void ProgressMeter::Draw(Clock::time_point now) {
    std::string text(1, '\r');
    text += Line(now);
    // Blank out what a longer previous line left behind.
    const std::size_t length = text.size();
    text.append(lastLength_ > length ? lastLength_ - length : 0, ' ');
    lastLength_ = length;
    WriteAll(fd_, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    lastDrawn_ = now;
    drawn_ = true;
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
