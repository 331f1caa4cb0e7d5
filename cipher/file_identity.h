// Whether two paths lead to one existing file.
#pragma once

#include <string>

namespace pomuru {

// True when both paths name the same existing file (same device and inode), whatever the
// spelling: symbolic links, hard links, relative against absolute. False if either is missing.
bool SameExistingFile(const std::string& a, const std::string& b);

// True when the paths are equal as texts or name the same existing file.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace pomuru
