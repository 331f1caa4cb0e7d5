// The command line's system side on Windows: wide arguments and console text, binary streams.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.

#include <cstdio>

#include "base/utf16_text.h"
#include "cli/console.h"

namespace pomuru {

namespace {

HANDLE Handle(StandardStream stream) {
    switch (stream) {
        case StandardStream::Input:
            return ::GetStdHandle(STD_INPUT_HANDLE);
        case StandardStream::Output:
            return ::GetStdHandle(STD_OUTPUT_HANDLE);
        case StandardStream::Error:
            return ::GetStdHandle(STD_ERROR_HANDLE);
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

void PrepareStandardStreams() {
    // The data goes through the system's handles; the C runtime's streams carry only messages,
    // and in text mode they would end lines differently from every other byte written.
    for (std::FILE* stream : {stdin, stdout, stderr}) {
        ::_setmode(::_fileno(stream), _O_BINARY);
    }
}

std::vector<std::string> Utf8Arguments(int argc, NativeArgument argv[]) {
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(Utf8FromWide(argv[i]));
    }
    return arguments;
}

bool IsTerminal(StandardStream stream) {
    // _isatty also takes the NUL device for a terminal.
    DWORD mode = 0;
    return ::GetConsoleMode(Handle(stream), &mode) != 0;
}

bool WriteConsoleText(StandardStream stream, std::string_view text) {
    if (!IsTerminal(stream)) {
        return false;
    }
    const std::wstring wide = WideFromUtf8(text);
    DWORD written = 0;
    ::WriteConsoleW(Handle(stream), wide.data(), static_cast<DWORD>(wide.size()), &written,
                    nullptr);
    return true;
}

}  // namespace pomuru
