// Blocks replaced least recently used first.
#include "recovery/block_reader.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace pomuru::recovery {

BlockReader::BlockReader(const ByteSource& source) : source_(source), size_(source.Size()) {}

const BlockReader::Block& BlockReader::Load(std::int64_t index) {
    ++uses_;
    for (Block& block : blocks_) {
        if (block.index == index) {
            block.lastUse = uses_;
            return block;
        }
    }
    Block& victim =
        *std::min_element(blocks_.begin(), blocks_.end(),
                          [](const Block& a, const Block& b) { return a.lastUse < b.lastUse; });
    const std::int64_t offset = index * kBlockSize;
    victim.bytes.resize(static_cast<std::size_t>(std::min(kBlockSize, size_ - offset)));
    victim.index = -1;
    if (source_.ReadAt(offset, victim.bytes) != victim.bytes.size()) {
        // The file shrank under the search.
        throw std::runtime_error("the file ended early while it was being read");
    }
    victim.index = index;
    victim.lastUse = uses_;
    return victim;
}

void BlockReader::Read(std::int64_t offset, std::span<std::uint8_t> out) {
    while (!out.empty()) {
        const Block& block = Load(offset / kBlockSize);
        const auto inBlock = static_cast<std::size_t>(offset % kBlockSize);
        const std::size_t count = std::min(out.size(), block.bytes.size() - inBlock);
        std::memcpy(out.data(), block.bytes.data() + inBlock, count);
        out = out.subspan(count);
        offset += static_cast<std::int64_t>(count);
    }
}

std::uint8_t BlockReader::At(std::int64_t offset) {
    const Block& block = Load(offset / kBlockSize);
    return block.bytes[static_cast<std::size_t>(offset % kBlockSize)];
}

}  // namespace pomuru::recovery
