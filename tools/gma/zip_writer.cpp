// The archive is made in memory by libzip and then written as one file.
#include "zip_writer.h"

#include <zip.h>

#include "system/output_file.h"

namespace vexil {
namespace {

std::string ZipError(zip_error_t* error) {
  const std::string text = zip_error_strerror(error);
  zip_error_fini(error);
  return text;
}

// The bytes of the archive libzip wrote into `source`.
bool ReadSource(zip_source_t* source, std::string* bytes, std::string* error) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_source_open(source) < 0 || zip_source_stat(source, &stat) < 0 ||
      !(stat.valid & ZIP_STAT_SIZE)) {
    *error = zip_error_strerror(zip_source_error(source));
    return false;
  }
  bytes->resize(stat.size);
  const zip_int64_t got = zip_source_read(source, bytes->data(), stat.size);
  zip_source_close(source);
  if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size) {
    *error = "the archive could not be read back from memory";
    return false;
  }
  return true;
}

}  // namespace

bool WriteZip(const std::string& path, const std::vector<ZipEntry>& entries, std::string* error) {
  zip_error_t zerror;
  zip_error_init(&zerror);
  zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &zerror);
  if (!memory) {
    *error = ZipError(&zerror);
    return false;
  }
  zip_source_keep(memory);  // kept past zip_close, which writes the archive into it
  zip_t* archive = zip_open_from_source(memory, ZIP_TRUNCATE, &zerror);
  if (!archive) {
    zip_source_free(memory);
    *error = ZipError(&zerror);
    return false;
  }
  bool ok = true;
  for (const ZipEntry& entry : entries) {
    // The entries' bytes outlive the archive: libzip reads them when it is closed.
    zip_source_t* data = zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
    if (!data || zip_file_add(archive, entry.name.c_str(), data, ZIP_FL_ENC_UTF_8) < 0) {
      if (data) zip_source_free(data);
      *error = "cannot add \"" + entry.name + "\": " + zip_strerror(archive);
      ok = false;
      break;
    }
  }
  if (!ok) {
    zip_discard(archive);
    zip_source_free(memory);
    return false;
  }
  if (zip_close(archive) < 0) {
    *error = zip_strerror(archive);
    zip_discard(archive);
    zip_source_free(memory);
    return false;
  }
  std::string bytes;
  ok = ReadSource(memory, &bytes, error);
  zip_source_free(memory);
  return ok && sys::WriteWholeFile(path, bytes.data(), bytes.size(), error);
}

}  // namespace vexil
