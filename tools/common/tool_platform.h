// What the command-line tools need from the system around them: their
// arguments as UTF-8, standard streams that carry UTF-8 unchanged, whether a
// stream is a terminal, Ctrl-C, and a terminal read that gives up after a
// while. One implementation per system (tool_platform_posix.cpp,
// tool_platform_win32.cpp); the tools themselves name no system call.
#ifndef QUILLOMAR_TOOLS_COMMON_TOOL_PLATFORM_H_
#define QUILLOMAR_TOOLS_COMMON_TOOL_PLATFORM_H_

#include <string>
#include <vector>

namespace toolplatform {

// The command-line arguments after the program's name, in UTF-8. On Windows
// they are read from the wide command line, so names outside the ANSI code
// page arrive intact.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes standard output and standard error carry the program's bytes as they
// are (on Windows: no LF -> CR LF translation, and a console that shows
// UTF-8). Call once, before anything is written.
void PrepareStandardStreams();

// True when standard input / standard error is an interactive terminal.
bool StdinIsTerminal();
bool StderrIsTerminal();

// Installs a Ctrl-C handler that only sets a flag; a second Ctrl-C while the
// first is pending ends the program at once.
void InstallInterruptHandler();
// True once Ctrl-C was pressed (or RequestInterrupt called).
bool InterruptRequested();
// Sets the flag as Ctrl-C does (tests).
void RequestInterrupt();

enum class ReadOutcome {
  kCharacter,  // *c holds the next byte of the line (never '\r')
  kEnd,        // standard input ended or failed
  kNothingYet  // nothing arrived within the wait; ask again
};

// Reads one byte from standard input, waiting at most about `wait_ms`
// milliseconds for it where the system can wait on the stream.
ReadOutcome ReadStdinByte(int wait_ms, char* c);

}  // namespace toolplatform

#endif  // QUILLOMAR_TOOLS_COMMON_TOOL_PLATFORM_H_
