// What the command line does differently on each system: its arguments, the terminal, and the
// text it shows people.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pomuru {

enum class StandardStream { Input, Output, Error };

// Binary standard streams, and write failures reported as errors rather than signals.
void PrepareStandardStreams();

// The arguments as the system hands them to the program: in UTF-16 on Windows (wmain), where
// the narrow ones would be in the ANSI code page, which cannot hold every file name.
#ifdef _WIN32
using NativeArgument = wchar_t*;
#else
using NativeArgument = char*;
#endif

// The program's arguments in UTF-8, whatever the system's own encoding of them.
std::vector<std::string> Utf8Arguments(int argc, NativeArgument argv[]);

// Whether the stream is a terminal (on Windows a console; the NUL device is none).
bool IsTerminal(StandardStream stream);

// Writes text for people to a Windows console through its own call, which shows every
// character whatever the console's code page. Returns false, having written nothing, for any
// other stream and on POSIX, where terminals take the UTF-8 bytes as they are.
bool WriteConsoleText(StandardStream stream, std::string_view text);

}  // namespace pomuru
