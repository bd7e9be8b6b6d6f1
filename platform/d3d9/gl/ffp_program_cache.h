// Compiled fixed-function programs, one per FfpKey, compiled on first use and kept for the
// device's life. Compile and link failures print the GL log and the generated source.
#pragma once

#include <unordered_map>

#include "d3d9/gl/ffp_key.h"
#include "d3d9/gl/gl_api.h"

namespace vexil::d3d9 {

class FfpProgramCache {
 public:
  FfpProgramCache() = default;
  ~FfpProgramCache();
  FfpProgramCache(const FfpProgramCache&) = delete;
  FfpProgramCache& operator=(const FfpProgramCache&) = delete;

  // The program for a key, or 0 when it failed to build (reported once).
  GLuint Get(const FfpKey& key);
  size_t Size() const { return programs_.size(); }
  // Programs compiled so far; benchmarks and tests check it stays flat after warm-up.
  size_t CompileCount() const { return compiles_; }
  void Clear();

 private:
  GLuint Build(const FfpKey& key);
  std::unordered_map<FfpKey, GLuint, FfpKeyHash> programs_;
  size_t compiles_ = 0;
};

}  // namespace vexil::d3d9
