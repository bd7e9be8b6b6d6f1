// fork and exec with limits, a deadline and captured output.
#include "support/run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "support/scratch_dir.h"

#if defined(__SANITIZE_ADDRESS__)
#define VEXIL_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEXIL_TEST_SANITIZED 1
#endif
#endif

namespace vexil::test {
namespace {

// A file in the temporary folder for one stream of the child; removed when read back.
struct CaptureFile {
  CaptureFile() {
    path = (std::filesystem::temp_directory_path() / "vexil-run-XXXXXX").string();
    fd = mkstemp(path.data());
  }
  ~CaptureFile() {
    if (fd >= 0) close(fd);
    unlink(path.c_str());
  }
  std::string path;
  int fd = -1;
};

void Limit(int resource, long long mib) {
  const rlim_t bytes = static_cast<rlim_t>(mib) * 1024 * 1024;
  rlimit limit{bytes, bytes};
  setrlimit(resource, &limit);
}

}  // namespace

// intercept_tls_get_addr=0: clang 14's runtime guesses the bounds of each thread's dynamic TLS
// block from the 16 bytes before it when the block starts 16 bytes past a page boundary, a
// layout of C libraries older than 2.25. With glibc 2.36 the block is an ordinary heap chunk
// (libLLVM's 24 bytes under llvmpipe, on the main thread), and one heap position in 256 of its
// size class is such a place: the leak checker then takes the chunk's header for a {start,
// size} pair, scans from an address near zero, and its tracer thread dies with signal 11 at
// exit. Which position the block gets depends on everything allocated before it (the script,
// the folder's name, thread timing), so a run fails or passes by where it happens to run. Off,
// nothing is lost: those blocks are allocated by the dynamic linker, which the leak checker
// counts as reachable, so what they point to is still scanned.
const char kLeakCheckOptions[] =
    "suppressions=" VEXIL_LSAN_SUPPRESSIONS ":print_suppressions=0:intercept_tls_get_addr=0";

bool Sanitized() {
#ifdef VEXIL_TEST_SANITIZED
  return true;
#else
  return false;
#endif
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text + " ") {
    if (c != ' ') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

std::string BuiltProgram(const std::string& name) {
  return std::string(VEXIL_BIN_DIR) + "/" + name;
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& folder, const RunLimits& limits, const StopRequest& stop) {
  RunResult result;
  CaptureFile out, err;
  if (out.fd < 0 || err.fd < 0) return result;

  // Everything the child needs is prepared before fork: after it, only calls that are safe
  // in a copy of a multi-threaded process.
  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // The programs are sanitized too: they check leaks with the tests' options, unless the
  // caller gave its own.
  std::vector<std::string> variables;
  for (char** variable = environ; *variable; ++variable) variables.emplace_back(*variable);
  const char* given = std::getenv("LSAN_OPTIONS");
  if (Sanitized() && (!given || !std::strstr(given, "suppressions="))) {
    variables.erase(
        std::remove_if(variables.begin(), variables.end(),
                       [](const std::string& v) { return v.rfind("LSAN_OPTIONS=", 0) == 0; }),
        variables.end());
    variables.push_back(std::string("LSAN_OPTIONS=") + kLeakCheckOptions +
                        (given && *given ? std::string(":") + given : std::string()));
  }
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    setpgid(0, 0);  // one group, so a timeout ends whatever the program started too
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
    dup2(out.fd, STDOUT_FILENO);
    dup2(err.fd, STDERR_FILENO);
    const int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, STDIN_FILENO);
#ifndef VEXIL_TEST_SANITIZED
    Limit(RLIMIT_AS, limits.memoryMiB);
#endif
    Limit(RLIMIT_FSIZE, limits.fileMiB);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  setpgid(pid, pid);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.seconds);
  int raw = 0;
  bool signalled = false;
  for (;;) {
    const pid_t done = waitpid(pid, &raw, WNOHANG);
    if (done == pid) break;
    if (done < 0) return result;
    if (stop.signal != 0 && !signalled && stop.when && stop.when()) {
      kill(pid, stop.signal);
      signalled = true;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(-pid, SIGKILL);
      waitpid(pid, &raw, 0);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!result.timedOut && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  if (!result.timedOut && WIFSIGNALED(raw)) result.signal = WTERMSIG(raw);
  result.out = ReadFile(out.path);
  result.err = ReadFile(err.path);
  return result;
}

RunResult RunPlayer(const std::vector<std::string>& args, const std::string& folder,
                    const RunLimits& limits, const StopRequest& stop) {
  return RunProgram(BuiltProgram("vexil"), args, folder, limits, stop);
}

}  // namespace vexil::test
