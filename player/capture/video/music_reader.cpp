// Reading the music through libsndfile.
#include "music_reader.h"

#include <sndfile.h>

namespace vexil {

MusicReader::~MusicReader() {
  if (file_ != nullptr) sf_close(static_cast<SNDFILE*>(file_));
}

bool MusicReader::Open(const std::string& path, std::string* error) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) {
    *error = "cannot read the music \"" + path + "\": " + sf_strerror(nullptr);
    return false;
  }
  file_ = file;
  if (info.channels != 2) {
    *error = "the music \"" + path + "\" has " + std::to_string(info.channels) +
             " channels; a render's music is stereo";
    return false;
  }
  rate_ = info.samplerate;
  frames_ = info.frames;
  return true;
}

bool MusicReader::Read(int64_t count, std::vector<int16_t>* samples) {
  samples->assign(static_cast<size_t>(count) * 2, 0);
  return sf_readf_short(static_cast<SNDFILE*>(file_), samples->data(), count) == count;
}

}  // namespace vexil
