// The video library (libvexil_video.so) that joins videos, loaded on demand as the player loads
// it for --video: joining manifests needs no FFmpeg.
#pragma once

#include <string>
#include <vector>

namespace vexil {

bool JoinVideosThroughLibrary(const std::string& out, const std::vector<std::string>& parts,
                              const std::string& music, std::string* error);

}  // namespace vexil
