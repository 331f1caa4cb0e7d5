// A DEFLATE decoder (RFC 1951) for checking ZIP entries: it takes the compressed bytes in
// pieces and hands the output on in pieces, keeping only the 32 KiB that back-references reach.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace pomuru::recovery {

class Inflater {
public:
    enum class Result {
        Done,     // a final block ended
        Invalid,  // not a DEFLATE stream, or the input ended before it did
        TooLong,  // more output than the limit
    };

    // input returns the next piece of compressed bytes, empty at their end; output takes the
    // decompressed bytes in order.
    using Input = std::function<std::span<const std::uint8_t>()>;
    using Output = std::function<void(std::span<const std::uint8_t>)>;

    Inflater(Input input, Output output, std::uint64_t outputLimit);
    Result Run();

    // How many compressed bytes the stream took (when Done).
    std::uint64_t InputUsed() const { return inputUsed_ - bitCount_ / 8; }

private:
    struct Huffman {
        std::array<std::uint16_t, 16> counts{};
        std::vector<std::uint16_t> symbols;
        // The symbol and length of every code of up to kFastBits bits, by the next bits of the
        // stream; 0 where the code is longer.
        std::vector<std::uint16_t> fast;
    };
    static constexpr int kFastBits = 9;

    bool Fill(int bits);
    std::uint32_t Take(int bits);
    bool BuildHuffman(Huffman& table, std::span<const std::uint8_t> lengths) const;
    int Decode(const Huffman& table);
    Result StoredBlock();
    Result CodesBlock(const Huffman& literals, const Huffman& distances);
    Result DynamicBlock();
    bool Emit(std::uint8_t byte);
    void Flush();

    Input input_;
    Output output_;
    std::uint64_t outputLimit_;
    std::uint64_t outputCount_ = 0;
    std::span<const std::uint8_t> piece_;
    std::uint64_t inputUsed_ = 0;
    std::uint64_t bitBuffer_ = 0;
    int bitCount_ = 0;
    bool inputEnded_ = false;
    std::vector<std::uint8_t> window_;  // the last 32 KiB, round
    std::size_t windowAt_ = 0;
    std::vector<std::uint8_t> pending_;  // output not yet handed on
    Huffman fixedLiterals_;
    Huffman fixedDistances_;
};

}  // namespace pomuru::recovery
