// The command-line tools' system pieces on Windows.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

// After windows.h, which it needs:
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>

#include "foxpro/util/win32_text.h"
#include "tool_platform.h"

namespace toolplatform {
namespace {

std::atomic<bool> g_interrupt{false};

// Runs on a thread of its own that Windows starts for the event.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  // A second Ctrl-C: FALSE lets Windows end the program at once.
  if (g_interrupt.exchange(true)) return FALSE;
  return TRUE;
}

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(foxpro::win32::WideToUtf8(wide[i]));
  LocalFree(wide);
  return args;
}

void PrepareStandardStreams() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
}

bool StdinIsTerminal() { return IsConsole(STD_INPUT_HANDLE); }
bool StderrIsTerminal() { return IsConsole(STD_ERROR_HANDLE); }

void InstallInterruptHandler() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool InterruptRequested() { return g_interrupt.load(); }
void RequestInterrupt() { g_interrupt.store(true); }

ReadOutcome ReadStdinByte(int wait_ms, char* c) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  // A console can be waited on (it is signalled once any input is there); a
  // pipe or file cannot, and is read directly.
  if (GetFileType(in) == FILE_TYPE_CHAR &&
      WaitForSingleObject(in, static_cast<DWORD>(wait_ms)) != WAIT_OBJECT_0) {
    return ReadOutcome::kNothingYet;
  }
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, c, 1, &got, nullptr) || got == 0) {
      // Ctrl-C also ends a console read, and its handler runs on a thread of
      // its own: give it the moment it needs to set the flag.
      Sleep(100);
      return ReadOutcome::kEnd;
    }
    if (*c != '\r') return ReadOutcome::kCharacter;
  }
}

}  // namespace toolplatform
