// Saving sync tracks: each track's file is replaced whole, so a reader (or a crash midway)
// never sees half a file.
#pragma once

#include <string>
#include <vector>

class CSyncContext;

namespace vexil {

// Writes `bytes` to a new file beside `path` (created exclusively, never through a link) and
// renames it over `path`. False, with the reason, when any step fails; the old file then stays.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, std::string* error);

// Writes every track of `sync` to its track file. The files written go to `written`; a failure
// ends the saving with the reason in `error`.
bool SaveSyncTracks(const CSyncContext& sync, const std::string& script_folder,
                    std::vector<std::string>* written, std::string* error);

}  // namespace vexil
