// The browser build packs a demo's files with the page; it reads no zip bundles.
#include <strings.h>

#include "system/bundle.h"

namespace vexil {
namespace sys {

struct Bundle::Impl {};

Bundle::~Bundle() = default;

std::unique_ptr<Bundle> Bundle::Open(const std::string& path, std::string* error,
                                     const BundleLimits&) {
  *error =
      "the bundle \"" + path + "\" cannot be played in the browser: pack its files with the page";
  return nullptr;
}

std::string Bundle::Find(const std::string&) const {
  return {};
}

bool Bundle::HasFolder(const std::string&) const {
  return false;
}

int Bundle::OpenEntry(const std::string&, uint64_t, uint64_t*, std::string* error) const {
  *error = "bundles are not read in the browser";
  return -1;
}

std::string Bundle::TopScript(std::string* error) const {
  *error = "bundles are not read in the browser";
  return {};
}

bool HasBundleExtension(const std::string& path) {
  return path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".zip") == 0;
}

bool MountBundle(const std::string& path, std::string* error) {
  return Bundle::Open(path, error) != nullptr;
}

void UnmountBundle() {}

std::shared_ptr<const Bundle> MountedBundle() {
  return nullptr;
}

}  // namespace sys
}  // namespace vexil
