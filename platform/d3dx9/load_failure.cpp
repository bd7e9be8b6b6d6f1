// The thread's latest load failure.
#include "d3dx9/load_failure.h"

#include <cstdio>

namespace d3dx {
namespace {
thread_local std::string g_lastFailure;
}  // namespace

void ReportLoadFailure(const char* what, const char* file, const std::string& reason) {
  std::fprintf(stderr, "D3DX: cannot load %s \"%s\": %s\n", what, file ? file : "", reason.c_str());
  g_lastFailure = reason;
}

const std::string& LastLoadFailure() {
  return g_lastFailure;
}

void ForgetLoadFailure() {
  g_lastFailure.clear();
}

}  // namespace d3dx
