// Scripts, player runs and captured frames for the end-to-end tests.
#include "e2e_harness.h"

#include <cstdio>
#include <filesystem>

namespace vexil_e2e {

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

std::string StereoWav(int frames, const std::function<int16_t(int)>& sample) {
  std::string wav = "RIFF";
  auto put32 = [&wav](uint32_t v) {
    for (int i = 0; i < 4; ++i) wav += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto put16 = [&wav](uint16_t v) {
    wav += static_cast<char>(v & 0xFF);
    wav += static_cast<char>(v >> 8);
  };
  const uint32_t data_bytes = static_cast<uint32_t>(frames) * 4;
  put32(36 + data_bytes);
  wav += "WAVEfmt ";
  put32(16);
  put16(1);  // PCM
  put16(2);
  put32(44100);
  put32(44100 * 4);
  put16(4);
  put16(16);
  wav += "data";
  put32(data_bytes);
  for (int i = 0; i < frames; ++i) {
    const auto value = static_cast<uint16_t>(sample(i));
    put16(value);
    put16(value);
  }
  return wav;
}

void PlayerTest::SetUp() {
  ASSERT_FALSE(dir_.empty()) << "no scratch folder";
}

RunResult PlayerTest::Run(const std::vector<std::string>& args) const {
  return vexil::test::RunPlayer(args, dir_);
}

std::string PlayerTest::Write(const std::string& name, const std::string& text) const {
  vexil::test::WriteFile(Path(name), text);
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

Picture PlayerTest::Frame(const std::string& folder, int index) const {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%06d.png", index);
  return vexil::test::LoadPng(Path(folder) + name);
}

}  // namespace vexil_e2e
