// Scratch folders, process runs and PNG reading for the end-to-end tests.
#include "e2e_harness.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace vexil_e2e {
namespace {

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

uint32_t Image::Pixel(int x, int y) const {
  const size_t i = (static_cast<size_t>(y) * width + x) * 3;
  return (uint32_t{rgb[i]} << 16) | (uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
}

Image LoadPng(const std::string& path) {
  Image image;
  int channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3);
  if (!data) {
    image.width = image.height = 0;
    return image;
  }
  image.rgb.assign(data, data + static_cast<size_t>(image.width) * image.height * 3);
  stbi_image_free(data);
  return image;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary);
  file << content;
}

bool FileExists(const std::string& path) {
  return std::filesystem::exists(path);
}

std::string Script(const std::string& timeline, const std::string& resources,
                   const std::string& settings) {
  return "<demo name=\"e2e\">\n"
         "  <settings>" +
         (settings.empty() ? std::string("<width value=\"64\"/><height value=\"48\"/>")
                           : settings) +
         "</settings>\n"
         "  <libraries><library file=\"vexil_e2e_modules.dll\"/></libraries>\n"
         "  <resources>" +
         resources +
         "</resources>\n"
         "  <timeline>" +
         timeline +
         "</timeline>\n"
         "</demo>\n";
}

void PlayerTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vexil-e2e-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
}

void PlayerTest::TearDown() {
  std::error_code ec;
  if (!HasFailure()) std::filesystem::remove_all(dir_, ec);  // kept for a look after failures
}

RunResult PlayerTest::Run(const std::vector<std::string>& args) const {
  std::string command = "cd " + ShellQuote(dir_) + " && " + ShellQuote(VEXIL_BIN_DIR "/vexil");
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote(dir_ + "/.out") + " 2>" + ShellQuote(dir_ + "/.err");
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
  result.out = ReadFile(dir_ + "/.out");
  result.err = ReadFile(dir_ + "/.err");
  return result;
}

std::string PlayerTest::Write(const std::string& name, const std::string& text) const {
  WriteFile(Path(name), text);
  return Path(name);
}

int PlayerTest::CountFrames(const std::string& folder) const {
  int count = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(Path(folder), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("frame-", 0) == 0 && entry.path().extension() == ".png") ++count;
  }
  return count;
}

Image PlayerTest::Frame(const std::string& folder, int index) const {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%06d.png", index);
  return LoadPng(Path(folder) + name);
}

}  // namespace vexil_e2e
