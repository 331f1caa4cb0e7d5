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

// The program's arguments in UTF-8, whatever the system's own encoding of them.
std::vector<std::string> Utf8Arguments(int argc, char* argv[]);

// Whether the stream is a terminal (on Windows a console; the NUL device is none).
bool IsTerminal(StandardStream stream);

// Writes text for people to a Windows console through its own call, which shows every
// character whatever the console's code page. Returns false, having written nothing, for any
// other stream and on POSIX, where terminals take the UTF-8 bytes as they are.
bool WriteConsoleText(StandardStream stream, std::string_view text);

}  // namespace pomuru
