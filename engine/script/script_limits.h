// Limits on the shape of a script, checked on its text before the XML parser builds anything.
// The parser recurses once per level of nesting and compares every attribute of an element with
// all before it, so a stranger's script could otherwise overflow the stack or take minutes to
// parse; element, attribute and key counts and string lengths bound the memory it builds. Each
// limit is far above what a real demo needs (docs/SCRIPTING.md lists them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexil {

struct ScriptLimits {
  int64_t maxDepth = 256;                // elements nested inside one another
  int64_t maxElements = 1 << 20;         // elements in the whole script
  int64_t maxAttributesPerElement = 64;  // attributes on one element
  int64_t maxAttributes = 1 << 22;       // attributes in the whole script
  int64_t maxKeysPerElement = 1 << 16;   // "key" children of one element
  int64_t maxNameLength = 256;           // characters of an element or attribute name
  int64_t maxValueLength = 1 << 16;      // characters of one attribute value, as written
};

// The largest script file (or container) the player reads: 64 MiB.
constexpr uint64_t kMaxScriptBytes = uint64_t{64} << 20;

// What a scan saw, up to where it stopped: the most of each thing at once, and the totals.
struct ScriptShape {
  int64_t depth = 0;
  int64_t elements = 0;
  int64_t attributes = 0;
  int64_t mostAttributes = 0;  // on one element
  int64_t mostKeys = 0;        // "key" children of one element
  int64_t longestName = 0;
  int64_t longestValue = 0;
};

// Scans script text (up to its first zero byte) the way the XML parser will read it:
// `legacy` for text read byte by byte (not UTF-8), otherwise as UTF-8 or whatever its
// declaration says. Returns "" when the script is within `limits`, otherwise what was too
// large and the limit, starting with the line where the limit was passed:
// "line 12: elements nested more than 256 deep". The scan stops, within limits, where the
// text stops being XML the parser can read on: the parser stops there too.
std::string CheckScriptLimits(const char* text, bool legacy, const ScriptLimits& limits = {},
                              ScriptShape* shape = nullptr);

}  // namespace vexil
