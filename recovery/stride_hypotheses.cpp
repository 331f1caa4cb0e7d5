// For each stride, the changed known bytes must all be congruent; the first position is the
// earliest of them or lies before it, on bytes that are unknown or may keep their value. Each
// known byte it passes on the way back starts a new hypothesis, as it is converted from there.
#include "recovery/stride_hypotheses.h"

#include <algorithm>
#include <cmath>

namespace pomuru::recovery {

namespace {

// The firsts from low to high in steps of stride: the smallest ones, and high itself.
std::vector<std::int64_t> Firsts(std::int64_t low, std::int64_t high, std::int64_t stride,
                                 std::size_t limit) {
    std::vector<std::int64_t> firsts;
    for (std::int64_t first = low; first <= high && firsts.size() + 1 < limit; first += stride) {
        firsts.push_back(first);
    }
    if (firsts.empty() || firsts.back() != high) {
        firsts.push_back(high);
    }
    return firsts;
}

}  // namespace

void ForEachStrideHypothesis(std::span<const ObservedByte> observed, const StrideLimits& limits,
                             const std::function<bool(const StrideHypothesis&)>& found) {
    const auto firstChange = std::find_if(observed.begin(), observed.end(),
                                          [](const ObservedByte& byte) { return byte.Changed(); });
    if (firstChange == observed.end()) {
        return;
    }
    const std::int64_t earliest = firstChange->Position();  // observed is ordered by offset
    for (std::int64_t stride = std::max<std::int64_t>(1, limits.firstStride);
         stride <= std::min(limits.lastStride, earliest); ++stride) {
        const auto onStride = [&](const ObservedByte& byte) {
            const std::int64_t distance = byte.Position() - earliest;
            return ((distance % stride) + stride) % stride == 0;
        };
        if (std::any_of(observed.begin(), observed.end(), [&](const ObservedByte& byte) {
                return byte.Changed() && !onStride(byte);
            })) {
            continue;
        }
        StrideHypothesis hypothesis{stride, {}, {}, 0};
        std::vector<const ObservedByte*> before;  // known bytes on the stride, latest first
        for (const ObservedByte& byte : observed) {
            if (!onStride(byte)) {
                continue;
            }
            if (byte.Position() >= earliest) {
                hypothesis.converted.push_back(byte);
                hypothesis.misses += byte.IsExactUnchanged() ? 1 : 0;
            } else {
                before.insert(before.begin(), &byte);
            }
        }
        if (hypothesis.misses > limits.maxMisses) {
            continue;
        }
        // The lowest first allowed is the stride itself.
        const std::int64_t lowest = earliest - (earliest - stride) / stride * stride;
        std::int64_t high = earliest;
        for (std::size_t i = 0;; ++i) {
            const std::int64_t low = i < before.size() ? before[i]->Position() + stride : lowest;
            if (low <= high) {
                hypothesis.firsts = Firsts(low, high, stride, limits.maxFirsts);
                if (!found(hypothesis)) {
                    return;
                }
            }
            if (i >= before.size()) {
                break;
            }
            hypothesis.misses += before[i]->IsExactUnchanged() ? 1 : 0;
            if (hypothesis.misses > limits.maxMisses) {
                break;
            }
            hypothesis.converted.insert(hypothesis.converted.begin(), *before[i]);
            high = before[i]->Position();
        }
    }
}

ByteSet PlainLowBytes(const StrideHypothesis& hypothesis) {
    ByteSet lowBytes;
    lowBytes.set();
    for (const ObservedByte& byte : hypothesis.converted) {
        ByteSet fitting;
        for (int value = 0; value < 256; ++value) {
            if (byte.allowed.test(static_cast<std::size_t>(value))) {
                fitting.set(static_cast<std::size_t>(value ^ byte.found));
            }
        }
        lowBytes &= fitting;
    }
    lowBytes.reset(0);
    return lowBytes;
}

std::vector<KnownMask> KnownMasks(const StrideHypothesis& hypothesis) {
    std::vector<KnownMask> known;
    for (const ObservedByte& byte : hypothesis.converted) {
        KnownMask mask{byte.Position(), {}};
        for (int original = 0; original < 256; ++original) {
            if (byte.allowed.test(static_cast<std::size_t>(original))) {
                mask.masks.set(static_cast<std::size_t>(original ^ byte.found));
            }
        }
        known.push_back(mask);
    }
    return known;
}

double KnownBits(const StrideHypothesis& hypothesis) {
    double bits = 0;
    for (const ObservedByte& byte : hypothesis.converted) {
        bits += std::log2(256.0 / static_cast<double>(byte.allowed.count()));
    }
    return bits;
}

}  // namespace pomuru::recovery
