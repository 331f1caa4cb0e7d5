// Seeks and reads under a lock: the search's threads share the one stream.
#include "cli/file_byte_source.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "base/file_error.h"

namespace pomuru {

namespace {

// The stream takes a path in the system's own encoding; from UTF-8, as the program keeps paths.
std::filesystem::path NativePath(const std::string& utf8) {
    return std::u8string(utf8.begin(), utf8.end());
}

int LastError() {
    return errno != 0 ? errno : EIO;
}

}  // namespace

FileByteSource::FileByteSource(const std::string& path, std::int64_t size)
    : path_(path), size_(size) {
    errno = 0;
    stream_.open(NativePath(path), std::ios::binary);
    if (!stream_) {
        throw FileError(FileOperation::OpenRead, path, LastError());
    }
}

std::size_t FileByteSource::ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) const {
    if (offset < 0 || offset >= size_ || buffer.empty()) {
        return 0;
    }
    const std::size_t wanted = static_cast<std::size_t>(
        std::min<std::int64_t>(size_ - offset, static_cast<std::int64_t>(buffer.size())));
    const std::lock_guard lock(mutex_);
    errno = 0;
    stream_.clear();
    stream_.seekg(offset);
    stream_.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(wanted));
    const auto count = static_cast<std::size_t>(stream_.gcount());
    if (count != wanted) {
        throw FileError(FileOperation::Read, path_, stream_.eof() ? EIO : LastError());
    }
    return count;
}

}  // namespace pomuru
