// "raw" resource: one read of the whole file into a buffer the resource shares.
#include "raw_resource.h"

#include <cstdio>
#include <new>
#include <string>

#include "d3dx9/file_read.h"

#include "effect_messages.h"
#include "script_files.h"
#include "system/message_box.h"
#include "system/text_encoding.h"

namespace effects {

CRawResource::CRawResource() : m_filename("") {
  SetType("Raw");
  AddValue(&m_filename, "filename", EValueRefers::File);
}

CRawResource::~CRawResource() {
  Clear();
}

void CRawResource::Clear() {
  m_data.reset();  // a reader sharing the bytes keeps them
  m_size = 0;
}

bool CRawResource::Init() {
  Clear();
  // Only a regular file, read whole and bounded: a pipe, a device such as /dev/zero or a
  // folder is refused at once instead of blocking or reading until memory runs out.
  std::string reason;
  const char* file = m_filename;
  const vexil::sys::FileLookup lookup = FindScriptFile(this, file);
  uint8_t* data = nullptr;
  size_t size = 0;
  const d3dx::FileReadResult result = d3dx::ReadRegularFile(
      lookup.path, kMaxRawFileBytes,
      [&data](size_t bytes) {
        data = new (std::nothrow) uint8_t[bytes > 0 ? bytes : 1];
        return data;
      },
      &size, &reason);
  if (result != d3dx::FileReadResult::kOk) {
    delete[] data;
    if (!lookup.found() && !lookup.whyMissing.empty()) reason += " (" + lookup.whyMissing + ")";
    std::fprintf(stderr, "raw resource \"%s\": cannot read \"%s\": %s\n", GetName(), file,
                 reason.c_str());
    ReportUnusableFile(this, lookup,
                       "raw resource \"" + std::string(GetName()) + "\": cannot read \"" +
                           vexil::sys::Printable(file) + "\": " + reason);
    ShowEffectMessage(kMsgFileNotFound, kCaptionVexilError, MB_OK);
    return false;
  }
  try {
    m_data = std::shared_ptr<uint8_t[]>(data);
  } catch (const std::bad_alloc&) {  // the constructor has freed `data`
    std::fprintf(stderr, "raw resource \"%s\": out of memory\n", GetName());
    return false;
  }
  m_size = static_cast<int32_t>(size);
  return true;
}

uint8_t* CRawResource::GetData() {
  return m_data.get();
}

int32_t CRawResource::GetSize() {
  return m_size;
}

}  // namespace effects
