// CRC-32 as PNG and ZIP use it, and its linear algebra: the change in a checksum that a changed
// byte makes, without running over the bytes in between.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace pomuru::recovery {

// The running checksum: start from kCrc32Start, feed bytes, and finish with Crc32Finish.
inline constexpr std::uint32_t kCrc32Start = 0xFFFFFFFFu;
std::uint32_t Crc32Update(std::uint32_t state, std::span<const std::uint8_t> bytes);
inline std::uint32_t Crc32Finish(std::uint32_t state) {
    return ~state;
}
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

// The checksum is affine in the bytes: XOR-ing a message with a pattern XORs its checksum with
// the pattern's checksum taken from zero. For one byte, delta, followed by n bytes, that term
// is Crc32Term(delta) shifted over n zero bytes.
std::uint32_t Crc32Term(std::uint8_t delta);
// The shift over n zero bytes, as a number to multiply terms with (Crc32Multiply).
std::uint32_t Crc32ZeroBytes(std::uint64_t n);
std::uint32_t Crc32Multiply(std::uint32_t a, std::uint32_t b);

inline std::uint32_t Crc32Contribution(std::uint8_t delta, std::uint64_t following) {
    return Crc32Multiply(Crc32ZeroBytes(following), Crc32Term(delta));
}
// The same for a shift already worked out, by table.
std::uint32_t Crc32ShiftedTerm(std::uint8_t delta, std::uint32_t shift);

// Multiplying by a fixed number, e.g. the shift over a stride, four table look-ups at a time.
class Crc32FixedFactor {
public:
    explicit Crc32FixedFactor(std::uint32_t factor);
    std::uint32_t operator()(std::uint32_t x) const {
        return tables_[0][x & 0xFF] ^ tables_[1][(x >> 8) & 0xFF] ^ tables_[2][(x >> 16) & 0xFF] ^
               tables_[3][x >> 24];
    }

private:
    std::array<std::array<std::uint32_t, 256>, 4> tables_;
};

}  // namespace pomuru::recovery
