// The settings search's progress line on a terminal: how far it has come and the time it has
// taken against its limit, redrawn in place.
#pragma once

#include <chrono>
#include <string>

namespace pomuru {

class SearchMeter {
public:
    // Draws on the descriptor only if onTerminal, and only once the search has lasted a while.
    SearchMeter(int fd, bool onTerminal, std::chrono::seconds limit);
    ~SearchMeter();
    SearchMeter(const SearchMeter&) = delete;
    SearchMeter& operator=(const SearchMeter&) = delete;

    void Update(double done);
    // Clears the line, so that the answers start on a fresh one.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;

    void Write(const std::string& text) const;

    int fd_;
    bool enabled_;
    std::chrono::seconds limit_;
    Clock::time_point started_;
    Clock::time_point lastDrawn_{};
    bool drawn_ = false;
};

}  // namespace pomuru
