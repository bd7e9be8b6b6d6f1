// The script limit scan: a flat walk over the text that recognises what the XML parser
// (tinyxml) recognises, in the same order and with the same rules for white space, names,
// quoting, comments, CDATA, declarations and other "<!" and "<?" nodes, but keeps the open
// elements on a stack of its own instead of recursing. It only counts: where the text stops
// being XML the parser can read on, the parser stops too, and so does the scan.
#include "script/script_limits.h"

#include <strings.h>

#include <cctype>
#include <cstring>
#include <vector>

namespace vexil {
namespace {

enum class Encoding { kUnknown, kUtf8, kLegacy };

// tinyxml's notion of white space and of the characters of a name; every byte from 127 up
// counts as a letter, whatever the encoding.
bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) || c == '\n' || c == '\r';
}
bool IsNameStart(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= 127 || std::isalpha(u) || c == '_';
}
bool IsNameChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= 127 || std::isalnum(u) || c == '_' || c == '-' || c == '.' || c == ':';
}

// Bytes of the UTF-8 character a byte starts, as the parser counts them (1 for a byte that
// starts none).
size_t Utf8Length(char first) {
  const unsigned char lead = static_cast<unsigned char>(first);
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 1;
}

class LimitScan {
 public:
  LimitScan(const char* text, bool legacy, const ScriptLimits& limits)
      : m_text(text),
        m_p(text),
        m_encoding(legacy ? Encoding::kLegacy : Encoding::kUnknown),
        m_limits(limits) {}

  // "" within the limits, else the first limit passed with its line.
  std::string Run();
  const ScriptShape& shape() const { return m_shape; }

 private:
  struct Open {
    const char* name;
    size_t nameLength;
    int64_t keys;
    const char* start;  // the "<" of its start tag
  };

  bool StartsWith(const char* prefix, bool ignoreCase = false) const {
    const size_t n = std::strlen(prefix);
    return ignoreCase ? strncasecmp(m_p, prefix, n) == 0 : std::strncmp(m_p, prefix, n) == 0;
  }
  void SkipSpace();
  // Moves past the next `end` (false, at the end of the text, when there is none).
  bool SkipPast(const char* end);
  // Moves to the next `end` over text the way the parser reads text: an entity at a time
  // ("&#x41;", "&amp;") and, in UTF-8, a whole character at a time. The parser's numeric
  // entity runs to the next ";" and may hold a quote or a "<" (as in "&#x41"x42;"), which it
  // then steps over: so does the scan. False where the parser fails (a broken numeric entity,
  // the end of the text).
  bool SkipText(char end);
  bool SkipEntity();
  // Reads a name at the cursor; its length, 0 when no name starts here.
  size_t ReadName();
  // Reads `name = value` at the cursor; false where the parser would fail. The value's
  // text as written goes to `value` when asked for.
  bool ReadAttribute(const char* element, std::string* value);
  bool StartTag();
  bool EndTag();
  bool Declaration(bool topLevel);
  // Records a breach at `where` and answers false, which ends the scan.
  bool Breach(const char* where, const std::string& what);

  const char* m_text;
  const char* m_p;
  Encoding m_encoding;
  const ScriptLimits& m_limits;
  std::vector<Open> m_open;
  ScriptShape m_shape;
  std::string m_breach;
};

void LimitScan::SkipSpace() {
  for (;;) {
    if (m_encoding == Encoding::kUtf8) {
      // The parser skips byte order marks (and two other non-characters) as white space
      // wherever it skips white space in UTF-8.
      const unsigned char* u = reinterpret_cast<const unsigned char*>(m_p);
      if (u[0] == 0xEF &&
          ((u[1] == 0xBB && u[2] == 0xBF) || (u[1] == 0xBF && (u[2] == 0xBE || u[2] == 0xBF)))) {
        m_p += 3;
        continue;
      }
    }
    if (*m_p && IsSpace(*m_p)) {
      ++m_p;
      continue;
    }
    return;
  }
}

bool LimitScan::SkipPast(const char* end) {
  const char* found = std::strstr(m_p, end);
  if (!found) {
    m_p += std::strlen(m_p);
    return false;
  }
  m_p = found + std::strlen(end);
  return true;
}

bool LimitScan::SkipEntity() {
  const char* p = m_p;
  if (p[1] == '#' && p[2]) {
    const bool hex = p[2] == 'x';
    if (hex && !p[3]) return false;
    const char* semicolon = std::strchr(p + (hex ? 3 : 2), ';');
    if (!semicolon) return false;
    // Digits back from the ";" to the nearest "x" (or "#"): whatever lies in between.
    const char stop = hex ? 'x' : '#';
    for (const char* q = semicolon - 1; *q != stop; --q) {
      const unsigned char c = static_cast<unsigned char>(*q);
      if (!(hex ? std::isxdigit(c) : std::isdigit(c))) return false;
    }
    m_p = semicolon + 1;
    return true;
  }
  for (const char* named : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
    if (StartsWith(named)) {
      m_p += std::strlen(named);
      return true;
    }
  }
  ++m_p;  // a lone "&" is a character of its own
  return true;
}

