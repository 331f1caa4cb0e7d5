// Opening the operands and telling whether they lead to one file.
#include "cli/operands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "cipher/file_identity.h"
#include "cli/command_line.h"

namespace pomuru {

namespace {

bool IsStream(const std::string& operand) {
    return operand == kStandardStream;
}

std::string StreamName(int fd) {
    return fd == STDIN_FILENO ? "standard input" : "standard output";
}

// Only regular files count: a socket or terminal serving as both streams is a normal setup,
// while a file read and written at once is lost or grows without end.
bool IsRegular(const struct stat& info) {
    return S_ISREG(info.st_mode);
}

bool SameRegularFile(const struct stat& a, const struct stat& b) {
    return IsRegular(a) && IsRegular(b) && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool StreamIsFile(int fd, const std::string& path) {
    struct stat stream {};
    struct stat file {};
    return ::fstat(fd, &stream) == 0 && ::stat(path.c_str(), &file) == 0 &&
           SameRegularFile(stream, file);
}

bool StreamsAreOneFile() {
    struct stat input {};
    struct stat output {};
    return ::fstat(STDIN_FILENO, &input) == 0 && ::fstat(STDOUT_FILENO, &output) == 0 &&
           SameRegularFile(input, output);
}

std::variant<Endpoint, ConversionError> BorrowStream(int fd) {
    return Endpoint{FileDescriptor(fd, false), StreamName(fd), ""};
}

}  // namespace

std::string SourceName(const std::string& source) {
    return IsStream(source) ? StreamName(STDIN_FILENO) : source;
}

std::string DestName(const std::string& dest) {
    return IsStream(dest) ? StreamName(STDOUT_FILENO) : dest;
}

bool OperandsNameSameFile(const std::string& source, const std::string& dest) {
    if (IsStream(source) && IsStream(dest)) {
        return StreamsAreOneFile();
    }
    if (IsStream(source)) {
        return StreamIsFile(STDIN_FILENO, dest);
    }
    if (IsStream(dest)) {
        return StreamIsFile(STDOUT_FILENO, source);
    }
    return SameFile(source, dest);
}

std::variant<ConversionJob, ConversionError> OpenOperands(const std::string& source,
                                                          const std::string& dest) {
    auto in = IsStream(source) ? BorrowStream(STDIN_FILENO) : OpenSourceFile(source);
    if (const auto* error = std::get_if<ConversionError>(&in)) {
        return *error;
    }
    auto out = IsStream(dest) ? BorrowStream(STDOUT_FILENO) : CreateDestFile(dest);
    if (const auto* error = std::get_if<ConversionError>(&out)) {
        return *error;
    }
    return ConversionJob(std::get<Endpoint>(std::move(in)), std::get<Endpoint>(std::move(out)));
}

}  // namespace pomuru
