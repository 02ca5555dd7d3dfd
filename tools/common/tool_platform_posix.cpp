// The command-line tools' system pieces on POSIX systems.
#include <poll.h>
#include <unistd.h>

#include <csignal>

#include "tool_platform.h"

namespace toolplatform {
namespace {

volatile std::sig_atomic_t g_interrupt = 0;

extern "C" void OnInterrupt(int) {
  if (g_interrupt != 0) {
    // A second Ctrl-C: the user does not want to wait for the row boundary.
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
    return;
  }
  g_interrupt = 1;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

void PrepareStandardStreams() {}

bool StdinIsTerminal() { return isatty(STDIN_FILENO) != 0; }
bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

void InstallInterruptHandler() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // Calls in progress (a driver reading its socket) carry on; the flag is
  // looked at between rows.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return g_interrupt != 0; }
void RequestInterrupt() { g_interrupt = 1; }

ReadOutcome ReadStdinByte(int wait_ms, char* c) {
  pollfd fd = {STDIN_FILENO, POLLIN, 0};
  if (poll(&fd, 1, wait_ms) <= 0) return ReadOutcome::kNothingYet;
  const ssize_t n = read(STDIN_FILENO, c, 1);
  return n <= 0 ? ReadOutcome::kEnd : ReadOutcome::kCharacter;
}

}  // namespace toolplatform
