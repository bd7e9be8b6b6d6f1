// Reading demo bundles (zip archives) through libzip, with every entry checked up front.
#include "system/bundle.h"

#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace vexil {
namespace sys {

struct Bundle::Impl {
  zip_t* archive = nullptr;
  // libzip's archive is not safe to read from two threads (the sound layer opens music too).
  mutable std::mutex mutex;
  ~Impl() {
    if (archive) zip_discard(archive);
  }
};

namespace {

std::string Quote(const std::string& text) {
  return "\"" + text + "\"";
}

std::string ZipError(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

// Backslashes become slashes and leading "./" go: how scripts written on Windows name files.
std::string Normalize(const std::string& name) {
  std::string result = name;
  std::replace(result.begin(), result.end(), '\\', '/');
  while (result.compare(0, 2, "./") == 0) result.erase(0, 2);
  return result;
}

// Why an entry name could reach outside the bundle or be read two ways; "" when it is fine.
std::string RefuseEntryName(const std::string& name) {
  if (name.empty()) return "an entry has an empty name";
  if (name.find('\0') != std::string::npos) return "an entry name holds a zero byte";
  if (name[0] == '/') return "entry " + Quote(name) + " has an absolute name";
  if (name.find('\\') != std::string::npos) {
    return "entry " + Quote(name) + " has a backslash in its name";
  }
  if (name.size() >= 2 && name[1] == ':') return "entry " + Quote(name) + " names a drive";
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) {
      return "entry " + Quote(name) + " climbs out of the bundle with \"..\"";
    }
    start = end + 1;
  }
  return {};
}

bool IsSymbolicLink(zip_t* archive, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) return false;
  return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

std::mutex g_mountMutex;
std::shared_ptr<const Bundle> g_mounted;

}  // namespace

Bundle::~Bundle() = default;

bool HasBundleExtension(const std::string& path) {
  return path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".zip") == 0;
}

std::unique_ptr<Bundle> Bundle::Open(const std::string& path, std::string* error,
                                     const BundleLimits& limits) {
  const std::string what = "the bundle " + Quote(path);
  // Only a regular file: a named pipe would block, a device never end.
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    *error = what + " cannot be read: " + std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    *error = what + " is not a regular file";
    return nullptr;
  }
  // Without libzip's strict consistency check: zips written as streams (sizes after the data,
  // as libarchive and many tools write them) are standard and must play. Damage still shows:
  // every entry's size is checked here and its checksum when it is read.
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (!archive) {
    *error = what + " is not a readable zip archive: " + ZipError(code);
    return nullptr;
  }
  std::unique_ptr<Bundle> bundle(new Bundle);
  bundle->impl_ = std::make_unique<Impl>();
  bundle->impl_->archive = archive;
  bundle->path_ = path;

  const zip_int64_t count = zip_get_num_entries(archive, 0);
  if (count < 0 || static_cast<uint64_t>(count) > limits.maxEntries) {
    *error = what + " is refused: it has " + std::to_string(count) + " entries, more than the " +
             std::to_string(limits.maxEntries) + " a bundle may hold";
    return nullptr;
  }
  uint64_t total = 0;
  std::vector<std::string> folded;
  for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
    zip_stat_t entry;
    zip_stat_init(&entry);
    if (zip_stat_index(archive, index, ZIP_FL_ENC_RAW, &entry) != 0 ||
        !(entry.valid & ZIP_STAT_NAME) || !(entry.valid & ZIP_STAT_SIZE) ||
        !(entry.valid & ZIP_STAT_COMP_SIZE)) {
      *error = what + " is refused: entry " + std::to_string(index) + " cannot be read";
      return nullptr;
    }
    const std::string name = entry.name;
    const std::string refusal = RefuseEntryName(name);
    if (!refusal.empty()) {
      *error = what + " is refused: " + refusal;
      return nullptr;
    }
    if (IsSymbolicLink(archive, index)) {
      *error = what + " is refused: entry " + Quote(name) + " is a symbolic link";
      return nullptr;
    }
    if ((entry.valid & ZIP_STAT_ENCRYPTION_METHOD) && entry.encryption_method != ZIP_EM_NONE) {
      *error = what + " is refused: entry " + Quote(name) + " is encrypted";
      return nullptr;
    }
    if (name.back() == '/') {
      if (entry.size != 0) {
        *error = what + " is refused: folder entry " + Quote(name) + " has contents";
        return nullptr;
      }
      continue;
    }
    if (entry.size > limits.maxEntryBytes) {
      *error = what + " is refused: entry " + Quote(name) + " unpacks to " +
               std::to_string(entry.size) + " bytes, more than the limit of " +
               std::to_string(limits.maxEntryBytes);
      return nullptr;
    }
    total += entry.size;
    if (total > limits.maxTotalBytes) {
      *error = what + " is refused: its entries unpack to more than " +
               std::to_string(limits.maxTotalBytes) + " bytes";
      return nullptr;
    }
    if (entry.size >= limits.ratioFloorBytes &&
        entry.size / std::max<uint64_t>(entry.comp_size, 1) > limits.maxRatio) {
      *error = what + " is refused: entry " + Quote(name) + " unpacks " +
               std::to_string(entry.size) + " bytes from " + std::to_string(entry.comp_size) +
               ", more than " + std::to_string(limits.maxRatio) +
               " times its packed size (a zip bomb)";
      return nullptr;
    }
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    folded.push_back(key);
    bundle->names_.push_back(name);
    bundle->indices_.push_back(index);
  }
  std::vector<std::string> sorted = folded;
  std::sort(sorted.begin(), sorted.end());
  const auto twin = std::adjacent_find(sorted.begin(), sorted.end());
  if (twin != sorted.end()) {
    *error = what + " is refused: two entries are named " + Quote(*twin) +
             " (letter case aside); which one a script means is unclear";
    return nullptr;
  }
  return bundle;
}

