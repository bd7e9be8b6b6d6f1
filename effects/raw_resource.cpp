// "raw" resource: one read of the whole file into a buffer the resource owns.
#include "raw_resource.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "d3dx9/file_read.h"

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
  // Only a regular file, read whole and bounded: a pipe, a device such as /dev/zero or a
  // folder is refused at once instead of blocking or reading until memory runs out.
  std::vector<unsigned char> bytes;
  std::string reason;
  const char* file = m_filename;
  if (d3dx::ReadRegularFile(file, kMaxRawFileBytes, &bytes, &reason) != d3dx::FileReadResult::kOk) {
    std::fprintf(stderr, "raw resource \"%s\": cannot read \"%s\": %s\n", GetName(), file,
                 reason.c_str());
    ShowEffectMessage(kMsgFileNotFound, kCaptionVexilError, MB_OK);
    return false;
  }
  uint8_t* data = new (std::nothrow) uint8_t[bytes.empty() ? 1 : bytes.size()];
  if (!data) {
    std::fprintf(stderr, "raw resource \"%s\": out of memory for \"%s\"\n", GetName(), file);
    ShowEffectMessage(kMsgFileNotFound, kCaptionVexilError, MB_OK);
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), data);
  m_data = data;
  m_size = static_cast<int32_t>(bytes.size());
  return true;
}

uint8_t* CRawResource::GetData() {
  return m_data;
}

int32_t CRawResource::GetSize() {
  return m_size;
}

}  // namespace effects
