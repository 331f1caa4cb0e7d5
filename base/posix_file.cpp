// The file layer on POSIX descriptors.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <cerrno>
#include <utility>

#include "base/file.h"

namespace pomuru {

namespace {

int AccessMode(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags == -1 ? -1 : (flags & O_ACCMODE);
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
    struct stat info {};
    if (::fstat(file.handle_, &info) != 0) {
        file.Fail(FileOperation::OpenRead, errno);
    }
    // Reading a folder fails only at the first read; say so at once instead.
    if (S_ISDIR(info.st_mode)) {
        file.Fail(FileOperation::OpenRead, EISDIR);
    }
    ::posix_fadvise(file.handle_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return file;
}

File File::OpenForWriting(const std::string& path) {
    return File(OpenOrThrow(path, O_WRONLY | O_CREAT, FileOperation::OpenWrite), path, true);
}

File File::OpenExistingForWriting(const std::string& path) {
    return File(OpenOrThrow(path, O_WRONLY, FileOperation::OpenWrite), path, true);
}

File File::StandardInput() {
    File file(STDIN_FILENO, "standard input", false);
    // A stream that started closed holds /dev/null for writing only: reading it fails as
    // reading a closed one would.
    if (AccessMode(STDIN_FILENO) == O_WRONLY) {
        file.Fail(FileOperation::Read, EBADF);
    }
    return file;
}

File File::StandardOutput() {
    File file(STDOUT_FILENO, "standard output", false);
    if (AccessMode(STDOUT_FILENO) == O_RDONLY) {
        file.Fail(FileOperation::Write, EBADF);
    }
    return file;
}

bool OccupyClosedStandardStreams() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // open takes the lowest free number, which is this one. The direction is the
            // wrong one, so that using the stream still fails, as it would have when closed.
            const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
            if (opened != fd) {
                return false;
            }
        }
    }
    return true;
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
            Fail(FileOperation::Read, errno);
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
            Fail(FileOperation::Write, n < 0 ? errno : EIO);
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
}

std::optional<std::size_t> File::CopyTo([[maybe_unused]] File& dest,
                                        [[maybe_unused]] std::size_t size) {
#ifdef __linux__
    for (;;) {
        const ssize_t n = ::copy_file_range(handle_, nullptr, dest.handle_, nullptr, size, 0);
        if (n >= 0) {
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
#else
    return std::nullopt;
#endif
}

void File::Reserve([[maybe_unused]] std::int64_t size) {
#ifdef __linux__
    // Only tmpfs gains: there the pages come in one call instead of one write at a time. On
    // ext4 the room set aside is unwritten extents, and buffered writes into them need buffer
    // heads for every block, which made a 1 GiB run twice as slow.
    struct statfs fileSystem {};
    if (::fstatfs(handle_, &fileSystem) != 0 || fileSystem.f_type != TMPFS_MAGIC) {
        return;
    }
    const off_t from = ::lseek(handle_, 0, SEEK_CUR);
    if (from >= 0 && size > 0) {
        [[maybe_unused]] const int ignored =
            ::fallocate(handle_, FALLOC_FL_KEEP_SIZE, from, static_cast<off_t>(size));
    }
#endif
}

void File::LockExclusively() {
    while (::flock(handle_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) {
            Fail(FileOperation::Lock, errno);
        }
    }
}

void File::Truncate(std::int64_t size) {
    if (::ftruncate(handle_, static_cast<off_t>(size)) != 0) {
        Fail(FileOperation::Truncate, errno);
    }
}

std::optional<std::int64_t> File::RegularFileSize() const {
    struct stat info {};
    if (::fstat(handle_, &info) != 0) {
        Fail(FileOperation::Identify, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return info.st_size;
}

bool File::IsSameFileAs(const File& other) const {
    struct stat mine {};
    struct stat theirs {};
    if (::fstat(handle_, &mine) != 0) {
        Fail(FileOperation::Identify, errno);
    }
    if (::fstat(other.handle_, &theirs) != 0) {
        other.Fail(FileOperation::Identify, errno);
    }
    // A socket carries two streams, one each way: serving as both is a normal set-up. Any other
    // file, a device too, would be read where it is being written.
    return !S_ISSOCK(mine.st_mode) && mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

void File::Close() {
    if (handle_ < 0 || !owned_) {
        handle_ = -1;
        return;
    }
    // A network file system reports a failed delayed write at every close. Learning of it on a
    // copy of the descriptor keeps the file open for the clean-up.
    const int copy = ::dup(handle_);
    if (copy < 0 || ::close(copy) != 0) {
        Fail(FileOperation::Close, errno);
    }
    // Linux releases a descriptor even when closing it fails, so the last close is made on a
    // spare one, which stands in for it if the file has to be cut back after all.
    const int spare = ::dup(handle_);
    if (spare < 0) {
        Fail(FileOperation::Close, errno);
    }
    if (::close(std::exchange(handle_, spare)) != 0) {
        Fail(FileOperation::Close, errno);
    }
    Release();
}

std::int64_t File::WriteOffset() const {
    const int flags = ::fcntl(handle_, F_GETFL);
    const off_t offset = ::lseek(handle_, 0, SEEK_CUR);
    if (flags == -1 || offset < 0) {
        Fail(FileOperation::Identify, errno);
    }
    return (flags & O_APPEND) != 0 ? RegularFileSize().value_or(offset) : offset;
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
