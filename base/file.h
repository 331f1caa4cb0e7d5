// The one file layer: files opened by path or borrowed from the standard streams, move-only and
// closed when they go away. Every failure is a FileError naming the operation and the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/file_error.h"

namespace pomuru {

class File {
public:
    // Opens an existing file for reading. A folder is refused: it is no file to convert.
    static File OpenForReading(const std::string& path);
    // Opens a file for writing, creating it if absent, and leaves its contents as they are:
    // whoever empties it first makes sure that it is not a file still needed.
    static File OpenForWriting(const std::string& path);
    // The same for a file that exists, which is never created.
    static File OpenExistingForWriting(const std::string& path);
    // The standard streams, used but never closed. One that the program found closed (see
    // OccupyClosedStandardStreams) fails at once, as reading or writing it would.
    static File StandardInput();
    static File StandardOutput();

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    // Closes a file that is still open without reporting: Close() is the checked way.
    ~File();

    // The path as the user gave it, or the stream's name; for messages.
    const std::string& Name() const { return name_; }
    bool IsStandardStream() const { return !owned_; }

    // Reads up to buffer.size() bytes; 0 at the end.
    std::size_t Read(std::span<std::uint8_t> buffer);
    // Writes every byte.
    void Write(std::span<const std::uint8_t> data);
    // Copies up to size bytes from this file to dest inside the kernel, from and to where each
    // stands, and returns how many: 0 at the end of this file, and where the kernel copies
    // nothing (some special files). Nothing when the system cannot copy between the two (a
    // pipe, another file system, a destination opened for appending) or the copy fails: Read
    // and Write then do the work, and report a failure naming the file.
    std::optional<std::size_t> CopyTo(File& dest, std::size_t size);
    // Sets aside room for size more bytes from where writing stands, without changing the
    // file's size, where that makes writing faster (tmpfs). Only a hint: elsewhere, or where
    // the system cannot, nothing happens. Cutting the file, even to its own size, gives back
    // what was set aside past its end.
    void Reserve(std::int64_t size);
    // Takes the file for this process alone until it is closed; another process that asks
    // meanwhile is refused at once (FileError::IsBusy).
    void LockExclusively();
    // Cuts the file to size bytes, or extends it with zeros.
    void Truncate(std::int64_t size);
    // The size of a regular file, or nothing for a pipe, terminal or device.
    std::optional<std::int64_t> RegularFileSize() const;
    // Where the next write lands in a regular file: its end, if it was opened for appending.
    std::int64_t WriteOffset() const;
    // Whether both are one file, under whatever names, whose reading and writing would
    // collide: any file but a socket, which carries one stream each way.
    bool IsSameFileAs(const File& other) const;
    // Closes the file. When the system reports an error (a delayed write that failed), the
    // file is still open afterwards, so that it can be cut back.
    void Close();

private:
    friend bool IsSameFile(const File& file, const std::string& path);
    friend class InterruptCleanup;

    // A descriptor on POSIX, a HANDLE on Windows; -1 is no file on both.
    using NativeHandle = std::intptr_t;
    static constexpr NativeHandle kNoHandle = -1;

    File(NativeHandle handle, std::string name, bool owned) noexcept
        : handle_(handle), name_(std::move(name)), owned_(owned) {}
    void Release() noexcept;
    [[noreturn]] void Fail(FileOperation operation, int systemError) const;

    NativeHandle handle_ = kNoHandle;
    std::string name_;
    bool owned_ = false;
};

// Puts /dev/null, open the wrong way round, in place of a standard stream the program was
// started without, so that no file it opens takes the stream's number and receives what is
// meant for the stream. Called first thing; false when that is not possible.
bool OccupyClosedStandardStreams();

// Whether the open file is the one a path leads to, under any spelling: an equal text, a link,
// another path to it. A path that leads nowhere is no file.
bool IsSameFile(const File& file, const std::string& path);

}  // namespace pomuru
