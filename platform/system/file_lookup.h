// Finds the files a demo names. Demos are made on Windows, where file names ignore letter case
// and the separator is a backslash; scripts, containers and .x meshes name their files that way.
// Every file name that comes from demo data is looked up here, so that playback and the script
// check find the same file.
#pragma once

#include <string>
#include <vector>

namespace vexil {
namespace sys {

enum class FileKind { kMissing, kRegular, kFolder, kOther };

struct FileLookup {
  // What to open: the entry found. When nothing was found, the name with '/' separators.
  std::string path;
  FileKind kind = FileKind::kMissing;
  // A part of the path matched only without regard to letter case or character encoding.
  bool loose = false;
  // A relative name that is not in the working folder was found under the fallback folder (the
  // script's own folder); `path` is that file.
  bool inFallback = false;
  // The name is an absolute Windows path ("C:\demo\logo.png", "\\server\share\logo.png",
  // "\demo\logo.png"), which names no file here; `path` is what was found under a home.
  bool windowsPath = false;
  // The first folder where several names were equal without regard to case, and those names in
  // byte order; the first of them was taken. Empty when every match was unique.
  std::string ambiguousFolder;
  std::vector<std::string> ambiguous;
  // Why nothing was found, for messages, e.g. `no folder "Gfx" in "data"`.
  std::string whyMissing;

  bool found() const { return kind != FileKind::kMissing; }
};

// Finds `name`, in this order:
// 1. the name exactly as written, when anything exists there;
// 2. backslashes as separators, and each part of the path matched in its folder: a part that
//    exists as written wins; otherwise the folder's entries are compared without regard to
//    letter case (ASCII, Latin-1 and Latin Extended-A letters). Among several entries equal in
//    that sense, the first in byte order is taken ("Logo.png" before "logo.png"). A part that is
//    not valid UTF-8 is read as Windows-1252, so "t\xEAte.png" finds "tête.png". Relative names
//    are relative to the working directory; ".." goes up as usual.
// 2a. a relative name found nowhere from the working directory is looked for in the same way
//    under `fallback` (a prefix such as "demo/"; "" for none): a demo's files lie beside its
//    script, so "vexil path/to/demo.xml" plays from any working folder.
// 3. an absolute Windows path is looked for under each of `homes` in turn (prefixes put in front
//    as they stand, such as "demo/" or ""), by the parts after its drive from the longest tail
//    to the file name alone: "C:\work\gfx\logo.png" tries "work/gfx/logo.png", then
//    "gfx/logo.png", then "logo.png".
// Only folders are listed, never files opened; the work of one lookup is bounded (parts of a
// name, folders listed and entries read), so a huge or endless folder listing ends the search.
FileLookup LookUpFile(const std::string& name, const std::vector<std::string>& homes = {},
                      const std::string& fallback = "");

// True for "C:\demo\logo.png", "C:logo.png", "\\server\share\logo.png" and "\demo\logo.png".
bool IsWindowsAbsolutePath(const std::string& name);

// A home for LookUpFile: "" for the working directory ("" or "."), else `folder` ending in '/'.
std::string FolderPrefix(const std::string& folder);
// The folder part of a path as a home: "demo/ship.x" gives "demo/", "ship.x" gives "".
std::string FolderPrefixOf(const std::string& path);

// What a person should hear about a lookup. `subject` names what was looked up, e.g.
// `file "SND\TONE.WAV"` (with names made Printable, text_encoding.h); `homesText` where an absolute
// Windows path was looked for instead, e.g. "the script's folder".
struct FileLookupReport {
  // Why the file cannot be used as the name intends: missing, not a file, an absolute Windows
  // path, or several names equal without regard to case. Empty when there is nothing wrong.
  std::string problem;
  // What had to be guessed when nothing is wrong (letter case, encoding, a file found beside
  // the script rather than in the working folder); else empty.
  std::string note;
};
FileLookupReport DescribeFileLookup(const std::string& subject, const FileLookup& lookup,
                                    const std::string& homesText);

// LookUpFile for a loader: when the name was an absolute Windows path or ambiguous, a note on
// stderr says what is used instead (a missing file is left to the loader's own message).
FileLookup LookUpDemoFile(const std::string& name, const std::vector<std::string>& homes,
                          const std::string& homesText, const std::string& fallback = "");

}  // namespace sys
}  // namespace vexil