std::string Bundle::Find(const std::string& name) const {
  const std::string wanted = Normalize(name);
  for (const std::string& entry : names_) {
    if (entry == wanted) return entry;
  }
  for (const std::string& entry : names_) {
    if (strcasecmp(entry.c_str(), wanted.c_str()) == 0) return entry;
  }
  return {};
}

bool Bundle::HasFolder(const std::string& name) const {
  std::string folder = Normalize(name);
  if (folder.empty() || folder == ".") return true;
  if (folder.back() != '/') folder += '/';
  for (const std::string& entry : names_) {
    if (entry.size() > folder.size() &&
        strncasecmp(entry.c_str(), folder.c_str(), folder.size()) == 0) {
      return true;
    }
  }
  return false;
}

int Bundle::OpenEntry(const std::string& name, uint64_t maxBytes, uint64_t* size,
                      std::string* error) const {
  const auto found = std::find(names_.begin(), names_.end(), name);
  if (found == names_.end()) {
    *error = "file not found in the bundle";
    return -1;
  }
  const zip_uint64_t index = indices_[found - names_.begin()];
  std::lock_guard<std::mutex> lock(impl_->mutex);
  zip_stat_t entry;
  zip_stat_init(&entry);
  if (zip_stat_index(impl_->archive, index, 0, &entry) != 0) {
    *error = "cannot read the bundle's entry";
    return -1;
  }
  if (entry.size > maxBytes) {
    *error = "file of " + std::to_string(entry.size) + " bytes is larger than the limit of " +
             std::to_string(maxBytes) + " bytes";
    return -1;
  }
  zip_file_t* file = zip_fopen_index(impl_->archive, index, 0);
  if (!file) {
    *error = std::string("cannot unpack it from the bundle: ") +
             zip_error_strerror(zip_get_error(impl_->archive));
    return -1;
  }
  const int fd = memfd_create("vexil-bundle-entry", MFD_CLOEXEC);
  if (fd < 0) {
    zip_fclose(file);
    *error = std::string("cannot make room for it in memory: ") + std::strerror(errno);
    return -1;
  }
  // Never more than the entry says it holds: one byte past it means the archive lies.
  std::vector<char> buffer(1 << 16);
  uint64_t written = 0;
  bool failed = false;
  for (;;) {
    const zip_int64_t got = zip_fread(file, buffer.data(), buffer.size());
    if (got < 0) {
      *error = std::string("the bundle's entry is damaged: ") +
               zip_error_strerror(zip_file_get_error(file));
      failed = true;
      break;
    }
    if (got == 0) break;
    written += static_cast<uint64_t>(got);
    if (written > entry.size) {
      *error = "the bundle's entry unpacks to more than it declares";
      failed = true;
      break;
    }
    if (::write(fd, buffer.data(), static_cast<size_t>(got)) != got) {
      *error = std::string("cannot hold it in memory: ") + std::strerror(errno);
      failed = true;
      break;
    }
  }
  zip_fclose(file);
  if (!failed && written != entry.size) {
    *error = "the bundle's entry is shorter than it declares";
    failed = true;
  }
  if (failed || ::lseek(fd, 0, SEEK_SET) != 0) {
    ::close(fd);
    return -1;
  }
  *size = written;
  return fd;
}

std::string Bundle::TopScript(std::string* error) const {
  std::vector<std::string> containers, scripts;
  for (const std::string& name : names_) {
    if (name.find('/') != std::string::npos || name.size() < 5) continue;
    const char* extension = name.c_str() + name.size() - 4;
    if (strcasecmp(extension, ".gma") == 0) containers.push_back(name);
    if (strcasecmp(extension, ".xml") == 0) scripts.push_back(name);
  }
  const std::vector<std::string>& pick = containers.empty() ? scripts : containers;
  if (pick.size() == 1) return pick[0];
  *error = "the bundle " + Quote(path_) +
           (pick.empty() ? std::string(" holds no script (.gma or .xml) at its top")
                         : " holds several scripts at its top (" + pick[0] + ", " + pick[1] +
                               "); a bundle plays one");
  return {};
}

bool MountBundle(const std::string& path, std::string* error) {
  std::unique_ptr<Bundle> bundle = Bundle::Open(path, error);
  if (!bundle) return false;
  std::lock_guard<std::mutex> lock(g_mountMutex);
  g_mounted = std::move(bundle);
  return true;
}

void UnmountBundle() {
  std::lock_guard<std::mutex> lock(g_mountMutex);
  g_mounted.reset();
}

std::shared_ptr<const Bundle> MountedBundle() {
  std::lock_guard<std::mutex> lock(g_mountMutex);
  return g_mounted;
}

}  // namespace sys
}  // namespace vexil
