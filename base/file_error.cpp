// English wording of file errors.
#include "base/file_error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "base/utf16_text.h"

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

// U+0080 to U+009F, which terminals obey as control sequences much as they obey ESC.
bool IsC1Control(std::string_view text) {
    return text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xC2 &&
           static_cast<unsigned char>(text[1]) < 0xA0;
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string printable;
    while (!text.empty()) {
        const std::size_t length = WellFormedUtf8Length(text);
        const auto byte = static_cast<unsigned char>(text.front());
        if (text.front() == '\n') {
            printable += "\\n";
        } else if (text.front() == '\t') {
            printable += "\\t";
        } else if (length == 0 || byte < 0x20 || byte == 0x7F || IsC1Control(text)) {
            // One byte at a time: what follows an ill-formed byte may still be a character.
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            printable += escape;
            text.remove_prefix(1);
            continue;
        } else {
            printable += text.substr(0, length);
        }
        text.remove_prefix(std::max<std::size_t>(length, 1));
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
