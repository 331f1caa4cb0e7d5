// Move-only owners of POSIX file descriptors, with the system's error codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace pomuru {

// Closes the descriptor it owns when it goes away; Close() reports the error on the success path.
class FileDescriptor {
public:
    FileDescriptor() = default;
    // Takes ownership when owned is true; standard streams are borrowed, never closed.
    FileDescriptor(int fd, bool owned) : fd_(fd), owned_(owned) {}
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }

    // 0 on success, else errno. A borrowed descriptor is only forgotten.
    int Close();

private:
    int fd_ = -1;
    bool owned_ = false;
};

// Result of one system call: bytes moved, or the errno that stopped it.
struct IoResult {
    std::size_t bytes = 0;
    int error = 0;
};

// Opens for reading; error 0 on success.
FileDescriptor OpenForReading(const std::string& path, int& error);

// Creates or empties a file for writing, as "wb" does; error 0 on success.
FileDescriptor CreateForWriting(const std::string& path, int& error);

// Reads up to buffer.size() bytes, retrying on interruption. 0 bytes and no error is the end.
IoResult ReadSome(int fd, std::span<std::uint8_t> buffer);

// Writes every byte, retrying on interruption and short writes.
IoResult WriteAll(int fd, std::span<const std::uint8_t> data);

// Size of a regular file behind the descriptor, or -1 when it has none (pipe, terminal).
std::int64_t RegularFileSize(int fd);

}  // namespace pomuru
