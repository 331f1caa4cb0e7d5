// The settings search as the page's worker calls it: the file is read through the worker, which
// reads the page's File synchronously, and the outcome comes back as JSON for the page to word.
#include <emscripten/emscripten.h>

#include <chrono>
#include <cstdint>
#include <exception>
#include <string>

#include "recovery/settings_search.h"

// Imported from the worker (core.js): a read of the page's file, and the search's progress.
extern "C" {
__attribute__((import_module("env"), import_name("pomuru_read_source"))) std::uint32_t
pomuru_read_source(double offset, std::uint8_t* buffer, std::uint32_t length);
__attribute__((import_module("env"), import_name("pomuru_search_progress"))) void
pomuru_search_progress(double done);
}

namespace {

using pomuru::recovery::SearchOutcome;

class PageSource final : public pomuru::recovery::ByteSource {
public:
    explicit PageSource(std::int64_t size) : size_(size) {}
    std::int64_t Size() const override { return size_; }
    std::size_t ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) const override {
        return pomuru_read_source(static_cast<double>(offset), buffer.data(),
                                  static_cast<std::uint32_t>(buffer.size()));
    }

private:
    std::int64_t size_;
};

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
    return quoted + "\"";
}

const char* VerdictName(SearchOutcome::Verdict verdict) {
    switch (verdict) {
        case SearchOutcome::Verdict::Confirmed:
            return "confirmed";
        case SearchOutcome::Verdict::Probable:
            return "probable";
        case SearchOutcome::Verdict::Ambiguous:
            return "several";
        case SearchOutcome::Verdict::NothingFits:
            return "nothing";
        case SearchOutcome::Verdict::UnknownKind:
            break;
    }
    return "unknown";
}

std::string Json(const SearchOutcome& outcome) {
    std::string json = std::string("{\"verdict\":\"") + VerdictName(outcome.verdict) +
                       "\",\"timedOut\":" + (outcome.timedOut ? "true" : "false") +
                       ",\"found\":" + std::to_string(outcome.answersFound) +
                       ",\"laterBeginnings\":" + std::to_string(outcome.laterBeginnings) +
                       ",\"answers\":[";
    for (std::size_t i = 0; i < outcome.answers.size(); ++i) {
        const pomuru::recovery::Answer& answer = outcome.answers[i];
        json += std::string(i == 0 ? "" : ",") +
                "{\"kind\":" + Quoted(std::string(pomuru::recovery::KindTitle(answer.kind))) +
                ",\"value\":" + std::to_string(answer.params.value) +
                ",\"step\":" + std::to_string(answer.params.step) +
                ",\"start\":" + std::to_string(answer.params.start) +
                ",\"slide\":" + std::to_string(answer.params.slide) +
                ",\"randomize\":" + (answer.params.randomize ? "true" : "false") +
                ",\"confirmed\":" + (answer.confirmed ? "true" : "false") +
                ",\"checksums\":" + std::to_string(answer.found.checksums) + "}";
    }
    return json + "]}";
}

}  // namespace

extern "C" {

// Searches the page's file of the given size for up to seconds; the outcome as JSON, valid
// until the next call. A failure, reading included, comes back as {"error": ...}.
EMSCRIPTEN_KEEPALIVE const char* pomuru_find_settings(double size, std::int32_t seconds) {
    static std::string result;
    try {
        const PageSource source(static_cast<std::int64_t>(size));
        pomuru::recovery::SearchRequest request;
        request.timeLimit = std::chrono::seconds(seconds);
        request.threads = 1;  // the worker is the page's one thread for this
        result = Json(pomuru::recovery::FindSettings(source, request, pomuru_search_progress));
    } catch (const std::exception& error) {
        result = "{\"error\":" + Quoted(error.what()) + "}";
    }
    return result.c_str();
}

}  // extern "C"
