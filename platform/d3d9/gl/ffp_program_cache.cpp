// Program building: the generated shaders compiled once per shader key, linked once per pair,
// the shared uniform blocks bound to their binding points and the stage samplers to units 0..7.
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

std::string ShaderSource(GLuint shader) {
  GLint length = 0;
  glGetShaderiv(shader, GL_SHADER_SOURCE_LENGTH, &length);
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  glGetShaderSource(shader, length, nullptr, text.data());
  return text.data();
}

}  // namespace

FfpProgramCache::~FfpProgramCache() {
  Clear();
}

void FfpProgramCache::Clear() {
  for (auto& entry : linked_) {
    if (entry.second) glDeleteProgram(entry.second);
  }
  for (KeyMap* shaders : {&vertexShaders_, &fragmentShaders_}) {
    for (auto& entry : *shaders) {
      if (entry.second) glDeleteShader(entry.second);
    }
    shaders->clear();
  }
  linked_.clear();
  programs_.clear();
}

GLuint FfpProgramCache::Get(const FfpKey& key) {
  auto it = programs_.find(key);
  if (it != programs_.end()) return it->second;
  const GLuint vs = ShaderFor(GL_VERTEX_SHADER, VertexShaderKey(key));
  const GLuint fs = vs ? ShaderFor(GL_FRAGMENT_SHADER, FragmentShaderKey(key)) : 0;
  GLuint program = 0;
  if (vs && fs) {
    const uint64_t pair = (uint64_t{vs} << 32) | fs;
    auto linked = linked_.find(pair);
    program = linked != linked_.end() ? linked->second : (linked_[pair] = Link(vs, fs));
  }
  programs_.emplace(key, program);  // failures are remembered too: reported once
  return program;
}

GLuint FfpProgramCache::ShaderFor(GLenum type, const FfpKey& stageKey) {
  KeyMap& shaders = type == GL_VERTEX_SHADER ? vertexShaders_ : fragmentShaders_;
  auto it = shaders.find(stageKey);
  if (it != shaders.end()) return it->second;
  ++shaderCompiles_;
  const GLuint shader = Compile(type, type == GL_VERTEX_SHADER ? GenerateVertexShader(stageKey)
                                                               : GenerateFragmentShader(stageKey));
  shaders.emplace(stageKey, shader);
  return shader;
}

GLuint FfpProgramCache::Link(GLuint vs, GLuint fs) {
  ++links_;
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length) + 1, '\0');
    glGetProgramInfoLog(program, length, nullptr, log.data());
    std::fprintf(stderr, "vexil d3d9: the generated program failed to link:\n%s\n", log.data());
    PrintSource(ShaderSource(vs));
    PrintSource(ShaderSource(fs));
    glDeleteProgram(program);
    return 0;
  }
  // The shaders stay attached: they are cached for the next pair that shares one.
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
