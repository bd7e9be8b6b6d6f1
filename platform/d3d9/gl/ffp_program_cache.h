// Compiled fixed-function programs. A program is found by its full FfpKey; on a miss its two
// shaders are found by their own keys (the parts of the state each reads), so a state change
// that alters one stage's source compiles only that shader, and the pair is linked once.
// Compile and link failures print the GL log and the generated source, once.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "d3d9/gl/ffp_key.h"
#include "d3d9/gl/gl_api.h"
#include "d3d9/key_hash.h"

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
  // Programs linked so far; benchmarks and tests check it stays flat after warm-up.
  size_t CompileCount() const { return links_; }
  // Vertex and fragment shaders compiled so far (each pair shares what it can).
  size_t ShaderCompileCount() const { return shaderCompiles_; }
  void Clear();

 private:
  using KeyMap = std::unordered_map<FfpKey, GLuint, KeyHash<FfpKey>>;
  GLuint ShaderFor(GLenum type, const FfpKey& stageKey);
  GLuint Link(GLuint vs, GLuint fs);

  KeyMap programs_;  // by the full key
  KeyMap vertexShaders_, fragmentShaders_;
  std::unordered_map<uint64_t, GLuint> linked_;  // by the pair of shader names
  size_t links_ = 0;
  size_t shaderCompiles_ = 0;
};

}  // namespace vexil::d3d9
