// "raw": a whole file read into memory at initialisation; the music module plays from it.
#pragma once

#include <cstdint>
#include <memory>

#include "scenecore.h"

namespace effects {

// The largest file a raw resource reads (music: about 50 minutes of CD-quality WAV).
constexpr uint64_t kMaxRawFileBytes = uint64_t{512} << 20;

class CRawResource : public CResource {
 public:
  CRawResource();
  ~CRawResource() override;

  // Reads the file named by "filename"; "File not found" and false when it cannot be read.
  bool Init() override;

  // The file's bytes (null until loaded) and their count (0 until loaded).
  virtual uint8_t* GetData();
  virtual int32_t GetSize();
  // The same bytes for a reader that may outlive the resource (the music's stream): they stay
  // until the last holder lets go, and nobody changes them meanwhile.
  std::shared_ptr<const uint8_t[]> ShareData() const { return m_data; }

 private:
  void Clear();

  CValueString m_filename;
  std::shared_ptr<uint8_t[]> m_data;
  int32_t m_size = 0;
};

}  // namespace effects
