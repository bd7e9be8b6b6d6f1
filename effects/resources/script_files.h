// The files a script's values name, found the Windows way (system/file_lookup.h), with the
// script's folder as the place where an absolute Windows path is looked for instead.
#pragma once

#include <string>

#include "system/file_lookup.h"

class CDataProvider;

namespace effects {

// How messages call the place where an absolute Windows path from the script is looked for.
extern const char kScriptFolderText[];

// Looks `name` up for `owner` (its widget manager knows the script's folder; without one the
// working directory stands in): in the working folder first, then in the script's folder. A note on
// stderr tells what an absolute Windows path or an ambiguous name was taken to be.
vexil::sys::FileLookup FindScriptFile(const CDataProvider* owner, const char* name);

// Where the files `owner`'s script names are looked for after the working folder: the script's
// folder as a prefix ("demo/"), "" when that is the working folder or unknown.
std::string ScriptFolderOf(const CDataProvider* owner);

// For --check: what the lookup of a file that `owner` found by itself (not through one of its
// values, which the check examines on its own) had to guess or could not find, reported with
// the owner's script line. Nothing happens outside a check.
void ReportFileLookup(const CDataProvider* owner, const std::string& subject,
                      const vexil::sys::FileLookup& lookup, const std::string& homesText);

// For --check: a file that `owner` names was found but cannot be used (a picture or mesh that
// does not decode, a file too large), reported with the owner's script line. A missing file
// is left to the check of the names themselves. Nothing happens outside a check.
void ReportUnusableFile(const CDataProvider* owner, const vexil::sys::FileLookup& lookup,
                        const std::string& problem);

// For --check: something `owner` was to make cannot be made (a render target too large),
// reported with the owner's script line. Nothing happens outside a check.
void ReportForCheck(const CDataProvider* owner, const std::string& problem);

}  // namespace effects
