// Files for effect tests: a scratch folder that becomes the working directory for the test's
// life (modules write "timing.txt" there), and pictures written by code.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
  std::string m_previous;
};

// Writes a `width` x `height` PNG whose pixel (x, y) is pixel(x, y) as 0xAARRGGBB.
bool WriteTestPng(const std::string& path, int width, int height,
                  const std::function<uint32_t(int x, int y)>& pixel);

// The whole file as text ("" when it cannot be read).
std::string ReadTextFile(const std::string& path);
