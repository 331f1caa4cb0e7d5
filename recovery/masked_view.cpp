// Restoring bytes with a candidate's masks, and checking a CRC-32 over all the low parts of a
// seed range in one pass: the checksum is affine in the masks, and the masks change only where
// the low part crosses a position's threshold.
#include "recovery/masked_view.h"

#include <algorithm>
#include <memory>

#include "recovery/crc32.h"

namespace pomuru::recovery {

MaskedView::MaskedView(BlockReader& reader, SettingsClass& candidate)
    : reader_(reader), candidate_(candidate) {}

void MaskedView::RequireInside(std::int64_t offset, std::int64_t length) const {
    if (offset < 0 || length < 0 || offset > Size() || length > Size() - offset) {
        throw OutsideFile{};
    }
}

void MaskedView::Split(std::uint32_t threshold) const {
    const SeedRange& seed = candidate_.seed;
    throw Ambiguous{{{seed.high, seed.lowFirst, threshold}, {seed.high, threshold, seed.lowEnd}}};
}

void MaskedView::Unmask(std::int64_t offset, std::span<std::uint8_t> bytes) const {
    const Progression& positions = candidate_.positions;
    const std::int64_t end = offset + 1 + static_cast<std::int64_t>(bytes.size());
    for (std::int64_t position = positions.FirstFrom(offset + 1); position < end;
         position += positions.stride) {
        const MaskDecision decision = candidate_.MaskAt(position);
        if (decision.splitAt != 0) {
            Split(decision.splitAt);
        }
        bytes[static_cast<std::size_t>(position - 1 - offset)] ^= decision.mask;
    }
}

std::uint8_t MaskedView::At(std::int64_t offset) {
    std::uint8_t byte = 0;
    Read(offset, {&byte, 1});
    return byte;
}

void MaskedView::Read(std::int64_t offset, std::span<std::uint8_t> out) {
    RequireInside(offset, static_cast<std::int64_t>(out.size()));
    reader_.Read(offset, out);
    Unmask(offset, out);
}

std::uint32_t MaskedView::BigEndian32(std::int64_t offset) {
    std::uint8_t b[4];
    Read(offset, b);
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

std::uint32_t MaskedView::LittleEndian32(std::int64_t offset) {
    std::uint8_t b[4];
    Read(offset, b);
    return std::uint32_t{b[3]} << 24 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[1]} << 8 | b[0];
}

std::uint16_t MaskedView::LittleEndian16(std::int64_t offset) {
    std::uint8_t b[2];
    Read(offset, b);
    return static_cast<std::uint16_t>(b[1] << 8 | b[0]);
}

std::uint16_t MaskedView::BigEndian16(std::int64_t offset) {
    std::uint8_t b[2];
    Read(offset, b);
    return static_cast<std::uint16_t>(b[0] << 8 | b[1]);
}

bool MaskedView::Holds(std::int64_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (At(offset + static_cast<std::int64_t>(i)) != static_cast<std::uint8_t>(text[i])) {
            return false;
        }
    }
    return true;
}

bool MaskedView::Crc32Matches(std::int64_t offset, std::int64_t length, std::uint32_t expected) {
    RequireInside(offset, length);
    if (length <= kShortRange) {
        // Few bytes: splitting at their thresholds costs less than working out the changes.
        std::uint8_t bytes[kShortRange];
        Read(offset, {bytes, static_cast<std::size_t>(length)});
        return Crc32({bytes, static_cast<std::size_t>(length)}) == expected;
    }
    // The checksum with the masks of the range's lowest low part, then its change at each
    // threshold inside the range, in order.
    std::uint32_t difference = CrcAtLowest(offset, length) ^ expected;
    const std::vector<std::uint32_t>& changes = ChangesAtThresholds(offset, length);
    const SeedRange seed = candidate_.seed;
    std::vector<SeedRange> fitting;
    std::uint32_t from = seed.lowFirst;
    for (std::uint32_t threshold = seed.lowFirst + 1; threshold < seed.lowEnd; ++threshold) {
        const std::uint32_t change = changes[threshold - seed.lowFirst];
        if (change == 0) {
            continue;
        }
        if (difference == 0) {
            fitting.push_back({seed.high, from, threshold});
        }
        difference ^= change;
        from = threshold;
    }
    if (difference == 0) {
        fitting.push_back({seed.high, from, seed.lowEnd});
    }
    if (fitting.size() > 1) {
        throw Ambiguous{fitting};
    }
    if (fitting.empty()) {
        return false;
    }
    candidate_.seed = fitting.front();
    return true;
}

