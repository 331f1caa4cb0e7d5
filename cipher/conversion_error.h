// What went wrong in a conversion: the action, the file and the system's reason.
#pragma once

#include <string>

namespace pomuru {

struct ConversionError {
    enum class Action { OpenSource, OpenDest, Read, Write, Close };

    Action action;
    std::string path;  // the file as the user named it
    int systemError;   // errno

    // English text for logs and the command line, e.g. "cannot read x.bin: Input/output error".
    std::string Describe() const;
};

}  // namespace pomuru
