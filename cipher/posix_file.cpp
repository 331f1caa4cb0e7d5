// The file layer on POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "cipher/file.h"
#include "cipher/file_error.h"

namespace pomuru {

namespace {

struct stat StatusOf(int fd, const std::string& name) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        throw FileError(FileOperation::Identify, name, errno);
    }
    return info;
}

int OpenOrThrow(const std::string& path, int flags, FileOperation operation) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        throw FileError(operation, path, errno);
    }
    return fd;
}

}  // namespace

File File::OpenForReading(const std::string& path) {
    File file(OpenOrThrow(path, O_RDONLY, FileOperation::OpenRead), path, true);
    // Reading a folder fails only at the first read; say so at once instead.
    if (S_ISDIR(StatusOf(file.handle_, path).st_mode)) {
        throw FileError(FileOperation::OpenRead, path, EISDIR);
    }
    ::posix_fadvise(file.handle_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return file;
}

File File::OpenForWriting(const std::string& path) {
    return File(OpenOrThrow(path, O_WRONLY | O_CREAT, FileOperation::OpenWrite), path, true);
}

File File::StandardInput() {
    return File(STDIN_FILENO, "standard input", false);
}

File File::StandardOutput() {
    return File(STDOUT_FILENO, "standard output", false);
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)),
      name_(std::move(other.name_)),
      owned_(std::exchange(other.owned_, false)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = std::exchange(other.handle_, -1);
        name_ = std::move(other.name_);
        owned_ = std::exchange(other.owned_, false);
    }
    return *this;
}

File::~File() {
    Release();
}

void File::Release() noexcept {
    const int fd = std::exchange(handle_, -1);
    if (fd >= 0 && std::exchange(owned_, false)) {
        ::close(fd);
    }
}

std::size_t File::Read(std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t n = ::read(handle_, buffer.data(), buffer.size());
        if (n >= 0) {
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            throw FileError(FileOperation::Read, name_, errno);
        }
    }
}

void File::Write(std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const ssize_t n = ::write(handle_, data.data(), data.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A write that moves nothing would be retried for ever.
            throw FileError(FileOperation::Write, name_, n < 0 ? errno : EIO);
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
}

void File::Truncate(std::int64_t size) {
    if (::ftruncate(handle_, static_cast<off_t>(size)) != 0) {
        throw FileError(FileOperation::Truncate, name_, errno);
    }
}

std::optional<std::int64_t> File::RegularFileSize() const {
    const struct stat info = StatusOf(handle_, name_);
    if (!S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return info.st_size;
}

bool File::IsSameFileAs(const File& other) const {
    const struct stat mine = StatusOf(handle_, name_);
    const struct stat theirs = StatusOf(other.handle_, other.name_);
    const bool collides = S_ISREG(mine.st_mode) || S_ISFIFO(mine.st_mode);
    return collides && mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

void File::Close() {
    const int fd = std::exchange(handle_, -1);
    if (fd < 0 || !std::exchange(owned_, false)) {
        return;
    }
    // Linux releases the descriptor even when close fails, so it is never retried.
    if (::close(fd) != 0) {
        throw FileError(FileOperation::Close, name_, errno);
    }
}

bool IsSameFile(const File& file, const std::string& path) {
    if (path == file.Name()) {
        return true;
    }
    // O_PATH needs no permission on the file itself: an unreadable file is still recognised.
    const int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return false;
        }
        throw FileError(FileOperation::Identify, path, errno);
    }
    const File other(fd, path, true);
    return file.IsSameFileAs(other);
}

}  // namespace pomuru