bool LimitScan::SkipText(char end) {
  while (*m_p && *m_p != end) {
    if (*m_p == '&') {
      if (!SkipEntity()) return false;
      continue;
    }
    const size_t step = m_encoding == Encoding::kUtf8 ? Utf8Length(*m_p) : 1;
    for (size_t i = 1; i < step; ++i) {
      if (!m_p[i]) return false;  // a character cut off by the end of the text
    }
    m_p += step;
  }
  return *m_p != '\0';
}

size_t LimitScan::ReadName() {
  if (!IsNameStart(*m_p)) return 0;
  const char* start = m_p;
  while (*m_p && IsNameChar(*m_p)) ++m_p;
  return static_cast<size_t>(m_p - start);
}

bool LimitScan::Breach(const char* where, const std::string& what) {
  int64_t line = 1;
  for (const char* p = m_text; p < where; ++p) line += *p == '\n';
  m_breach = "line " + std::to_string(line) + ": " + what;
  return false;
}

bool LimitScan::ReadAttribute(const char* element, std::string* value) {
  SkipSpace();
  const char* start = m_p;
  const size_t nameLength = ReadName();
  if (nameLength == 0 || !*m_p) return false;
  if (static_cast<int64_t>(nameLength) > m_shape.longestName) {
    m_shape.longestName = static_cast<int64_t>(nameLength);
  }
  if (static_cast<int64_t>(nameLength) > m_limits.maxNameLength) {
    return Breach(start, "an attribute name of " + std::to_string(nameLength) +
                             " characters is longer than the limit of " +
                             std::to_string(m_limits.maxNameLength));
  }
  const std::string name(start, nameLength);
  SkipSpace();
  if (*m_p != '=') return false;
  ++m_p;
  SkipSpace();
  if (!*m_p) return false;
  const char* text = m_p;
  size_t length = 0;
  if (*m_p == '"' || *m_p == '\'') {
    const char quote = *m_p;
    ++m_p;
    text = m_p;
    if (!SkipText(quote)) return false;
    length = static_cast<size_t>(m_p - text);
    ++m_p;
    if (!*m_p) return false;  // the parser wants something after the value
  } else {
    // Unquoted values run to white space or the end of the tag; a quote in one is an error.
    while (*m_p && !IsSpace(*m_p) && *m_p != '/' && *m_p != '>') {
      if (*m_p == '"' || *m_p == '\'') return false;
      ++m_p;
    }
    length = static_cast<size_t>(m_p - text);
    if (!*m_p) return false;
  }
  if (static_cast<int64_t>(length) > m_shape.longestValue) {
    m_shape.longestValue = static_cast<int64_t>(length);
  }
  if (static_cast<int64_t>(length) > m_limits.maxValueLength) {
    return Breach(start, "the value of attribute \"" + name + "\" of <" + element + "> is " +
                             std::to_string(length) + " characters long, more than the limit of " +
                             std::to_string(m_limits.maxValueLength));
  }
  if (value) value->assign(text, length);
  return true;
}

