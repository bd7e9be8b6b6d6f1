// SIGINT and SIGTERM: an async-signal-safe handler (it stores the signal, writes one byte to a
// pipe or calls _exit) and a watchdog thread that does the waiting.
#include "system/stop_signal.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace vexil {
namespace {

volatile std::sig_atomic_t g_stop_signal = 0;
std::atomic<bool> g_acknowledged{false};
// The handler wakes the watchdog through this pipe: write() may be called from a handler.
int g_wake[2] = {-1, -1};

void RecordStopSignal(int signal) {
  if (g_stop_signal != 0) _exit(128 + g_stop_signal);  // the second one: no more waiting
  g_stop_signal = signal;
  const int saved = errno;
  if (g_wake[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_wake[1], &byte, 1);
  }
  errno = saved;
}

#ifndef __EMSCRIPTEN__
// Sleeps until `deadline` or until the acknowledgement arrives, whichever is first; true when
// it arrived.
bool WaitForAcknowledgement(std::chrono::steady_clock::time_point deadline) {
  while (std::chrono::steady_clock::now() < deadline) {
    if (g_acknowledged.load()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return g_acknowledged.load();
}

void Watch() {
  for (;;) {
    char byte;
    const ssize_t got = read(g_wake[0], &byte, 1);
    if (got == 1) break;
    if (got < 0 && errno == EINTR) continue;
    return;  // the pipe is broken: no watching, the loops still see the flag
  }
  const auto noticed = std::chrono::steady_clock::now();
  if (WaitForAcknowledgement(noticed + std::chrono::milliseconds(kStopAcknowledgeMs))) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kStopCleanupMs));
  }
  _exit(128 + g_stop_signal);
}
#endif

}  // namespace

void CatchStopSignals() {
#ifndef __EMSCRIPTEN__  // a page has no signals and no thread to spare
  if (g_wake[0] < 0 && pipe2(g_wake, O_CLOEXEC) == 0) std::thread(Watch).detach();
#endif
  struct sigaction action {};
  action.sa_handler = RecordStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a write in progress finishes instead of failing with EINTR
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void TreatFileSizeLimitAsWriteError() {
  std::signal(SIGXFSZ, SIG_IGN);
}

int StopSignalReceived() {
  return g_stop_signal;
}

void AcknowledgeStop() {
  g_acknowledged.store(true);
}

int ExitStatusAfterStop(int status) {
  return g_stop_signal != 0 ? 128 + g_stop_signal : status;
}

void RestoreDefaultStopSignals() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

const char* StopSignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
  }
  return "a signal";
}

}  // namespace vexil
