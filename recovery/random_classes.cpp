// A depth-first walk: value rule and low byte, then the draw at the first known byte (which
// gives the high part for either carry there), then the known bytes one by one, splitting the
// low range at their thresholds.
#include "recovery/random_classes.h"

#include <algorithm>
#include <vector>

#include "recovery/generator_track.h"

namespace pomuru::recovery {

namespace {

struct Point {
    TrackPoint track;
    ByteSet masks;
};

class Walk {
public:
    Walk(const Progression& positions, std::vector<Point> points,
         const std::function<bool(const SettingsClass&)>& found)
        : positions_(positions), points_(std::move(points)), found_(found) {}

    // All classes of one value rule and low byte.
    bool Run(const ValueClass& value) {
        value_ = value;
        const Point& top = points_.front();
        const std::uint32_t drawModulus = value.DrawModulus();
        // The draws whose mask is allowed at the top point: their remainder's low byte is t.
        const std::uint32_t modulus =
            value.rule == ValueClass::Rule::Remainder ? value.modulus : 256;
        for (std::uint32_t t = 0; t < 256; ++t) {
            if (!top.masks.test(value.lowByte ^ t)) {
                continue;
            }
            for (std::uint32_t remainder = t; remainder < modulus; remainder += 256) {
                for (std::uint32_t draw = remainder; draw < drawModulus; draw += modulus) {
                    if (!FromTopDraw(draw, drawModulus)) {
                        return false;
                    }
                }
            }
        }
        return true;
    }

private:
    // Either carry at the top point: the high part that gives the draw, over the low range
    // where the carry is that.
    bool FromTopDraw(std::uint32_t draw, std::uint32_t drawModulus) {
        const TrackPoint& top = points_.front().track;
        for (std::uint32_t carry = 0; carry < 2; ++carry) {
            const std::uint32_t high =
                (draw + 2 * drawModulus - top.offset % drawModulus - carry) % drawModulus;
            const std::uint32_t first = carry == 0 ? 0 : top.threshold;
            const std::uint32_t end = carry == 0 ? top.threshold : kLowRange;
            if (first < end && !Descend(1, high, first, end)) {
                return false;
            }
        }
        return true;
    }

    bool Descend(std::size_t level, std::uint32_t high, std::uint32_t first, std::uint32_t end) {
        if (level == points_.size()) {
            return found_(SettingsClass{positions_, value_, {high, first, end}});
        }
        const Point& point = points_[level];
        const std::uint32_t threshold = point.track.threshold;
        if (threshold > first && threshold < end) {
            return Try(level, high, first, threshold) && Try(level, high, threshold, end);
        }
        return Try(level, high, first, end);
    }

    bool Try(std::size_t level, std::uint32_t high, std::uint32_t first, std::uint32_t end) {
        const std::uint8_t mask = value_.MaskForDraw(DrawAt(points_[level].track, high, first));
        return !points_[level].masks.test(mask) || Descend(level + 1, high, first, end);
    }

    const Progression& positions_;
    std::vector<Point> points_;
    const std::function<bool(const SettingsClass&)>& found_;
    ValueClass value_;
};

// The known bytes that tell something, the most telling first.
std::vector<Point> TellingPoints(std::span<const KnownMask> known) {
    std::vector<KnownMask> telling;
    for (const KnownMask& byte : known) {
        if (!byte.masks.all()) {
            telling.push_back(byte);
        }
    }
    std::stable_sort(telling.begin(), telling.end(), [](const KnownMask& a, const KnownMask& b) {
        return a.masks.count() < b.masks.count();
    });
    std::vector<Point> points;
    for (const KnownMask& byte : telling) {
        points.push_back({PointAt(static_cast<std::uint64_t>(byte.position)), byte.masks});
    }
    return points;
}

// The low bytes a value rule allows: those of |value| and -|value|, or any for LowByte.
std::vector<std::uint8_t> LowBytes(std::uint32_t rule) {
    std::vector<std::uint8_t> lowBytes;
    if (rule == 0) {
        for (int b = 0; b < 256; ++b) {
            lowBytes.push_back(static_cast<std::uint8_t>(b));
        }
        return lowBytes;
    }
    lowBytes.push_back(static_cast<std::uint8_t>(rule & 0xFF));
    const auto negative = static_cast<std::uint8_t>((0x100 - (rule & 0xFF)) & 0xFF);
    if (negative != lowBytes.front()) {
        lowBytes.push_back(negative);
    }
    return lowBytes;
}

}  // namespace

void ForEachRandomClass(const Progression& positions, std::span<const KnownMask> known,
                        std::uint32_t firstRule, std::uint32_t endRule,
                        const std::optional<ValueClass>& value,
                        const std::function<bool(const SettingsClass&)>& found) {
    std::vector<Point> points = TellingPoints(known);
    if (points.empty()) {
        return;
    }
    Walk walk(positions, std::move(points), found);
    if (value) {
        walk.Run(*value);
        return;
    }
    for (std::uint32_t rule = firstRule; rule < endRule; ++rule) {
        if (rule == 1 || (rule != 0 && rule % 256 == 0)) {
            continue;
        }
        for (const std::uint8_t lowByte : LowBytes(rule)) {
            const ValueClass valueClass =
                rule == 0 ? ValueClass{ValueClass::Rule::LowByte, lowByte, 1}
                          : ValueClass{ValueClass::Rule::Remainder, lowByte, rule};
            if (!walk.Run(valueClass)) {
                return;
            }
        }
    }
}

}  // namespace pomuru::recovery
