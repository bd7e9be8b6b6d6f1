// Finding and loading the video library beside the program or in its library folder.
#include "video_library.h"

#include <unistd.h>

#include <climits>
#include <filesystem>

#include "system/dynlib.h"
#include "video_module.h"

namespace vexil {

namespace {

constexpr char kLibraryFile[] = "libvexil_video.so";

std::filesystem::path ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t size = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (size <= 0) return {};
  return std::filesystem::path(std::string(path, static_cast<size_t>(size))).parent_path();
}

}  // namespace

bool JoinVideosThroughLibrary(const std::string& out, const std::vector<std::string>& parts,
                              const std::string& music, std::string* error) {
  const std::filesystem::path folder = ProgramFolder();
  sys::DynLibHandle library = nullptr;
  std::string why;
  for (const std::filesystem::path& candidate :
       {folder / kLibraryFile, folder / VEXIL_JOIN_LIBRARY_FOLDER / kLibraryFile}) {
    std::error_code ec;
    if (!std::filesystem::exists(candidate, ec)) continue;
    library = sys::DynLibOpen(candidate.c_str());
    if (library != nullptr) break;
    why = sys::DynLibLastError();
  }
  if (library == nullptr) {
    *error = "joining videos is not available: " +
             (why.empty() ? std::string(kLibraryFile) + " is not beside vexil-join" : why) +
             " (it needs FFmpeg's libraries libavformat, libavcodec, libswscale and "
             "libswresample; scripts/install-deps.sh installs them)";
    return false;
  }
  // The library stays loaded until the program ends, as in the player.
  auto join =
      reinterpret_cast<VexilVideoJoinFunction>(sys::DynLibSymbol(library, "VexilVideo_Join"));
  if (join == nullptr) {
    *error = "joining videos is not available: the video library is not vexil's";
    return false;
  }
  std::vector<const char*> names;
  for (const std::string& part : parts) names.push_back(part.c_str());
  return join(out.c_str(), names.data(), static_cast<int>(names.size()), music.c_str(), error);
}

}  // namespace vexil
