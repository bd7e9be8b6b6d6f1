// Joins the hash manifests of the pieces of one render into the manifest of the whole render:
// the same settings, every frame in order, and the music's line made from the whole music.
#pragma once

#include <string>
#include <vector>

namespace vexil {

// False with a message for manifests of different renders, pieces that leave a gap or overlap,
// or a piece whose music is not the matching span of `music` (the --audio-only render).
bool JoinManifests(const std::string& out, const std::vector<std::string>& parts,
                   const std::string& music, std::string* error);

}  // namespace vexil
