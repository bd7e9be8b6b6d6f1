// Program building: compile both generated shaders, bind the shared uniform blocks to their
// binding points and the stage samplers to units 0..7.
#include "d3d9/gl/ffp_program_cache.h"

#include <cstdio>
#include <string>
#include <vector>

#include "d3d9/gl/ffp_constants.h"
#include "d3d9/gl/ffp_shader_gen.h"

namespace vexil::d3d9 {

namespace {

void PrintSource(const std::string& source) {
  int line = 1;
  std::fprintf(stderr, "%4d  ", line);
  for (char c : source) {
    std::fputc(c, stderr);
    if (c == '\n') std::fprintf(stderr, "%4d  ", ++line);
  }
  std::fputc('\n', stderr);
}

GLuint Compile(GLenum type, const std::string& source) {
  GLuint shader = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length) + 1, '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    std::fprintf(stderr, "vexil d3d9: the generated %s shader failed to compile:\n%s\n",
                 type == GL_VERTEX_SHADER ? "vertex" : "fragment", log.data());
    PrintSource(source);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

FfpProgramCache::~FfpProgramCache() {
  Clear();
}

void FfpProgramCache::Clear() {
  for (auto& entry : programs_) {
    if (entry.second) glDeleteProgram(entry.second);
  }
  programs_.clear();
}

GLuint FfpProgramCache::Get(const FfpKey& key) {
  auto it = programs_.find(key);
  if (it != programs_.end()) return it->second;
  GLuint program = Build(key);
  programs_.emplace(key, program);  // failures are remembered too: reported once
  return program;
}

GLuint FfpProgramCache::Build(const FfpKey& key) {
  ++compiles_;
  const std::string vsSource = GenerateVertexShader(key);
  const std::string fsSource = GenerateFragmentShader(key);
  GLuint vs = Compile(GL_VERTEX_SHADER, vsSource);
  GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, fsSource) : 0;
  if (!vs || !fs) {
    if (vs) glDeleteShader(vs);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length) + 1, '\0');
    glGetProgramInfoLog(program, length, nullptr, log.data());
    std::fprintf(stderr, "vexil d3d9: the generated program failed to link:\n%s\n", log.data());
    PrintSource(vsSource);
    PrintSource(fsSource);
    glDeleteProgram(program);
    return 0;
  }
  static const struct {
    const char* name;
    FfpBlock binding;
  } kBlocks[] = {{"FfpTransforms", kFfpTransformsBlock},
                 {"FfpVertexConstants", kFfpVertexBlock},
                 {"FfpPixelConstants", kFfpPixelBlock}};
  for (const auto& b : kBlocks) {
    const GLuint block = glGetUniformBlockIndex(program, b.name);
    if (block != GL_INVALID_INDEX) glUniformBlockBinding(program, block, b.binding);
  }
  glUseProgram(program);
  for (int i = 0; i < 8; ++i) {
    const std::string name = "uTexture" + std::to_string(i);
    const GLint location = glGetUniformLocation(program, name.c_str());
    if (location >= 0) glUniform1i(location, i);
  }
  return program;
}

}  // namespace vexil::d3d9
