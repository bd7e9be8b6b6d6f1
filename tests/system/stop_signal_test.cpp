// SIGINT and SIGTERM end the process with 130 or 143 whatever its threads do: each case runs
// in a forked child, which the test waits for with a limit and kills if it outlives it.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "system/stop_signal.h"

namespace {

struct Ending {
  int status = -1;      // exit status, -1 when killed
  bool marked = false;  // the child wrote to its pipe before it ended
};

// Runs `body` in a child with the stop signals caught; `mark` writes one byte the test reads.
Ending RunChild(const std::function<void(const std::function<void()>& mark)>& body) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_fds[0]);
    vexil::CatchStopSignals();
    body([&] { [[maybe_unused]] const ssize_t n = write(pipe_fds[1], "x", 1); });
    _exit(99);
  }
  close(pipe_fds[1]);
  Ending ending;
  int status = 0;
  // Ten seconds is far past any bound the watchdog keeps; past it the child is stuck.
  for (int waited = 0; waited < 1000 && waitpid(child, &status, WNOHANG) == 0; ++waited)
    usleep(10 * 1000);
  if (waitpid(child, &status, WNOHANG) == 0) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  if (WIFEXITED(status)) ending.status = WEXITSTATUS(status);
  char byte;
  ending.marked = read(pipe_fds[0], &byte, 1) == 1;
  close(pipe_fds[0]);
  return ending;
}

void SleepForever() {
  for (;;) pause();
}

TEST(StopSignal, AStopNobodyAcknowledgesEndsTheProcess) {
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    // The main thread is stuck where no loop would see the flag, as in a decoder that never
    // returns.
    const Ending ending = RunChild([&](const auto&) {
      raise(signal);
      SleepForever();
    });
    EXPECT_EQ(128 + signal, ending.status);
  }
}

TEST(StopSignal, AnAcknowledgedStopGetsTimeToCleanUpAndIsThenEnded) {
  const Ending finished = RunChild([](const auto& mark) {
    raise(SIGTERM);
    vexil::AcknowledgeStop();
    usleep((vexil::kStopAcknowledgeMs + 500) * 1000);  // longer than an unacknowledged stop
    mark();
    _exit(vexil::ExitStatusAfterStop(0));
  });
  EXPECT_EQ(143, finished.status);
  EXPECT_TRUE(finished.marked) << "the cleanup was cut short";

  const Ending stuck = RunChild([](const auto&) {
    raise(SIGINT);
    vexil::AcknowledgeStop();
    SleepForever();  // a cleanup that never ends
  });
  EXPECT_EQ(130, stuck.status);
}

TEST(StopSignal, ASecondSignalEndsAtOnce) {
  const Ending ending = RunChild([](const auto& mark) {
    raise(SIGINT);
    vexil::AcknowledgeStop();
    raise(SIGINT);  // the handler ends the process before raise() returns
    mark();
  });
  EXPECT_EQ(130, ending.status);
  EXPECT_FALSE(ending.marked);
}

TEST(StopSignal, TheStatusOfARunThatEndsByItself) {
  const Ending stopped = RunChild([](const auto&) {
    raise(SIGTERM);
    vexil::AcknowledgeStop();
    _exit(vexil::ExitStatusAfterStop(1));
  });
  EXPECT_EQ(143, stopped.status);
  EXPECT_EQ(1, vexil::ExitStatusAfterStop(1)) << "no signal here";
  EXPECT_EQ(0, vexil::StopSignalReceived());
}

}  // namespace
