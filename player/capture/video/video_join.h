// Joins the videos of the pieces of one render, in order, with the whole render's music into
// one file: the pictures' packets are copied (every piece starts on a key frame and was made
// with the same encoder settings), the music is encoded as a render's video would encode it.
#pragma once

#include <string>
#include <vector>

namespace vexil {

// False with a message (nothing is left at `out`) for pieces of different formats, pieces that
// leave a gap or overlap, or music that does not last as long as the pictures.
bool JoinVideos(const std::string& out, const std::vector<std::string>& parts,
                const std::string& music, std::string* error);

}  // namespace vexil
