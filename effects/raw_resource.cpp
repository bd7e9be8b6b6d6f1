// "raw" resource: one read of the whole file into a buffer the resource owns.
#include "raw_resource.h"

#include <cstdio>
#include <limits>
#include <new>

#include "effect_messages.h"
#include "system/message_box.h"

namespace effects {

CRawResource::CRawResource() : m_filename("") {
  SetType("Raw");
  AddValue(&m_filename, "filename", EValueRefers::File);
}

CRawResource::~CRawResource() {
  Clear();
}

void CRawResource::Clear() {
  delete[] m_data;
  m_data = nullptr;
  m_size = 0;
}

bool CRawResource::Init() {
  Clear();
  std::FILE* file = std::fopen(m_filename, "rb");
  if (!file) {
    ShowEffectMessage(kMsgFileNotFound, kCaptionVexilError, MB_OK);
    return false;
  }
  // The size is a 32-bit count: a file that does not fit, or that cannot be measured or read
  // whole (a folder, a vanishing file), is reported like a missing one, never half-loaded.
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  const long end = ok ? std::ftell(file) : -1;
  ok = ok && end >= 0 && end <= std::numeric_limits<int32_t>::max() &&
       std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    const int32_t size = static_cast<int32_t>(end);
    uint8_t* data = new (std::nothrow) uint8_t[size > 0 ? size : 1];
    ok = data && std::fread(data, 1, static_cast<std::size_t>(size), file) ==
                     static_cast<std::size_t>(size);
    if (ok) {
      m_data = data;
      m_size = size;
    } else {
      delete[] data;
    }
  }
  std::fclose(file);
  if (!ok) ShowEffectMessage(kMsgFileNotFound, kCaptionVexilError, MB_OK);
  return ok;
}

uint8_t* CRawResource::GetData() {
  return m_data;
}

int32_t CRawResource::GetSize() {
  return m_size;
}

}  // namespace effects
