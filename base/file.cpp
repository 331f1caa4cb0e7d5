// The file layer's parts that do not depend on the system: ownership of the handle and errors.
#include <utility>

#include "base/file.h"

namespace pomuru {

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)),
      name_(std::move(other.name_)),
      owned_(std::exchange(other.owned_, false)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = std::exchange(other.handle_, kNoHandle);
        name_ = std::move(other.name_);
        owned_ = std::exchange(other.owned_, false);
    }
    return *this;
}

File::~File() {
    Release();
}

void File::Fail(FileOperation operation, int systemError) const {
    throw FileError(operation, name_, systemError, !owned_);
}

}  // namespace pomuru
