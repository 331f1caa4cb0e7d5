// One thread's view of the source: the few blocks it used last, kept so that the many small
// reads of checking candidate after candidate seldom reach the file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "recovery/byte_source.h"

namespace pomuru::recovery {

class BlockReader {
public:
    static constexpr std::int64_t kBlockSize = 64 * 1024;

    explicit BlockReader(const ByteSource& source);

    std::int64_t Size() const { return size_; }
    // Copies bytes from offset; the range must lie inside the file.
    void Read(std::int64_t offset, std::span<std::uint8_t> out);
    std::uint8_t At(std::int64_t offset);

private:
    struct Block {
        std::int64_t index = -1;
        std::uint64_t lastUse = 0;
        std::vector<std::uint8_t> bytes;
    };
    const Block& Load(std::int64_t index);

    const ByteSource& source_;
    std::int64_t size_;
    std::uint64_t uses_ = 0;
    std::array<Block, 8> blocks_;
};

}  // namespace pomuru::recovery
