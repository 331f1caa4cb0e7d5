// The scrambled file for the settings search, read by position through a stream of the
// standard library, one read at a time.
#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <span>
#include <string>

#include "recovery/byte_source.h"

namespace pomuru {

class FileByteSource final : public recovery::ByteSource {
public:
    // path in UTF-8; size as the file layer found it. Failures are thrown as FileError.
    FileByteSource(const std::string& path, std::int64_t size);

    std::int64_t Size() const override { return size_; }
    std::size_t ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) const override;

private:
    std::string path_;
    std::int64_t size_;
    mutable std::mutex mutex_;
    mutable std::ifstream stream_;
};

}  // namespace pomuru
