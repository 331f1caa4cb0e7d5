// CRC-32 (reflected polynomial 0xEDB88320) eight bytes at a time, and products of polynomials
// modulo the generator for shifting a change over many bytes at once.
#include "recovery/crc32.h"

#include <vector>

namespace pomuru::recovery {

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// Table k gives a byte's effect k more bytes back, for eight bytes in one step.
constexpr std::array<std::array<std::uint32_t, 256>, 8> MakeTables() {
    std::array<std::array<std::uint32_t, 256>, 8> tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? kPolynomial ^ (c >> 1) : c >> 1;
        }
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < tables.size(); ++k) {
        for (std::uint32_t n = 0; n < 256; ++n) {
            const std::uint32_t previous = tables[k - 1][n];
            tables[k][n] = tables[0][previous & 0xFF] ^ (previous >> 8);
        }
    }
    return tables;
}

constexpr auto kTables = MakeTables();

// In the reflected order bit 31 stands for x^0. a * b modulo the generator.
constexpr std::uint32_t MultiplyModP(std::uint32_t a, std::uint32_t b) {
    std::uint32_t product = 0;
    for (std::uint32_t m = 1u << 31; m != 0 && a != 0; m >>= 1) {
        if ((a & m) != 0) {
            product ^= b;
            a ^= m;
        }
        b = (b & 1) != 0 ? (b >> 1) ^ kPolynomial : b >> 1;
    }
    return product;
}

// x^(2^k) modulo the generator, for k = 0..63.
constexpr std::array<std::uint32_t, 64> MakePowers() {
    std::array<std::uint32_t, 64> powers{};
    powers[0] = 1u << 30;  // x^1
    for (std::size_t k = 1; k < powers.size(); ++k) {
        powers[k] = MultiplyModP(powers[k - 1], powers[k - 1]);
    }
    return powers;
}

constexpr std::array<std::uint32_t, 64> kPowers = MakePowers();

}  // namespace

std::uint32_t Crc32Update(std::uint32_t state, std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    for (; n >= 8; n -= 8, p += 8) {
        const std::uint32_t low = state ^ (std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                           std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
        state = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^
                kTables[5][(low >> 16) & 0xFF] ^ kTables[4][low >> 24] ^ kTables[3][p[4]] ^
                kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]];
    }
    for (; n > 0; --n, ++p) {
        state = kTables[0][(state ^ *p) & 0xFF] ^ (state >> 8);
    }
    return state;
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    return Crc32Finish(Crc32Update(kCrc32Start, bytes));
}

std::uint32_t Crc32Term(std::uint8_t delta) {
    return kTables[0][delta];
}

std::uint32_t Crc32ZeroBytes(std::uint64_t n) {
    std::uint32_t power = 1u << 31;  // x^0
    for (std::size_t k = 3; n != 0 && k < kPowers.size(); ++k, n >>= 1) {
        if ((n & 1) != 0) {
            power = MultiplyModP(kPowers[k], power);
        }
    }
    return power;
}

std::uint32_t Crc32Multiply(std::uint32_t a, std::uint32_t b) {
    return MultiplyModP(a, b);
}

Crc32FixedFactor::Crc32FixedFactor(std::uint32_t factor) : tables_{} {
    for (std::size_t k = 0; k < tables_.size(); ++k) {
        for (std::uint32_t n = 0; n < 256; ++n) {
            tables_[k][n] = MultiplyModP(n << (8 * k), factor);
        }
    }
}

std::uint32_t Crc32ShiftedTerm(std::uint8_t delta, std::uint32_t shift) {
    // The term is linear in delta: one fixed factor for each of its bits. On the heap, made
    // when first needed: the command line maps no more than it must before it runs.
    static const std::vector<Crc32FixedFactor> kBitTerms = [] {
        std::vector<Crc32FixedFactor> factors;
        for (int bit = 0; bit < 8; ++bit) {
            factors.emplace_back(kTables[0][1u << bit]);
        }
        return factors;
    }();
    std::uint32_t term = 0;
    for (unsigned bits = delta; bits != 0; bits &= bits - 1) {
        term ^= kBitTerms[static_cast<std::size_t>(__builtin_ctz(bits))](shift);
    }
    return term;
}

}  // namespace pomuru::recovery
