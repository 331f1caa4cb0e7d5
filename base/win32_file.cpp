// The file layer on Windows handles: wide paths, 64-bit sizes, and bytes as they are.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "base/file.h"
#include "base/utf16_text.h"
#include "base/win32_write_gate.h"

namespace pomuru {

namespace {

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The errno value that names the same reason, so that both platforms share the wording of
// failures in the window and on the command line.
int ErrnoFor(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_BAD_PATHNAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_NETWORK_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_CANNOT_MAKE:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_PARAMETER:
            return EINVAL;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
            return EPIPE;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_INVALID_HANDLE:
            return EBADF;
        case ERROR_FILE_TOO_LARGE:
            return EFBIG;
        default:
            return EIO;
    }
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Shared in every way, as a POSIX file is: the one-writer lock, not a share mode, keeps two
// runs from writing one destination.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::intptr_t OpenOrThrow(const std::string& path, DWORD access, DWORD disposition, DWORD flags,
                          FileOperation operation) {
    const auto wide = WideFromUtf8Strict(path);
    if (!wide) {
        throw FileError(operation, path, EILSEQ);
    }
    const HANDLE handle = ::CreateFileW(wide->c_str(), access, kShareAll, nullptr, disposition,
                                        FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Windows refuses a folder as if access were denied; say what it is instead.
        if (error == ERROR_ACCESS_DENIED && IsFolder(*wide)) {
            throw FileError(operation, path, EISDIR);
        }
        throw FileError(operation, path, ErrnoFor(error));
    }
    return reinterpret_cast<std::intptr_t>(handle);
}

// Windows has no inode numbers (the C runtime's stat gives 0 for every file): a file is known by
// its volume's serial number and its identifier there.
struct FileIdentity {
    ULONGLONG volume = 0;
    FILE_ID_128 id{};
};

// Nothing when the system cannot tell; the caller reports GetLastError().
std::optional<FileIdentity> IdentityOf(HANDLE handle) {
    // The 128-bit identifier, which ReFS needs. Wine also gives it for the standard handles
    // that it made from inherited Linux descriptors, where GetFileInformationByHandle fails.
    FILE_ID_INFO idInfo{};
    if (::GetFileInformationByHandleEx(handle, FileIdInfo, &idInfo, sizeof idInfo)) {
        return FileIdentity{idInfo.VolumeSerialNumber, idInfo.FileId};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        return std::nullopt;
    }
    FileIdentity identity{info.dwVolumeSerialNumber, {}};
    const ULONGLONG index = (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    std::memcpy(identity.id.Identifier, &index, sizeof index);
    return identity;
}

bool AreOneFile(const FileIdentity& a, const FileIdentity& b) {
    // Wine does not know the volume of a standard handle made from a Linux descriptor and says
    // 0. Two files with one identifier on different volumes are then taken for one: refusing
    // a conversion is safe, reading and writing one file is not.
    // The low 32 bits are the serial number that both ways of asking give.
    const auto low = [](ULONGLONG volume) { return static_cast<DWORD>(volume); };
    const bool sameVolume = low(a.volume) == low(b.volume) || a.volume == 0 || b.volume == 0;
    return sameVolume && std::memcmp(a.id.Identifier, b.id.Identifier, sizeof a.id.Identifier) == 0;
}

std::intptr_t StandardHandle(DWORD which) {
    return reinterpret_cast<std::intptr_t>(::GetStdHandle(which));
}

}  // namespace

File File::OpenForReading(const std::string& path) {
    return File(OpenOrThrow(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                            FileOperation::OpenRead),
                path, true);
}

File File::OpenForWriting(const std::string& path) {
    // Reading its attributes tells whether it is the source under another name.
    return File(OpenOrThrow(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES, OPEN_ALWAYS, 0,
                            FileOperation::OpenWrite),
                path, true);
}

File File::OpenExistingForWriting(const std::string& path) {
    return File(OpenOrThrow(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES, OPEN_EXISTING, 0,
                            FileOperation::OpenWrite),
                path, true);
}

// The system's handles, not the C runtime's descriptors: no text mode can touch the bytes.
File File::StandardInput() {
    return File(StandardHandle(STD_INPUT_HANDLE), "standard input", false);
}

File File::StandardOutput() {
    return File(StandardHandle(STD_OUTPUT_HANDLE), "standard output", false);
}

void File::Release() noexcept {
    const NativeHandle handle = std::exchange(handle_, kNoHandle);
    if (handle != kNoHandle && std::exchange(owned_, false)) {
        ::CloseHandle(AsHandle(handle));
    }
}

std::size_t File::Read(std::span<std::uint8_t> buffer) {
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), MAXDWORD));
    DWORD read = 0;
    if (!::ReadFile(AsHandle(handle_), buffer.data(), wanted, &read, nullptr)) {
        const DWORD error = ::GetLastError();
        // The writing end of a pipe is closed: that is the end of the input.
        if (error == ERROR_BROKEN_PIPE) {
            return 0;
        }
        Fail(FileOperation::Read, ErrnoFor(error));
    }
    return read;
}

