// Canonical Huffman codes decoded through a table of the first 9 bits, and bit by bit beyond.
#include "recovery/inflater.h"

namespace pomuru::recovery {

namespace {

constexpr std::size_t kWindowSize = 32 * 1024;
constexpr std::size_t kPendingSize = 16 * 1024;
constexpr int kMaxBits = 15;

constexpr std::array<std::uint16_t, 29> kLengthBase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                    15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                    67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase{
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra{0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                      4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                      9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block lists the lengths of the code-length code.
constexpr std::array<std::uint8_t, 19> kLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                    11, 4,  12, 3, 13, 2, 14, 1, 15};

}  // namespace

Inflater::Inflater(Input input, Output output, std::uint64_t outputLimit)
    : input_(std::move(input)),
      output_(std::move(output)),
      outputLimit_(outputLimit),
      window_(kWindowSize) {
    std::array<std::uint8_t, 288> literalLengths{};
    for (std::size_t symbol = 0; symbol < literalLengths.size(); ++symbol) {
        literalLengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
    }
    std::array<std::uint8_t, 32> distanceLengths{};  // 30 and 31 are codes, but no distances
    distanceLengths.fill(5);
    BuildHuffman(fixedLiterals_, literalLengths);
    BuildHuffman(fixedDistances_, distanceLengths);
    pending_.reserve(kPendingSize);
}

bool Inflater::Fill(int bits) {
    while (bitCount_ < bits) {
        if (piece_.empty()) {
            if (inputEnded_) {
                return false;
            }
            piece_ = input_();
            if (piece_.empty()) {
                inputEnded_ = true;
                return false;
            }
        }
        bitBuffer_ |= std::uint64_t{piece_.front()} << bitCount_;
        piece_ = piece_.subspan(1);
        ++inputUsed_;
        bitCount_ += 8;
    }
    return true;
}

std::uint32_t Inflater::Take(int bits) {
    const auto value = static_cast<std::uint32_t>(bitBuffer_ & ((std::uint64_t{1} << bits) - 1));
    bitBuffer_ >>= bits;
    bitCount_ -= bits;
    return value;
}

bool Inflater::BuildHuffman(Huffman& table, std::span<const std::uint8_t> lengths) const {
    table.counts.fill(0);
    for (const std::uint8_t length : lengths) {
        ++table.counts[length];
    }
    const std::size_t used = lengths.size() - table.counts[0];
    table.counts[0] = 0;
    // More codes of a length than the shorter ones leave room for: no prefix code.
    int left = 1;
    for (int length = 1; length <= kMaxBits; ++length) {
        left = (left << 1) - table.counts[static_cast<std::size_t>(length)];
        if (left < 0) {
            return false;
        }
    }
    // An incomplete code is allowed only with a single code (a block with one distance).
    if (left > 0 && used > 1) {
        return false;
    }
    std::array<std::uint16_t, kMaxBits + 2> offsets{};
    for (int length = 1; length <= kMaxBits; ++length) {
        offsets[static_cast<std::size_t>(length) + 1] =
            static_cast<std::uint16_t>(offsets[static_cast<std::size_t>(length)] +
                                       table.counts[static_cast<std::size_t>(length)]);
    }
    table.symbols.assign(used, 0);
    std::array<std::uint32_t, kMaxBits + 1> nextCode{};
    std::uint32_t code = 0;
    for (int length = 1; length <= kMaxBits; ++length) {
        code = (code + table.counts[static_cast<std::size_t>(length) - 1]) << 1;
        nextCode[static_cast<std::size_t>(length)] = code;
    }
    table.fast.assign(std::size_t{1} << kFastBits, 0);
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        const int length = lengths[symbol];
        if (length == 0) {
            continue;
        }
        table.symbols[offsets[static_cast<std::size_t>(length)]++] =
            static_cast<std::uint16_t>(symbol);
        if (length <= kFastBits) {
            // The stream holds the code's bits from its first: reversed.
            std::uint32_t reversed = 0;
            const std::uint32_t assigned = nextCode[static_cast<std::size_t>(length)]++;
            for (int bit = 0; bit < length; ++bit) {
                reversed |= ((assigned >> bit) & 1) << (length - 1 - bit);
            }
            for (std::uint32_t fill = reversed; fill < (1u << kFastBits); fill += 1u << length) {
                table.fast[fill] = static_cast<std::uint16_t>(symbol << 4 | length);
            }
        }
    }
    return true;
}

int Inflater::Decode(const Huffman& table) {
    Fill(kMaxBits);  // at the end of the input fewer bits may do
    const std::uint16_t entry = table.fast[bitBuffer_ & ((1u << kFastBits) - 1)];
    if (entry != 0 && (entry & 0xF) <= bitCount_) {
        Take(entry & 0xF);
        return entry >> 4;
    }
    // Bit by bit, counting the codes of each length (canonical order).
    int code = 0;
    int first = 0;
    int index = 0;
    for (int length = 1; length <= kMaxBits && length <= bitCount_; ++length) {
        code |= static_cast<int>((bitBuffer_ >> (length - 1)) & 1);
        const int count = table.counts[static_cast<std::size_t>(length)];
        if (code - count < first) {
            Take(length);
            return table.symbols[static_cast<std::size_t>(index + code - first)];
        }
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return -1;
}

bool Inflater::Emit(std::uint8_t byte) {
    if (++outputCount_ > outputLimit_) {
        return false;
    }
    window_[windowAt_] = byte;
    windowAt_ = (windowAt_ + 1) % kWindowSize;
    pending_.push_back(byte);
    if (pending_.size() == kPendingSize) {
        Flush();
    }
    return true;
}

void Inflater::Flush() {
    if (!pending_.empty()) {
        output_(pending_);
        pending_.clear();
    }
}

Inflater::Result Inflater::StoredBlock() {
    Take(bitCount_ % 8);
    if (!Fill(32)) {
        return Result::Invalid;
    }
    const std::uint32_t length = Take(16);
    if (Take(16) != (~length & 0xFFFF)) {
        return Result::Invalid;
    }
    for (std::uint32_t i = 0; i < length; ++i) {
        if (!Fill(8)) {
            return Result::Invalid;
        }
        if (!Emit(static_cast<std::uint8_t>(Take(8)))) {
            return Result::TooLong;
        }
    }
    return Result::Done;
}

Inflater::Result Inflater::CodesBlock(const Huffman& literals, const Huffman& distances) {
    for (;;) {
        const int symbol = Decode(literals);
        if (symbol < 0) {
            return Result::Invalid;
        }
        if (symbol < 256) {
            if (!Emit(static_cast<std::uint8_t>(symbol))) {
                return Result::TooLong;
            }
            continue;
        }
        if (symbol == 256) {
            return Result::Done;
        }
        const auto lengthCode = static_cast<std::size_t>(symbol - 257);
        if (lengthCode >= kLengthBase.size() || !Fill(kLengthExtra[lengthCode])) {
            return Result::Invalid;
        }
        const std::uint32_t length = kLengthBase[lengthCode] + Take(kLengthExtra[lengthCode]);
        const int distanceSymbol = Decode(distances);
        if (distanceSymbol < 0 || distanceSymbol >= static_cast<int>(kDistanceBase.size())) {
            return Result::Invalid;
        }
        const auto distanceCode = static_cast<std::size_t>(distanceSymbol);
        if (!Fill(kDistanceExtra[distanceCode])) {
            return Result::Invalid;
        }
        const std::uint32_t distance =
            kDistanceBase[distanceCode] + Take(kDistanceExtra[distanceCode]);
        if (distance > outputCount_ || distance > kWindowSize) {
            return Result::Invalid;
        }
        for (std::uint32_t i = 0; i < length; ++i) {
            const std::uint8_t byte = window_[(windowAt_ + kWindowSize - distance) % kWindowSize];
            if (!Emit(byte)) {
                return Result::TooLong;
            }
        }
    }
}

Inflater::Result Inflater::DynamicBlock() {
    if (!Fill(14)) {
        return Result::Invalid;
    }
    const std::uint32_t literalCount = Take(5) + 257;
    const std::uint32_t distanceCount = Take(5) + 1;
    const std::uint32_t lengthCount = Take(4) + 4;
    if (literalCount > 286 || distanceCount > 30) {
        return Result::Invalid;
    }
    std::array<std::uint8_t, 19> lengthLengths{};
    for (std::uint32_t i = 0; i < lengthCount; ++i) {
        if (!Fill(3)) {
            return Result::Invalid;
        }
        lengthLengths[kLengthOrder[i]] = static_cast<std::uint8_t>(Take(3));
    }
    Huffman lengthCode;
    if (!BuildHuffman(lengthCode, lengthLengths)) {
        return Result::Invalid;
    }
    std::array<std::uint8_t, 286 + 30> lengths{};
    for (std::uint32_t i = 0; i < literalCount + distanceCount;) {
        const int symbol = Decode(lengthCode);
        if (symbol < 0) {
            return Result::Invalid;
        }
        if (symbol < 16) {
            lengths[i++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        std::uint8_t repeated = 0;
        std::uint32_t times = 0;
        if (symbol == 16) {
            if (i == 0 || !Fill(2)) {
                return Result::Invalid;
            }
            repeated = lengths[i - 1];
            times = 3 + Take(2);
        } else if (symbol == 17) {
            if (!Fill(3)) {
                return Result::Invalid;
            }
            times = 3 + Take(3);
        } else {
            if (!Fill(7)) {
                return Result::Invalid;
            }
            times = 11 + Take(7);
        }
        if (i + times > literalCount + distanceCount) {
            return Result::Invalid;
        }
        for (; times > 0; --times) {
            lengths[i++] = repeated;
        }
    }
    if (lengths[256] == 0) {
        return Result::Invalid;  // no end of block
    }
    Huffman literals;
    Huffman distances;
    if (!BuildHuffman(literals, std::span(lengths).first(literalCount)) ||
        !BuildHuffman(distances, std::span(lengths).subspan(literalCount, distanceCount))) {
        return Result::Invalid;
    }
    return CodesBlock(literals, distances);
}

Inflater::Result Inflater::Run() {
    for (bool last = false; !last;) {
        if (!Fill(3)) {
            return Result::Invalid;
        }
        last = Take(1) == 1;
        Result result = Result::Invalid;
        switch (Take(2)) {
            case 0:
                result = StoredBlock();
                break;
            case 1:
                result = CodesBlock(fixedLiterals_, fixedDistances_);
                break;
            case 2:
                result = DynamicBlock();
                break;
            default:
                break;
        }
        if (result != Result::Done) {
            return result;
        }
    }
    Flush();
    return Result::Done;
}

}  // namespace pomuru::recovery
