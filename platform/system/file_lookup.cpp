// Windows-style file names on case-sensitive file systems: separators, letter case, code page
// and absolute paths from the machine a demo was made on.
#include "system/file_lookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "system/bundle.h"
#include "system/text_encoding.h"

namespace vexil {
namespace sys {
namespace {

// The mounted bundle's entry or folder of that name (bundle.h), as a lookup that found it.
bool FindInBundle(const std::string& name, FileLookup* result) {
  const std::shared_ptr<const Bundle> bundle = MountedBundle();
  if (!bundle) return false;
  const std::string entry = bundle->Find(name);
  if (!entry.empty()) {
    result->loose = entry != name && entry != name.substr(name.compare(0, 2, "./") == 0 ? 2 : 0);
    result->path = entry;
    result->kind = FileKind::kRegular;
    return true;
  }
  if (bundle->HasFolder(name)) {
    result->kind = FileKind::kFolder;
    return true;
  }
  return false;
}

// Far beyond any real demo; they bound the work a hostile name can cause.
constexpr size_t kMaxNameBytes = 4096;
constexpr size_t kMaxParts = 64;
constexpr int kMaxListings = 256;
constexpr long kMaxEntries = 1L << 20;

struct Budget {
  int listings = kMaxListings;
  long entries = kMaxEntries;
};

FileKind KindAt(const std::string& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return FileKind::kMissing;
  if (S_ISREG(st.st_mode)) return FileKind::kRegular;
  if (S_ISDIR(st.st_mode)) return FileKind::kFolder;
  return FileKind::kOther;
}

// Letter case as Windows folds it for the letters a Windows-1252 or Central European name can
// hold: ASCII, Latin-1 and Latin Extended-A.
char32_t FoldCase(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c == 0x178) return 0xFF;  // Y with diaeresis
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c + (c & 1);
  return c;
}

std::u32string Folded(const std::string& name) {
  std::u32string text = DecodeText(name.data(), name.size());
  for (char32_t& c : text) c = FoldCase(c);
  return text;
}

std::string Join(const std::string& folder, const std::string& part) {
  if (folder.empty()) return part;
  return folder.back() == '/' ? folder + part : folder + "/" + part;
}

std::string Shown(const std::string& folder) {
  return folder.empty() ? "." : folder;
}

std::string Quoted(const std::string& text) {
  return "\"" + Printable(text) + "\"";
}

// The parts of a path with '/' separators, without empty and "." parts.
std::vector<std::string> SplitParts(const std::string& slashed) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= slashed.size()) {
    size_t end = slashed.find('/', start);
    if (end == std::string::npos) end = slashed.size();
    std::string part = slashed.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(std::move(part));
    start = end + 1;
  }
  return parts;
}

enum class Match { kFound, kNone, kTooLarge };

// The entries of `folder` equal to `part` without regard to case, in byte order; folders
// only when `wantFolder`.
Match MatchInFolder(const std::string& folder, const std::string& part, bool wantFolder,
                    Budget* budget, std::vector<std::string>* names) {
  if (--budget->listings < 0) return Match::kTooLarge;
  // opendir refuses anything but a folder without blocking (a named pipe, a device).
  DIR* directory = ::opendir(Shown(folder).c_str());
  if (!directory) return Match::kNone;
  const std::u32string wanted = Folded(part);
  Match result = Match::kNone;
  while (const dirent* entry = ::readdir(directory)) {
    if (--budget->entries < 0) {
      result = Match::kTooLarge;
      break;
    }
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || Folded(name) != wanted) continue;
    if (wantFolder && KindAt(Join(folder, name)) != FileKind::kFolder) continue;
    names->push_back(name);
  }
  ::closedir(directory);
  if (result == Match::kTooLarge) return result;
  std::sort(names->begin(), names->end());
  return names->empty() ? Match::kNone : Match::kFound;
}

// Steps 1 and 2 of LookUpFile for one candidate name.
bool FindLoosely(const std::string& name, Budget* budget, FileLookup* out) {
  const FileKind exact = KindAt(name);
  if (exact != FileKind::kMissing) {
    out->path = name;
    out->kind = exact;
    return true;
  }
  std::string slashed = name;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  out->path = slashed;
  const std::vector<std::string> parts = SplitParts(slashed);
  if (parts.size() > kMaxParts) {
    out->whyMissing = "the name has more than " + std::to_string(kMaxParts) + " parts";
    return false;
  }
  std::string current = !slashed.empty() && slashed[0] == '/' ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    const bool last = i + 1 == parts.size();
    const std::string next = Join(current, part);
    const FileKind kind = part == ".." ? FileKind::kFolder : KindAt(next);
    if (kind != FileKind::kMissing && (last || kind == FileKind::kFolder)) {
      current = next;
      continue;
    }
    std::vector<std::string> names;
    switch (MatchInFolder(current, part, !last, budget, &names)) {
      case Match::kTooLarge:
        out->whyMissing =
            "the search ends in " + Quoted(Shown(current)) + ", which holds too many entries";
        return false;
      case Match::kNone:
        out->whyMissing = std::string(last ? "no " : "no folder ") + Quoted(part) + " in " +
                          Quoted(Shown(current));
        return false;
      case Match::kFound:
        break;
    }
    if (names.size() > 1 && out->ambiguous.empty()) {
      out->ambiguousFolder = Shown(current);
      out->ambiguous = names;
    }
    out->loose = true;
    current = Join(current, names.front());
  }
  if (current.empty()) current = ".";
  out->path = current;
  out->kind = KindAt(current);
  return out->found();
}

