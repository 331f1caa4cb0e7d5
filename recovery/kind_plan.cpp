// Reading the edges once, and for each kind whether plain or randomised settings can explain
// what its templates' bytes show.
#include "recovery/kind_plan.h"

#include <algorithm>
#include <stdexcept>

namespace pomuru::recovery {

FileEdges::FileEdges(const ByteSource& source) : size_(source.Size()) {
    head_.resize(static_cast<std::size_t>(std::min(size_, kEdgeBytes)));
    tail_.resize(head_.size());
    if (source.ReadAt(0, head_) != head_.size() ||
        source.ReadAt(size_ - static_cast<std::int64_t>(tail_.size()), tail_) != tail_.size()) {
        throw std::runtime_error("the file ended early while it was being read");
    }
}

ObservedTemplate FileEdges::Observe(KindTemplate known) const {
    ObservedTemplate observed{std::move(known), {}};
    for (const KnownByte& byte : observed.known.bytes) {
        const std::int64_t fromEnd = size_ - byte.offset;
        if (byte.offset < kEdgeBytes) {
            observed.bytes.push_back(
                {byte.offset, byte.allowed, head_[static_cast<std::size_t>(byte.offset)]});
        } else if (fromEnd <= static_cast<std::int64_t>(tail_.size())) {
            observed.bytes.push_back({byte.offset, byte.allowed,
                                      tail_[tail_.size() - static_cast<std::size_t>(fromEnd)]});
        }
    }
    return observed;
}

std::int64_t EarliestChange(const ObservedTemplate& observed) {
    const auto changed = std::find_if(observed.bytes.begin(), observed.bytes.end(),
                                      [](const ObservedByte& byte) { return byte.Changed(); });
    return changed == observed.bytes.end() ? 0 : changed->Position();
}

KindPlan PlanKind(FileKind kind, const FileEdges& edges, std::int64_t fileSize) {
    KindPlan plan{kind, {}, false, false, false, 0};
    for (KindTemplate& known : TemplatesFor(kind, fileSize)) {
        ObservedTemplate observed = edges.Observe(std::move(known));
        const std::int64_t earliest = EarliestChange(observed);
        plan.intact = plan.intact || (earliest == 0 && !observed.bytes.empty());
        plan.unchanged = std::max<std::size_t>(
            plan.unchanged,
            std::count_if(observed.bytes.begin(), observed.bytes.end(),
                          [](const ObservedByte& byte) { return byte.IsExactUnchanged(); }));
        ForEachStrideHypothesis(
            observed.bytes, {1, earliest, 1, 1}, [&](const StrideHypothesis& hypothesis) {
                plan.randomFits = true;
                plan.plainFits =
                    plan.plainFits || (hypothesis.misses == 0 && PlainLowBytes(hypothesis).any());
                return !plan.plainFits;
            });
        plan.templates.push_back(std::move(observed));
    }
    return plan;
}

}  // namespace pomuru::recovery
