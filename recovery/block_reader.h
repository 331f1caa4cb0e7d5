// One thread's view of the source: the few blocks it used last, kept so that the many small
// reads of checking candidate after candidate seldom reach the file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "recovery/byte_source.h"
#include "recovery/crc32.h"

namespace pomuru::recovery {

class BlockReader {
public:
    static constexpr std::int64_t kBlockSize = 64 * 1024;

    explicit BlockReader(const ByteSource& source);

    std::int64_t Size() const { return size_; }
    // Copies bytes from offset; the range must lie inside the file.
    void Read(std::int64_t offset, std::span<std::uint8_t> out);
    std::uint8_t At(std::int64_t offset);

    // What the thread's checksum checks keep from one candidate to the next: the changes at the
    // seed thresholds (256 KiB at most) and the factor for the last stride. Kept here, not in
    // thread_local objects, whose destructors MinGW's threads run after freeing their storage.
    struct ChecksumScratch {
        std::vector<std::uint32_t> changes;
        std::int64_t factorStride = 0;
        std::unique_ptr<Crc32FixedFactor> nextBack;
    };
    ChecksumScratch& Scratch() { return scratch_; }

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
    ChecksumScratch scratch_;
};

}  // namespace pomuru::recovery