std::uint32_t MaskedView::CrcAtLowest(std::int64_t offset, std::int64_t length) {
    const Progression& positions = candidate_.positions;
    std::uint32_t state = kCrc32Start;
    for (const std::int64_t end = offset + length; offset < end;) {
        const std::int64_t count = std::min<std::int64_t>(end - offset, kPieceSize);
        piece_.resize(static_cast<std::size_t>(count));
        reader_.Read(offset, piece_);
        for (std::int64_t position = positions.FirstFrom(offset + 1); position <= offset + count;
             position += positions.stride) {
            piece_[static_cast<std::size_t>(position - 1 - offset)] ^=
                candidate_.MaskAt(position).mask;
        }
        state = Crc32Update(state, piece_);
        offset += count;
    }
    return Crc32Finish(state);
}

const std::vector<std::uint32_t>& MaskedView::ChangesAtThresholds(std::int64_t offset,
                                                                  std::int64_t length) {
    const SettingsClass& c = candidate_;
    // One change for each low part of the range (positions 2^16 apart share a threshold):
    // memory stays at 256 KiB whatever the range's length, kept for the thread's next range.
    BlockReader::ChecksumScratch& scratch = reader_.Scratch();
    std::vector<std::uint32_t>& changes = scratch.changes;
    changes.assign(c.seed.lowEnd - c.seed.lowFirst, 0);
    if (!c.value.IsRandom() || c.seed.lowEnd - c.seed.lowFirst <= 1) {
        return changes;
    }
    // From the last converted position back: the shift over the bytes after each grows by the
    // stride's worth at every step.
    const std::int64_t end = offset + length;
    const std::int64_t first = c.positions.FirstFrom(offset + 1);
    if (first > end) {
        return changes;
    }
    const std::int64_t last = first + (end - first) / c.positions.stride * c.positions.stride;
    // The factor for a stride, kept for the next range, which has the same stride.
    if (scratch.factorStride != c.positions.stride) {
        scratch.nextBack = std::make_unique<Crc32FixedFactor>(
            Crc32ZeroBytes(static_cast<std::uint64_t>(c.positions.stride)));
        scratch.factorStride = c.positions.stride;
    }
    const Crc32FixedFactor& nextBack = *scratch.nextBack;
    std::uint32_t shift = Crc32ZeroBytes(static_cast<std::uint64_t>(end - last));
    for (std::int64_t position = last; position >= first;
         position -= c.positions.stride, shift = nextBack(shift)) {
        const TrackPoint point = PointAt(static_cast<std::uint64_t>(position));
        if (point.threshold <= c.seed.lowFirst || point.threshold >= c.seed.lowEnd) {
            continue;
        }
        const std::uint8_t below = c.value.MaskForDraw(DrawAt(point, c.seed.high, c.seed.lowFirst));
        const std::uint8_t above =
            c.value.MaskForDraw(DrawAt(point, c.seed.high, c.seed.lowEnd - 1));
        if (below != above) {
            changes[point.threshold - c.seed.lowFirst] ^=
                Crc32ShiftedTerm(static_cast<std::uint8_t>(below ^ above), shift);
        }
    }
    return changes;
}

}  // namespace pomuru::recovery
