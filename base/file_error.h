// What went wrong with a file: the operation, the file and the system's reason.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace pomuru {

enum class FileOperation {
    OpenRead,   // opening a source, or probing a file for reading
    OpenWrite,  // opening or creating a destination
    Identify,   // telling whether two open files are one
    Lock,       // taking a destination for this run alone
    Read,
    Write,
    Truncate,  // emptying a destination
    Close,
};

// Thrown by the file layer. The window words it in Japanese, the command line in English.
class FileError : public std::exception {
public:
    // isStream: the file is a standard stream, named in words rather than by a path.
    FileError(FileOperation operation, std::string fileName, int systemError,
              bool isStream = false);

    FileOperation Operation() const { return operation_; }
    // The file as the user named it, or the name of a standard stream.
    const std::string& FileName() const { return fileName_; }
    bool IsStream() const { return isStream_; }
    int SystemError() const { return systemError_; }  // errno
    // Another run holds the destination.
    bool IsBusy() const;

    // The destination could not be cut back after this failure either: the message says so.
    void AddFailedCleanup(std::string destName, bool destIsStream, int systemError);
    const std::string& CleanupFileName() const { return cleanupFileName_; }
    int CleanupError() const { return cleanupError_; }  // 0: none failed

    // English, e.g. "cannot read 'x.bin': Input/output error".
    const char* what() const noexcept override { return english_.c_str(); }

private:
    void Describe();

    FileOperation operation_;
    std::string fileName_;
    int systemError_;
    bool isStream_;
    std::string cleanupFileName_;
    bool cleanupIsStream_ = false;
    int cleanupError_ = 0;
    std::string english_;
};

// A file name or argument fit for a one-line message: control characters, which could break
// the line or move the cursor (C0, DEL and C1), and bytes that are no UTF-8, which a terminal
// would garble, are written as escapes (\n, \t, \x1B, \xC3 ...).
std::string Printable(std::string_view text);

// Printable, in quotes, as the command line's messages give paths and arguments.
std::string Quoted(std::string_view text);

}  // namespace pomuru
