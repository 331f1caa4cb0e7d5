// POSIX file descriptors with errors reported, never ignored.
#include "cipher/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace pomuru {

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), owned_(std::exchange(other.owned_, false)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        owned_ = std::exchange(other.owned_, false);
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    Close();
}

int FileDescriptor::Close() {
    const int fd = std::exchange(fd_, -1);
    if (fd < 0 || !std::exchange(owned_, false)) {
        return 0;
    }
    // Linux releases the descriptor even when close fails, so it is never retried.
    return ::close(fd) == 0 ? 0 : errno;
}

FileDescriptor OpenForReading(const std::string& path, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        struct stat info {};
        // Reading a directory fails only at the first read; say so at once instead.
        if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
            ::close(fd);
            error = EISDIR;
            return {};
        }
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    return FileDescriptor(fd, true);
}

FileDescriptor CreateForWriting(const std::string& path, int& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    error = fd < 0 ? errno : 0;
    return FileDescriptor(fd, true);
}

IoResult ReadSome(int fd, std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n >= 0) {
            return {static_cast<std::size_t>(n), 0};
        }
        if (errno != EINTR) {
            return {0, errno};
        }
    }
}

IoResult WriteAll(int fd, std::span<const std::uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {done, errno};
        }
        done += static_cast<std::size_t>(n);
    }
    return {done, 0};
}

std::int64_t RegularFileSize(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return info.st_size;
}

}  // namespace pomuru
