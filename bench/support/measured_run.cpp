#include "measured_run.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace vexil_bench {

MeasuredRun RunMeasured(std::vector<std::string> argv, const std::string& folder,
                        double timeoutSeconds, const std::function<void(double)>& poll) {
  using Clock = std::chrono::steady_clock;
  MeasuredRun run;
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);

  std::fflush(stdout);  // the child must not print what the parent had buffered
  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid < 0) return run;
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) {
      _exit(127);
    }
    execv(args[0], args.data());
    _exit(127);
  }
  const Clock::time_point deadline = start + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(timeoutSeconds));
  int status = 0;
  struct rusage usage {};
  for (;;) {
    const pid_t done = wait4(pid, &status, WNOHANG, &usage);
    if (poll) poll(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (done == pid) break;
    if (done < 0) return run;
    if (!run.timedOut && Clock::now() > deadline) {
      run.timedOut = true;
      kill(pid, SIGKILL);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.peakMiB = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
  run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                   (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.ok = !run.timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

}  // namespace vexil_bench
