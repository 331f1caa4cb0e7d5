// English wording of conversion errors.
#include "cipher/conversion_error.h"

#include <cstring>

namespace pomuru {

namespace {

const char* Verb(ConversionError::Action action) {
    switch (action) {
        case ConversionError::Action::OpenSource:
            return "cannot open";
        case ConversionError::Action::OpenDest:
            return "cannot create";
        case ConversionError::Action::Read:
            return "cannot read";
        case ConversionError::Action::Write:
            return "cannot write";
        case ConversionError::Action::Close:
            return "cannot close";
    }
    return "cannot use";
}

}  // namespace

std::string ConversionError::Describe() const {
    return std::string(Verb(action)) + " " + path + ": " + std::strerror(systemError);
}

}  // namespace pomuru
