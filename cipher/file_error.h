// What went wrong with a file: the operation, the file and the system's reason.
#pragma once

#include <exception>
#include <string>

namespace pomuru {

enum class FileOperation {
    OpenRead,   // opening a source, or probing a file for reading
    OpenWrite,  // opening or creating a destination
    Identify,   // telling whether two open files are one
    Read,
    Write,
    Truncate,  // emptying a destination, or cutting it back after a failure
    Close,
};

// Thrown by the file layer. The window words it in Japanese, the command line in English.
class FileError : public std::exception {
public:
    FileError(FileOperation operation, std::string fileName, int systemError);

    FileOperation Operation() const { return operation_; }
    // The file as the user named it, or the name of a standard stream.
    const std::string& FileName() const { return fileName_; }
    int SystemError() const { return systemError_; }  // errno

    // English, e.g. "cannot read x.bin: Input/output error".
    const char* what() const noexcept override { return english_.c_str(); }

private:
    FileOperation operation_;
    std::string fileName_;
    int systemError_;
    std::string english_;
};

}  // namespace pomuru
