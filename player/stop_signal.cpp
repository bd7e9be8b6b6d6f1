// Recording SIGINT and SIGTERM for the capture loop; a handler does nothing but store.
#include "stop_signal.h"

#include <csignal>

namespace vexil {
namespace {

volatile std::sig_atomic_t g_stop_signal = 0;

void RecordStopSignal(int signal) {
  if (g_stop_signal == 0) g_stop_signal = signal;
}

}  // namespace

void CatchStopSignals() {
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
