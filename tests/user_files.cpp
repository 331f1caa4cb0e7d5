// The user's folders on Linux: HOME and the XDG folders.
#include "user_files.h"

#include <cstdlib>

namespace pomuru::test {

std::set<std::filesystem::path> UserFiles() {
    std::set<std::filesystem::path> files;
    for (const char* variable :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        std::error_code error;
        const char* folder = std::getenv(variable);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(
                 folder != nullptr ? folder : "", error)) {
            if (!entry.is_directory()) {
                files.insert(entry.path());
            }
        }
    }
    return files;
}

}  // namespace pomuru::test
