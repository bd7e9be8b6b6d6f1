// "raw": a whole file read into memory at initialisation; the music module plays from it.
#pragma once

#include <cstdint>

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

 private:
  void Clear();

  CValueString m_filename;
  uint8_t* m_data = nullptr;  // owned
  int32_t m_size = 0;
};

}  // namespace effects