bool LimitScan::StartTag() {
  const char* tag = m_p;
  ++m_p;  // "<"; a name follows at once, or this would not be an element
  const char* name = m_p;
  const size_t nameLength = ReadName();
  // The parser has made the element (and keeps it) before it finds what follows the name.
  const std::string shown(name, nameLength < 64 ? nameLength : 64);
  if (static_cast<int64_t>(nameLength) > m_shape.longestName) {
    m_shape.longestName = static_cast<int64_t>(nameLength);
  }
  if (static_cast<int64_t>(nameLength) > m_limits.maxNameLength) {
    return Breach(tag, "an element name of " + std::to_string(nameLength) +
                           " characters is longer than the limit of " +
                           std::to_string(m_limits.maxNameLength));
  }
  if (++m_shape.elements > m_limits.maxElements) {
    return Breach(tag, "the script has more than the limit of " +
                           std::to_string(m_limits.maxElements) + " elements");
  }
  if (!m_open.empty() && nameLength == 3 && strncasecmp(name, "key", 3) == 0) {
    Open& parent = m_open.back();
    if (++parent.keys > m_shape.mostKeys) m_shape.mostKeys = parent.keys;
    if (parent.keys > m_limits.maxKeysPerElement) {
      int64_t line = 1;
      for (const char* p = m_text; p < parent.start; ++p) line += *p == '\n';
      return Breach(tag, "<" + std::string(parent.name, parent.nameLength) + "> of line " +
                             std::to_string(line) + " has more than the limit of " +
                             std::to_string(m_limits.maxKeysPerElement) + " <key> elements");
    }
  }
  if (!*m_p) return false;
  int64_t attributes = 0;
  for (;;) {
    SkipSpace();
    if (!*m_p) return false;
    if (*m_p == '/') {
      if (m_p[1] != '>') return false;
      m_p += 2;
      return true;  // an empty element: nothing opens
    }
    if (*m_p == '>') {
      ++m_p;
      m_open.push_back({name, nameLength, 0, tag});
      const int64_t depth = static_cast<int64_t>(m_open.size());
      if (depth > m_shape.depth) m_shape.depth = depth;
      if (depth > m_limits.maxDepth) {
        return Breach(tag, "elements nested more than the limit of " +
                               std::to_string(m_limits.maxDepth) + " deep");
      }
      return true;
    }
    const char* at = m_p;
    if (!ReadAttribute(shown.c_str(), nullptr)) return false;
    ++attributes;
    if (attributes > m_shape.mostAttributes) m_shape.mostAttributes = attributes;
    if (attributes > m_limits.maxAttributesPerElement) {
      return Breach(at, "<" + shown + "> has more than the limit of " +
                            std::to_string(m_limits.maxAttributesPerElement) + " attributes");
    }
    if (++m_shape.attributes > m_limits.maxAttributes) {
      return Breach(at, "the script has more than the limit of " +
                            std::to_string(m_limits.maxAttributes) + " attributes");
    }
  }
}

bool LimitScan::EndTag() {
  // "</name" must close the innermost element, then white space and ">".
  const Open& open = m_open.back();
  m_p += 2;
  if (std::strncmp(m_p, open.name, open.nameLength) != 0) return false;
  m_p += open.nameLength;
  SkipSpace();
  if (*m_p != '>') return false;
  ++m_p;
  m_open.pop_back();
  return true;
}

bool LimitScan::Declaration(bool topLevel) {
  m_p += 5;  // "<?xml"
  std::string encoding;
  bool sawEncoding = false;
  bool closed = false;
  while (*m_p) {
    if (*m_p == '>') {
      ++m_p;
      closed = true;
      break;
    }
    SkipSpace();
    if (!*m_p) break;
    const bool isEncoding = StartsWith("encoding", true);
    if (StartsWith("version", true) || isEncoding || StartsWith("standalone", true)) {
      std::string value;
      if (!ReadAttribute("?xml", &value)) return false;
      if (isEncoding) {
        encoding = value;
        sawEncoding = true;
      }
    } else {
      while (*m_p && *m_p != '>' && !IsSpace(*m_p)) ++m_p;
    }
  }
  if (!closed) return false;
  // The first declaration of the document decides how the rest is read, as in the parser.
  if (topLevel && m_encoding == Encoding::kUnknown) {
    const char* name = sawEncoding ? encoding.c_str() : "";
    const bool utf8 =
        !*name || strncasecmp(name, "UTF-8", 5) == 0 || strncasecmp(name, "UTF8", 4) == 0;
    m_encoding = utf8 ? Encoding::kUtf8 : Encoding::kLegacy;
  }
  return true;
}

std::string LimitScan::Run() {
  const unsigned char* u = reinterpret_cast<const unsigned char*>(m_p);
  if (m_encoding == Encoding::kUnknown && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) {
    m_encoding = Encoding::kUtf8;
  }
  for (;;) {
    SkipSpace();
    if (!*m_p) break;
    if (*m_p != '<') {
      // Text ends the document at the top level; inside an element it runs to the next tag.
      if (m_open.empty() || !SkipText('<')) break;
      continue;
    }
    bool going = true;
    if (!m_open.empty() && m_p[1] == '/') {
      going = EndTag();
    } else if (StartsWith("<?xml", true)) {
      going = Declaration(m_open.empty());
    } else if (StartsWith("<!--")) {
      m_p += 4;
      going = SkipPast("-->");
    } else if (StartsWith("<![CDATA[")) {
      m_p += 9;
      going = SkipPast("]]>");
    } else if (IsNameStart(m_p[1]) && !StartsWith("<!")) {
      going = StartTag();
    } else {
      // Anything else ("<!DOCTYPE ...>", "<?other ...?>", "</x>" at the top level) is kept
      // as an unknown node up to the next ">".
      ++m_p;
      going = SkipPast(">");
    }
    if (!going) break;
  }
  return m_breach;
}

}  // namespace

std::string CheckScriptLimits(const char* text, bool legacy, const ScriptLimits& limits,
                              ScriptShape* shape) {
  if (!text) return {};
  LimitScan scan(text, legacy, limits);
  std::string breach = scan.Run();
  if (shape) *shape = scan.shape();
  return breach;
}

}  // namespace vexil
