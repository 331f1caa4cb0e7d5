// English wording of file errors.
#include "cipher/file_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace pomuru {

namespace {

const char* Verb(FileOperation operation) {
    switch (operation) {
        case FileOperation::OpenRead:
            return "cannot open";
        case FileOperation::OpenWrite:
            return "cannot create";
        case FileOperation::Identify:
            return "cannot identify";
        case FileOperation::Lock:
            return "cannot lock";
        case FileOperation::Read:
            return "cannot read";
        case FileOperation::Write:
            return "cannot write";
        case FileOperation::Truncate:
            return "cannot truncate";
        case FileOperation::Close:
            return "cannot close";
    }
    return "cannot use";
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string printable;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            printable += "\\n";
        } else if (c == '\t') {
            printable += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            printable += escape;
        } else {
            printable += c;
        }
    }
    return printable;
}

std::string Quoted(std::string_view text) {
    // Appended rather than "'" + ... + "'", which GCC 12 at -O3 warns about wrongly (-Wrestrict).
    std::string quoted(1, '\'');
    quoted += Printable(text);
    quoted += '\'';
    return quoted;
}

FileError::FileError(FileOperation operation, std::string fileName, int systemError, bool isStream)
    : operation_(operation),
      fileName_(std::move(fileName)),
      systemError_(systemError),
      isStream_(isStream) {
    Describe();
}

bool FileError::IsBusy() const {
    return operation_ == FileOperation::Lock &&
           (systemError_ == EWOULDBLOCK || systemError_ == EAGAIN);
}

void FileError::AddFailedCleanup(std::string destName, bool destIsStream, int systemError) {
    cleanupFileName_ = std::move(destName);
    cleanupIsStream_ = destIsStream;
    cleanupError_ = systemError;
    Describe();
}

void FileError::Describe() {
    const auto nameOf = [](const std::string& name, bool isStream) {
        return isStream ? name : Quoted(name);
    };
    const std::string name = nameOf(fileName_, isStream_);
    if (IsBusy()) {
        english_ = name + " is being written by another run";
    } else {
        english_ = std::string(Verb(operation_)) + " " + name + ": " + std::strerror(systemError_);
    }
    if (cleanupError_ != 0) {
        english_ += "; " + nameOf(cleanupFileName_, cleanupIsStream_) +
                    " could not be cut back either: " + std::strerror(cleanupError_);
    }
}

}  // namespace pomuru
