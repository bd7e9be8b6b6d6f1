// Scratch folders and generated pictures for the effect tests.
#include "test_files.h"

#include <stb/stb_image_write.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

ScratchDir::ScratchDir() {
  char cwd[4096];
  if (getcwd(cwd, sizeof(cwd))) m_previous = cwd;
  std::string pattern = (std::filesystem::temp_directory_path() / "vexil-effects-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data())) m_path = buffer.data();
  if (!m_path.empty() && chdir(m_path.c_str()) != 0) m_path.clear();
}

ScratchDir::~ScratchDir() {
  if (!m_previous.empty() && chdir(m_previous.c_str()) != 0) return;
  std::error_code ignored;
  if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}

bool WriteTestPng(const std::string& path, int width, int height,
                  const std::function<uint32_t(int x, int y)>& pixel) {
  std::vector<uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t argb = pixel(x, y);
      uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = static_cast<uint8_t>(argb >> 16);
      p[1] = static_cast<uint8_t>(argb >> 8);
      p[2] = static_cast<uint8_t>(argb);
      p[3] = static_cast<uint8_t>(argb >> 24);
    }
  }
  return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
