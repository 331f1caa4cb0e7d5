// The file as one candidate class of settings would restore it, read by position.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "recovery/block_reader.h"
#include "recovery/settings_class.h"

namespace pomuru::recovery {

// Thrown when a byte's mask depends on where in its seed range the starting value lies: the
// parts of the range that tell it apart, each to be checked on its own.
struct Ambiguous {
    std::vector<SeedRange> parts;
};

// Thrown when a check reads past the end of the file: the candidate does not fit.
struct OutsideFile {};

class MaskedView {
public:
    MaskedView(BlockReader& reader, SettingsClass& candidate);

    std::int64_t Size() const { return reader_.Size(); }
    const SettingsClass& Candidate() const { return candidate_; }

    // Restored bytes at 0-based offsets; throw Ambiguous or OutsideFile.
    std::uint8_t At(std::int64_t offset);
    void Read(std::int64_t offset, std::span<std::uint8_t> out);
    std::uint32_t BigEndian32(std::int64_t offset);
    std::uint32_t LittleEndian32(std::int64_t offset);
    std::uint16_t LittleEndian16(std::int64_t offset);
    std::uint16_t BigEndian16(std::int64_t offset);
    bool Holds(std::int64_t offset, std::string_view text);

    // Calls consume with the restored bytes of [offset, offset + length) in pieces.
    template <typename Consume>
    void Stream(std::int64_t offset, std::int64_t length, Consume&& consume) {
        RequireInside(offset, length);
        while (length > 0) {
            const std::int64_t count = std::min<std::int64_t>(length, kPieceSize);
            piece_.resize(static_cast<std::size_t>(count));
            reader_.Read(offset, piece_);
            Unmask(offset, piece_);
            consume(std::span<const std::uint8_t>(piece_));
            offset += count;
            length -= count;
        }
    }

    // Whether the CRC-32 of [offset, offset + length) restored is expected. Where the range's
    // masks depend on the seed range, the checksum tells its parts apart at once: the
    // candidate's seed range narrows to the part that fits, and several parts that fit are
    // thrown as Ambiguous.
    bool Crc32Matches(std::int64_t offset, std::int64_t length, std::uint32_t expected);

private:
    static constexpr std::int64_t kPieceSize = 64 * 1024;
    static constexpr std::int64_t kShortRange = 256;

    void RequireInside(std::int64_t offset, std::int64_t length) const;
    // The CRC-32 of the range restored with the masks of the seed range's lowest low part.
    std::uint32_t CrcAtLowest(std::int64_t offset, std::int64_t length);
    // The checksum's change where the low part reaches each threshold inside the seed range,
    // by the threshold's distance from the range's start (0 where nothing changes).
    const std::vector<std::uint32_t>& ChangesAtThresholds(std::int64_t offset, std::int64_t length);
    void Unmask(std::int64_t offset, std::span<std::uint8_t> bytes) const;
    [[noreturn]] void Split(std::uint32_t threshold) const;

    BlockReader& reader_;
    SettingsClass& candidate_;
    std::vector<std::uint8_t> piece_;
};

}  // namespace pomuru::recovery
