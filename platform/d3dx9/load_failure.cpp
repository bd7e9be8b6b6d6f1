// The thread's latest load or creation failure.
#include "d3dx9/load_failure.h"

#include <cstdio>

namespace d3dx {
namespace {
thread_local std::string g_lastFailure;
}  // namespace

void ReportLoadFailure(const char* what, const char* file, const std::string& reason) {
  ReportFailure(std::string("cannot load ") + what + " \"" + (file ? file : "") + "\"", reason);
}

void ReportFailure(const std::string& failure, const std::string& reason) {
  std::fprintf(stderr, "D3DX: %s: %s\n", failure.c_str(), reason.c_str());
  g_lastFailure = reason;
}

const std::string& LastLoadFailure() {
  return g_lastFailure;
}

void ForgetLoadFailure() {
  g_lastFailure.clear();
}

}  // namespace d3dx
