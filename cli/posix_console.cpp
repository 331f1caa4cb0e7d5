// The command line's system side on POSIX: arguments and terminals take UTF-8 as it is.
#include <unistd.h>

#include <csignal>

#include "cli/console.h"

namespace pomuru {

namespace {

int Descriptor(StandardStream stream) {
    switch (stream) {
        case StandardStream::Input:
            return STDIN_FILENO;
        case StandardStream::Output:
            return STDOUT_FILENO;
        case StandardStream::Error:
            return STDERR_FILENO;
    }
    return -1;
}

}  // namespace

void PrepareStandardStreams() {
    // A closed pipe and a file size limit then come back from write as EPIPE and EFBIG and are
    // handled like any other failure, instead of killing the program with DEST half-written.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

std::vector<std::string> Utf8Arguments(int argc, NativeArgument argv[]) {
    return {argv, argv + argc};
}

bool IsTerminal(StandardStream stream) {
    return ::isatty(Descriptor(stream)) == 1;
}

bool WriteConsoleText(StandardStream, std::string_view) {
    return false;
}

}  // namespace pomuru