// The parts of an absolute Windows path after its drive, with "." and ".." taken away.
std::vector<std::string> WindowsTail(const std::string& name) {
  std::string rest = name.size() >= 2 && name[1] == ':' ? name.substr(2) : name;
  std::replace(rest.begin(), rest.end(), '\\', '/');
  std::vector<std::string> tail;
  for (std::string& part : SplitParts(rest)) {
    if (part != "..") {
      tail.push_back(std::move(part));
    } else if (!tail.empty()) {
      tail.pop_back();
    }
  }
  return tail;
}

}  // namespace

bool IsWindowsAbsolutePath(const std::string& name) {
  const bool drive =
      name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
  return drive || (!name.empty() && name[0] == '\\');
}

FileLookup LookUpFile(const std::string& name, const std::vector<std::string>& homes,
                      const std::string& fallback) {
  FileLookup result;
  std::string slashed = name;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  result.path = slashed;
  if (name.empty()) {
    result.whyMissing = "no file name given";
    return result;
  }
  if (name.size() > kMaxNameBytes) {
    result.whyMissing = "the name is longer than " + std::to_string(kMaxNameBytes) + " bytes";
    return result;
  }
  // A demo played from a bundle finds its relative names in the archive first.
  if (slashed[0] != '/' && !IsWindowsAbsolutePath(name) && FindInBundle(slashed, &result)) {
    return result;
  }
  Budget budget;
  if (!IsWindowsAbsolutePath(name) || KindAt(name) != FileKind::kMissing) {
    if (FindLoosely(name, &budget, &result) || fallback.empty() || name[0] == '/') return result;
    FileLookup beside;
    if (FindLoosely(fallback + name, &budget, &beside)) {
      beside.inFallback = true;
      return beside;
    }
    return result;
  }

  result.windowsPath = true;
  const std::vector<std::string> tail = WindowsTail(name);
  if (tail.size() > kMaxParts) {
    result.whyMissing = "the name has more than " + std::to_string(kMaxParts) + " parts";
    return result;
  }
  for (size_t first = 0; first < tail.size(); ++first) {
    std::string suffix;
    for (size_t i = first; i < tail.size(); ++i) suffix = Join(suffix, tail[i]);
    for (const std::string& home : homes) {
      FileLookup attempt;
      if (FindLoosely(home + suffix, &budget, &attempt)) {
        attempt.windowsPath = true;
        return attempt;
      }
      if (budget.listings < 0 || budget.entries < 0) {
        result.whyMissing = attempt.whyMissing;
        return result;
      }
    }
  }
  return result;
}

std::string FolderPrefix(const std::string& folder) {
  if (folder.empty() || folder == ".") return "";
  return folder.back() == '/' ? folder : folder + "/";
}

std::string FolderPrefixOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

FileLookupReport DescribeFileLookup(const std::string& subject, const FileLookup& lookup,
                                    const std::string& homesText) {
  FileLookupReport report;
  std::string& problem = report.problem;
  auto add = [&problem](const std::string& clause) {
    problem += (problem.empty() ? "" : "; ") + clause;
  };
  if (lookup.windowsPath) {
    add(subject + " is an absolute Windows path, which names no file here" +
        (lookup.found() ? "; the player uses " + Quoted(lookup.path) + " instead"
                        : ", and no file of that name is in " + homesText));
  } else if (!lookup.found()) {
    add(subject + " does not exist" +
        (lookup.whyMissing.empty() ? "" : " (" + lookup.whyMissing + ")"));
  }
  const std::string what = problem.empty() ? subject : Quoted(lookup.path);
  if (lookup.kind == FileKind::kFolder) {
    add(what + " is a folder, not a file");
  } else if (lookup.kind == FileKind::kOther) {
    add(what + " is not a regular file (a device, named pipe or socket)");
  }
  if (!lookup.ambiguous.empty()) {
    std::string names;
    for (const std::string& name : lookup.ambiguous) {
      names += (names.empty() ? "" : ", ") + Quoted(name);
    }
    add((problem.empty() ? subject + ": " : std::string()) + names + " in " +
        Quoted(lookup.ambiguousFolder) + " differ only in letter case; the player takes " +
        Quoted(lookup.ambiguous.front()) + ", the first in byte order");
  }
  if (problem.empty() && lookup.inFallback) {
    report.note = subject + " is not in the working folder; the player uses " +
                  Quoted(lookup.path) + ", beside the script" +
                  (lookup.loose ? " (found without regard to letter case)" : "");
  } else if (problem.empty() && lookup.loose) {
    report.note = subject + " is taken to be " + Quoted(lookup.path) +
                  " (found without regard to letter case)";
  }
  return report;
}

FileLookup LookUpDemoFile(const std::string& name, const std::vector<std::string>& homes,
                          const std::string& homesText, const std::string& fallback) {
  FileLookup lookup = LookUpFile(name, homes, fallback);
  if (lookup.windowsPath || !lookup.ambiguous.empty()) {
    const FileLookupReport report = DescribeFileLookup(Quoted(name), lookup, homesText);
    std::fprintf(stderr, "vexil: note: %s\n", report.problem.c_str());
  }
  return lookup;
}

}  // namespace sys
}  // namespace vexil
