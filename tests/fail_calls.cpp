// Makes chosen system calls fail or wait, for the command-line tests: loaded with LD_PRELOAD and
// told by POMURU_FAIL which calls, e.g. "fstat@2=5,write=0,close:dst.bin@2=wait-after": every
// fstat from the second on fails with EIO, every write returns 0, and the second close of a
// descriptor of dst.bin is made and then waits while a folder waiting.close exists, which it
// creates (for a minute at most), so that the test can act at that moment; wait-before waits
// before the call. Calls on the standard streams are left alone, so that the program can still
// report. "aligned_alloc=12" makes every aligned allocation fail, as memory running
// out would.
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>
#include <string_view>

namespace {

// Whether the descriptor is open on a file of that name; every one is, without a name.
bool Names(int fd, std::string_view file) {
    if (file.empty()) {
        return true;
    }
    char target[4096];
    const ssize_t length =
        ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
    const std::string_view path(target, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.ends_with("/" + std::string(file));
}

void WaitWhileMarked(const std::string& marker) {
    ::mkdir(marker.c_str(), 0700);
    const timespec pause{0, 10'000'000};
    struct stat info {};
    for (int i = 0; i < 6000 && ::stat(marker.c_str(), &info) == 0; ++i) {
        ::nanosleep(&pause, nullptr);
    }
}

// Calls the real function unless POMURU_FAIL says that this call of it fails or waits.
template <class Result, class... Args>
Result Call(const char* name, std::atomic<long>& count, int fd, Args... args) {
    const auto real = reinterpret_cast<Result (*)(int, Args...)>(::dlsym(RTLD_NEXT, name));
    std::string_view rules =
        std::getenv("POMURU_FAIL") != nullptr ? std::getenv("POMURU_FAIL") : "";
    while (!rules.empty() && fd > 2) {
        const std::string_view rule = rules.substr(0, rules.find(','));
        rules.remove_prefix(std::min(rules.size(), rule.size() + 1));
        const auto equals = rule.find('=');
        const auto colon = rule.find(':');
        const std::string_view file =
            colon < equals ? rule.substr(colon + 1, rule.find_first_of("@=") - colon - 1) : "";
        if (equals == std::string_view::npos || rule.substr(0, rule.find_first_of(":@=")) != name ||
            !Names(fd, file)) {
            continue;
        }
        const auto at = rule.find('@');
        const long from = at != std::string_view::npos ? std::atol(rule.data() + at + 1) : 1;
        const long number = ++count;
        if (number < from) {
            break;
        }
        const std::string_view action = rule.substr(equals + 1);
        if (action.starts_with("wait-")) {
            const auto wait = [&] {
                if (number == from) {
                    WaitWhileMarked("waiting." + std::string(name));
                }
            };
            if (action == "wait-before") {
                wait();
            }
            const Result result = real(fd, args...);
            if (action == "wait-after") {
                wait();
            }
            return result;
        }
        errno = std::atoi(rule.data() + equals + 1);
        return errno == 0 ? 0 : -1;
    }
    return real(fd, args...);
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

int flock(int fd, int operation) {
    static std::atomic<long> count;
    return Call<int>("flock", count, fd, operation);
}

int close(int fd) {
    static std::atomic<long> count;
    return Call<int>("close", count, fd);
}

}  // extern "C"

// Aligned allocations, as the converter's block is made. Under the sanitizers their runtime's
// operator new never reaches aligned_alloc, so the failure is made here, where both builds pass.
void* operator new[](std::size_t size, std::align_val_t alignment) {
    const char* rules = std::getenv("POMURU_FAIL");
    if (rules != nullptr &&
        std::string_view(rules).find("aligned_alloc=12") != std::string_view::npos) {
        throw std::bad_alloc();
    }
    using Real = void* (*)(std::size_t, std::align_val_t);
    return reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "_ZnamSt11align_val_t"))(size, alignment);
}
