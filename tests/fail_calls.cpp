// Makes chosen system calls fail, for the command-line tests: loaded with LD_PRELOAD and told by
// POMURU_FAIL which calls, e.g. "fstat@2=5,write=0": every fstat from the second on fails with
// EIO, and every write returns 0. Calls on the standard streams are left alone, so that the
// program can still report.
#include <dlfcn.h>
#include <sys/types.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace {

// Calls the real function unless POMURU_FAIL says that this call of it fails.
template <class Result, class... Args>
Result Call(const char* name, std::atomic<long>& count, int fd, Args... args) {
    std::string_view rules =
        std::getenv("POMURU_FAIL") != nullptr ? std::getenv("POMURU_FAIL") : "";
    while (!rules.empty() && fd > 2) {
        const std::string_view rule = rules.substr(0, rules.find(','));
        rules.remove_prefix(std::min(rules.size(), rule.size() + 1));
        const auto equals = rule.find('=');
        if (equals == std::string_view::npos || rule.substr(0, rule.find_first_of("@=")) != name) {
            continue;
        }
        const auto at = rule.find('@');
        const long from = at != std::string_view::npos ? std::atol(rule.data() + at + 1) : 1;
        if (++count < from) {
            break;
        }
        errno = std::atoi(rule.data() + equals + 1);
        return errno == 0 ? 0 : -1;
    }
    return reinterpret_cast<Result (*)(int, Args...)>(::dlsym(RTLD_NEXT, name))(fd, args...);
}

}  // namespace

extern "C" {

int fstat(int fd, struct stat* info) {
    static std::atomic<long> count;
    return Call<int>("fstat", count, fd, info);
}

ssize_t write(int fd, const void* data, size_t size) {
    static std::atomic<long> count;
    return Call<ssize_t>("write", count, fd, data, size);
}

int ftruncate(int fd, off_t length) {
    static std::atomic<long> count;
    return Call<int>("ftruncate", count, fd, length);
}

int close(int fd) {
    static std::atomic<long> count;
    return Call<int>("close", count, fd);
}

}  // extern "C"
