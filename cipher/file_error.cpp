// English wording of file errors.
#include "cipher/file_error.h"

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

FileError::FileError(FileOperation operation, std::string fileName, int systemError)
    : operation_(operation),
      fileName_(std::move(fileName)),
      systemError_(systemError),
      english_(std::string(Verb(operation)) + " " + fileName_ + ": " + std::strerror(systemError)) {
}

}  // namespace pomuru
