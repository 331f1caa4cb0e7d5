// What the file's head and tail say of each kind: its templates as the scrambled file shows
// them, and how likely the kind is.
#pragma once

#include <cstdint>
#include <vector>

#include "recovery/byte_source.h"
#include "recovery/file_kind.h"
#include "recovery/known_bytes.h"
#include "recovery/stride_hypotheses.h"

namespace pomuru::recovery {

// A template with the bytes the scrambled file holds at its offsets.
struct ObservedTemplate {
    KindTemplate known;
    std::vector<ObservedByte> bytes;
};

// The first and last bytes of the file, where the templates' bytes are.
class FileEdges {
public:
    // Templates look this far into the head and the tail.
    static constexpr std::int64_t kEdgeBytes = 64;

    explicit FileEdges(const ByteSource& source);
    ObservedTemplate Observe(KindTemplate known) const;

private:
    std::int64_t size_;
    std::vector<std::uint8_t> head_;
    std::vector<std::uint8_t> tail_;
};

// The position of the first known byte the file shows changed, 0 when none is.
std::int64_t EarliestChange(const ObservedTemplate& observed);

// How likely a kind is, from its templates alone.
struct KindPlan {
    FileKind kind = FileKind::Png;
    std::vector<ObservedTemplate> templates;
    bool intact = false;     // a template's bytes are all as they belong
    bool plainFits = false;  // plain settings explain a template's changes
    bool randomFits = false;
    std::size_t unchanged = 0;  // the most exactly known bytes one template keeps

    bool Plausible() const { return intact || plainFits || randomFits; }
};

KindPlan PlanKind(FileKind kind, const FileEdges& edges, std::int64_t fileSize);

}  // namespace pomuru::recovery
