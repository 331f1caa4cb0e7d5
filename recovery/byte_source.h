// Where the search reads the scrambled file from: by position, from any thread.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

namespace pomuru::recovery {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::int64_t Size() const = 0;
    // Reads up to buffer.size() bytes from offset, fewer only at the end; may be called from
    // several threads at once. Failures are thrown.
    virtual std::size_t ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) const = 0;
};

// Bytes already in memory: a test's file, or a page's piece.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    std::size_t ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) const override {
        if (offset < 0 || offset >= Size()) {
            return 0;
        }
        const std::size_t count =
            std::min(buffer.size(), bytes_.size() - static_cast<std::size_t>(offset));
        std::memcpy(buffer.data(), bytes_.data() + offset, count);
        return count;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace pomuru::recovery
