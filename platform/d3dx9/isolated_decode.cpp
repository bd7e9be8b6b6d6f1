// A forked child per decode: limits set in the child, output in a MAP_SHARED mapping, a pipe
// whose end-of-file tells the parent the child is gone, a poll() with the remaining budget.
#include "d3dx9/isolated_decode.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "system/stop_signal.h"

#ifndef __EMSCRIPTEN__
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define VEXIL_ADDRESS_SPACE_UNLIMITED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || \
    __has_feature(thread_sanitizer)
#define VEXIL_ADDRESS_SPACE_UNLIMITED 1
#endif
#endif

namespace d3dx {
namespace {

bool g_in_process = false;

// What the child leaves at the start of the mapping for the parent.
struct Report {
  int32_t finished;
  int32_t ok;
  char message[504];
};

bool RunInProcess(uint8_t* out, size_t capacity, const IsolatedWork& work, std::string* error) {
  try {
    return work(out, capacity, error);
  } catch (const std::bad_alloc&) {
    if (error) *error = "not enough memory to decode the picture";
    return false;
  }
}

#ifndef __EMSCRIPTEN__
std::string BudgetMessage(int budget_ms) {
  char text[96];
  std::snprintf(text, sizeof text, "decoding took longer than the limit of %g seconds",
                budget_ms / 1000.0);
  return text;
}

#ifndef VEXIL_ADDRESS_SPACE_UNLIMITED
// The address space the process uses now, in bytes (0 when unknown).
uint64_t AddressSpaceInUse() {
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  unsigned long long pages = 0;
  const int fields = std::fscanf(statm, "%llu", &pages);
  std::fclose(statm);
  return fields == 1 ? pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) : 0;
}
#endif

[[noreturn]] void RunChild(int parent, int done_fd, Report* report, uint8_t* out, size_t capacity,
                           const IsolatedWork& work, int budget_ms) {
  // Ctrl-C reaches the whole process group; the child has no watchdog and ends at once.
  vexil::RestoreDefaultStopSignals();
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(1);
  const rlim_t seconds = static_cast<rlim_t>((budget_ms + 999) / 1000);
  const rlimit cpu{seconds, seconds + 1};
  setrlimit(RLIMIT_CPU, &cpu);
#ifndef VEXIL_ADDRESS_SPACE_UNLIMITED  // sanitizers reserve terabytes of shadow memory
  rlimit memory{};
  const uint64_t in_use = AddressSpaceInUse();
  if (in_use != 0 && getrlimit(RLIMIT_AS, &memory) == 0) {
    // Never above a limit the player was given: a limit cannot be raised.
    const rlim_t wanted = in_use + kDecodeMemoryBytes;
    memory.rlim_cur = memory.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, memory.rlim_max);
    setrlimit(RLIMIT_AS, &memory);
  }
#endif
  // For the end-to-end tests of the budget and of signals during loading: a decode that never
  // ends, announced by creating the file the variable names.
  if (const char* marker = std::getenv("VEXIL_TEST_STALL_DECODE")) {
    if (FILE* file = std::fopen(marker, "w")) std::fclose(file);
    for (;;) pause();
  }
  std::string why;
  const bool ok = RunInProcess(out, capacity, work, &why);
  std::snprintf(report->message, sizeof report->message, "%s", why.c_str());
  report->ok = ok ? 1 : 0;
  report->finished = 1;
  close(done_fd);
  _exit(0);
}

// Why the child ended without a report.
std::string ChildFailure(int status, int budget_ms) {
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    if (signal == SIGXCPU || signal == SIGKILL) return BudgetMessage(budget_ms);
    return "the decoder crashed (" + std::string(strsignal(signal)) + ")";
  }
  return "the decoder ended without a result";
}
#endif

}  // namespace

void DecodeInProcess(bool in_process) {
  g_in_process = in_process;
}

IsolatedDecode::~IsolatedDecode() {
#ifndef __EMSCRIPTEN__
  if (mapping_) munmap(mapping_, mapping_size_);
#else
  ::operator delete(mapping_);
#endif
}

bool IsolatedDecode::Run(size_t capacity, const IsolatedWork& work, std::string* error,
                         int budget_ms) {
  if (budget_ms <= 0) budget_ms = kDecodeBudgetSeconds * 1000;
  std::string ignored;
  if (!error) error = &ignored;
#ifdef __EMSCRIPTEN__
  mapping_ = ::operator new(capacity ? capacity : 1, std::nothrow);
  if (!mapping_) return *error = "not enough memory for the picture", false;
  output_ = static_cast<uint8_t*>(mapping_);
  return RunInProcess(output_, capacity, work, error);
#else
  mapping_size_ = sizeof(Report) + capacity;
  void* mapping = mmap(nullptr, mapping_size_, PROT_READ | PROT_WRITE,
                       MAP_SHARED | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (mapping == MAP_FAILED) return *error = "not enough memory for the picture", false;
  mapping_ = mapping;
  auto* report = static_cast<Report*>(mapping);
  output_ = static_cast<uint8_t*>(mapping) + sizeof(Report);
  if (g_in_process) return RunInProcess(output_, capacity, work, error);

  int done[2];
  if (pipe2(done, O_CLOEXEC) != 0) return RunInProcess(output_, capacity, work, error);
  const pid_t parent = getpid();
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    close(done[0]);
    RunChild(parent, done[1], report, output_, capacity, work, budget_ms);
  }
  close(done[1]);
  if (child < 0) {  // no process to spare: the pre-scans are all there is
    close(done[0]);
    return RunInProcess(output_, capacity, work, error);
  }
  // The pipe reads end-of-file when the child has ended, however it ended.
  bool in_time = false;
  for (;;) {
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
    if (spent >= budget_ms) break;
    pollfd wait{done[0], POLLIN, 0};
    const int ready = poll(&wait, 1, static_cast<int>(budget_ms - spent));
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0) {
      char byte;
      if (read(done[0], &byte, 1) > 0) continue;  // the child never writes: not expected
      in_time = true;
    }
    break;
  }
  close(done[0]);
  if (!in_time) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!in_time) return *error = BudgetMessage(budget_ms), false;
  if (!report->finished) return *error = ChildFailure(status, budget_ms), false;
  if (!report->ok) {
    report->message[sizeof report->message - 1] = '\0';
    *error = report->message;
    return false;
  }
  return true;
#endif
}

}  // namespace d3dx
