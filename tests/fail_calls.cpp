// Makes chosen system calls fail, for the command-line tests: loaded with LD_PRELOAD and told by
// POMURU_FAIL which calls, e.g. "fstat@2=5,write=0": every fstat from the second on fails with
// EIO, and every write returns 0. Calls on the standard streams are left alone, so that the
// program can still report.
#include <dlfcn.h>
#include <sys/types.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

struct Rule {
    bool active = false;
    long from = 1;  // the first call that fails, counting from 1
    int error = 0;  // errno, or 0: the call returns 0 without failing
};

// Reads the rule for one call from POMURU_FAIL.
Rule RuleFor(std::string_view call) {
    const char* text = std::getenv("POMURU_FAIL");
    std::string_view rules = text != nullptr ? text : "";
    while (!rules.empty()) {
        const std::string_view rule = rules.substr(0, rules.find(','));
        rules.remove_prefix(std::min(rules.size(), rule.size() + 1));
        const auto equals = rule.find('=');
        const std::string_view target = rule.substr(0, std::min(equals, rule.find('@')));
        if (target != call || equals == std::string_view::npos) {
            continue;
        }
        Rule found{true, 1, std::atoi(rule.substr(equals + 1).data())};
        if (const auto at = rule.find('@'); at != std::string_view::npos) {
            found.from = std::atol(rule.substr(at + 1).data());
        }
        return found;
    }
    return {};
}

// True when this call is to fail; sets errno then.
bool ShouldFail(std::string_view call, std::atomic<long>& count, int fd, int& result) {
    const Rule rule = RuleFor(call);
    if (!rule.active || fd <= 2 || ++count < rule.from) {
        return false;
    }
    errno = rule.error;
    result = rule.error == 0 ? 0 : -1;
    return true;
}

template <class Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int fstat(int fd, struct stat* info) {
    static std::atomic<long> count;
    int result = 0;
    if (ShouldFail("fstat", count, fd, result)) {
        return result;
    }
    return Next<int (*)(int, struct stat*)>("fstat")(fd, info);
}

ssize_t write(int fd, const void* data, size_t size) {
    static std::atomic<long> count;
    int result = 0;
    if (ShouldFail("write", count, fd, result)) {
        return result;
    }
    return Next<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, size);
}

int ftruncate(int fd, off_t length) {
    static std::atomic<long> count;
    int result = 0;
    if (ShouldFail("ftruncate", count, fd, result)) {
        return result;
    }
    return Next<int (*)(int, off_t)>("ftruncate")(fd, length);
}

int close(int fd) {
    static std::atomic<long> count;
    int result = 0;
    if (ShouldFail("close", count, fd, result)) {
        return result;
    }
    return Next<int (*)(int)>("close")(fd);
}

}  // extern "C"
