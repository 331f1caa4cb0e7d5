// Quick searches show nothing; longer ones redraw a few times a second.
#include "cli/search_meter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace pomuru {

namespace {

constexpr auto kQuietPeriod = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);
constexpr std::size_t kLineWidth = 40;

}  // namespace

SearchMeter::SearchMeter(int fd, bool onTerminal, std::chrono::seconds limit)
    : fd_(fd), enabled_(onTerminal), limit_(limit), started_(Clock::now()) {}

SearchMeter::~SearchMeter() {
    Finish();
}

void SearchMeter::Update(double done) {
    const auto now = Clock::now();
    if (!enabled_ || now - started_ < kQuietPeriod ||
        (drawn_ && now - lastDrawn_ < kRedrawInterval)) {
        return;
    }
    const double seconds = std::chrono::duration<double>(now - started_).count();
    char line[kLineWidth + 1];
    std::snprintf(line, sizeof line, "\r%3d%% searched  %.0f s of at most %lld s",
                  static_cast<int>(std::clamp(done, 0.0, 1.0) * 100), seconds,
                  static_cast<long long>(limit_.count()));
    Write(line);
    lastDrawn_ = now;
    drawn_ = true;
}

void SearchMeter::Finish() {
    if (drawn_) {
        Write("\r" + std::string(kLineWidth, ' ') + "\r");
        drawn_ = false;
    }
}

// The meter is a courtesy: a failing terminal changes nothing.
void SearchMeter::Write(const std::string& text) const {
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto written = ::write(fd_, rest.data(), rest.size());
        if (written <= 0) {
            return;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace pomuru