void File::Write(std::span<const std::uint8_t> data) {
    const WriteGate gate;
    while (!data.empty()) {
        const auto size = static_cast<DWORD>(std::min<std::size_t>(data.size(), MAXDWORD));
        DWORD written = 0;
        if (!::WriteFile(AsHandle(handle_), data.data(), size, &written, nullptr)) {
            Fail(FileOperation::Write, ErrnoFor(::GetLastError()));
        }
        if (written == 0) {
            // A write that moves nothing would be retried for ever.
            Fail(FileOperation::Write, EIO);
        }
        data = data.subspan(written);
    }
}

void File::LockExclusively() {
    // From the first byte to the last a file can have.
    OVERLAPPED whole{};
    if (!::LockFileEx(AsHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                      MAXDWORD, MAXDWORD, &whole)) {
        switch (const DWORD error = ::GetLastError()) {
            case ERROR_LOCK_VIOLATION:
                Fail(FileOperation::Lock, EWOULDBLOCK);
            // A file system without locks; so is, to Wine, a standard handle that it made from
            // a Linux descriptor.
            case ERROR_INVALID_FUNCTION:
            case ERROR_NOT_SUPPORTED:
                Fail(FileOperation::Lock, ENOLCK);
            default:
                Fail(FileOperation::Lock, ErrnoFor(error));
        }
    }
}

void File::Truncate(std::int64_t size) {
    // -1 is also the process's own pseudo-handle: a closed file must not reach the system.
    if (handle_ == kNoHandle) {
        Fail(FileOperation::Truncate, EBADF);
    }
    const HANDLE handle = AsHandle(handle_);
    LARGE_INTEGER position{};
    LARGE_INTEGER end{};
    end.QuadPart = size;
    if (!::SetFilePointerEx(handle, LARGE_INTEGER{}, &position, FILE_CURRENT) ||
        !::SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(handle)) {
        Fail(FileOperation::Truncate, ErrnoFor(::GetLastError()));
    }
    // Cutting a file does not move its position on POSIX either.
    ::SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
}

// Windows has no copy between two open handles inside the kernel: reading and writing do it.
std::optional<std::size_t> File::CopyTo(File&, std::size_t) {
    return std::nullopt;
}

// Only a hint, and one that helps only on Linux's tmpfs.
void File::Reserve(std::int64_t) {}

std::optional<std::int64_t> File::RegularFileSize() const {
    const HANDLE handle = AsHandle(handle_);
    // FILE_TYPE_UNKNOWN is a failure only when an error comes with it.
    ::SetLastError(NO_ERROR);
    const DWORD type = ::GetFileType(handle);
    if (type == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR) {
        Fail(FileOperation::Identify, ErrnoFor(::GetLastError()));
    }
    if (type != FILE_TYPE_DISK) {
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size)) {
        Fail(FileOperation::Identify, ErrnoFor(::GetLastError()));
    }
    return size.QuadPart;
}

bool File::IsSameFileAs(const File& other) const {
    // A pipe has two ends, one for reading and one for writing: unlike a POSIX pipe, it can
    // never serve as both source and destination. So only disk files can collide.
    if (::GetFileType(AsHandle(handle_)) != FILE_TYPE_DISK ||
        ::GetFileType(AsHandle(other.handle_)) != FILE_TYPE_DISK) {
        return false;
    }
    const auto mine = IdentityOf(AsHandle(handle_));
    if (!mine) {
        Fail(FileOperation::Identify, ErrnoFor(::GetLastError()));
    }
    const auto theirs = IdentityOf(AsHandle(other.handle_));
    if (!theirs) {
        other.Fail(FileOperation::Identify, ErrnoFor(::GetLastError()));
    }
    return AreOneFile(*mine, *theirs);
}

void File::Close() {
    if (handle_ == kNoHandle || !owned_) {
        handle_ = kNoHandle;
        return;
    }
    // The handle is gone even when closing it fails, so the close is made on a spare one,
    // which stands in for it if the file has to be cut back after all.
    const HANDLE process = ::GetCurrentProcess();
    HANDLE spare = nullptr;
    if (!::DuplicateHandle(process, AsHandle(handle_), process, &spare, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)) {
        Fail(FileOperation::Close, ErrnoFor(::GetLastError()));
    }
    if (!::CloseHandle(AsHandle(std::exchange(handle_, reinterpret_cast<std::intptr_t>(spare))))) {
        Fail(FileOperation::Close, ErrnoFor(::GetLastError()));
    }
    Release();
}

std::int64_t File::WriteOffset() const {
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(AsHandle(handle_), LARGE_INTEGER{}, &position, FILE_CURRENT)) {
        Fail(FileOperation::Identify, ErrnoFor(::GetLastError()));
    }
    return position.QuadPart;
}

// Windows hands a program its standard handles whatever they are: no file it opens can take the
// place of a missing one.
bool OccupyClosedStandardStreams() {
    return true;
}

bool IsSameFile(const File& file, const std::string& path) {
    if (path == file.Name()) {
        return true;
    }
    const auto wide = WideFromUtf8Strict(path);
    if (!wide) {
        return false;
    }
    // Reading attributes needs no permission on the file itself, and a folder opens too.
    const HANDLE handle = ::CreateFileW(wide->c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (ErrnoFor(error) == ENOENT || error == ERROR_INVALID_NAME) {
            return false;
        }
        throw FileError(FileOperation::Identify, path, ErrnoFor(error));
    }
    const File other(reinterpret_cast<std::intptr_t>(handle), path, true);
    return file.IsSameFileAs(other);
}

}  // namespace pomuru
