// The .x lexer: text tokens (names, strings, numbers in any locale, braces, GUIDs) and binary
// ones (token words, counted lists of integers or floats) as one stream.
#include "d3dx9/xfile_lexer.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace d3dx {
namespace xfile {

namespace {

// The number written in [first, last) exactly, whatever the locale; false when the text is not
// all one number or it does not fit a double.
bool ReadDouble(const char* first, const char* last, double* value) {
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 170000
  // Older libc++ (the browser build's) has no floating-point from_chars; its strtod ignores
  // the locale there, as a browser has only the "C" one.
  const std::string text(first, last);
  char* end = nullptr;
  errno = 0;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size() && errno != ERANGE;
#else
  const auto result = std::from_chars(first, last, *value);
  return result.ec == std::errc() && result.ptr == last;
#endif
}

}  // namespace

void Fail(const std::string& what) {
  throw ParseError{what};
}

Token Lexer::ReadText() {
  Token t;
  while (pos_ < n_) {
    const unsigned char c = d_[pos_];
    if (c == '\n') {
      ++line_;
      ++pos_;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == ',' || c == ';' || c == '\f' ||
               c == '\v' || c == '[' || c == ']' || c == '(' || c == ')') {
      ++pos_;
    } else if (c == '#' || (c == '/' && pos_ + 1 < n_ && d_[pos_ + 1] == '/')) {
      while (pos_ < n_ && d_[pos_] != '\n') ++pos_;
    } else {
      break;
    }
  }
  if (pos_ >= n_) return t;
  const unsigned char c = d_[pos_];
  if (c == '{' || c == '}') {
    ++pos_;
    t.kind = c == '{' ? Tok::kOpenBrace : Tok::kCloseBrace;
    return t;
  }
  if (c == '<') {
    while (pos_ < n_ && d_[pos_] != '>') ++pos_;
    if (pos_ >= n_) Fail("a GUID without its closing '>'");
    ++pos_;
    t.kind = Tok::kGuid;
    return t;
  }
  if (c == '"') {
    const size_t start = ++pos_;
    while (pos_ < n_ && d_[pos_] != '"') {
      if (d_[pos_] == '\n') ++line_;
      ++pos_;
    }
    if (pos_ >= n_) Fail("a string without its closing quote");
    t.kind = Tok::kString;
    t.text.assign(reinterpret_cast<const char*>(d_ + start), pos_ - start);
    ++pos_;
    return t;
  }
  if (std::isdigit(c) || c == '-' || c == '+' || c == '.') return ReadTextNumber();
  if (std::isalpha(c) || c == '_') {
    const size_t start = pos_;
    while (pos_ < n_ &&
           (std::isalnum(d_[pos_]) || d_[pos_] == '_' || d_[pos_] == '-' || d_[pos_] == '.'))
      ++pos_;
    t.text.assign(reinterpret_cast<const char*>(d_ + start), pos_ - start);
    t.kind = t.text == "template" ? Tok::kTemplate : Tok::kName;
    return t;
  }
  Fail(std::string("an unexpected character '") + static_cast<char>(c) + "'");
}

Token Lexer::ReadTextNumber() {
  Token t;
  size_t start = pos_;
  if (d_[pos_] == '+') start = ++pos_;  // from_chars takes no plus sign
  bool isFloat = false;
  while (pos_ < n_) {
    const unsigned char c = d_[pos_];
    if (c == '.' || c == 'e' || c == 'E') {
      isFloat = true;
    } else if (!(std::isdigit(c) ||
                 ((c == '-' || c == '+') && pos_ > start &&
                  (d_[pos_ - 1] == 'e' || d_[pos_ - 1] == 'E')) ||
                 (c == '-' && pos_ == start))) {
      break;
    }
    ++pos_;
  }
  const char* first = reinterpret_cast<const char*>(d_ + start);
  const char* last = reinterpret_cast<const char*>(d_ + pos_);
  double value = 0;
  if (!ReadDouble(first, last, &value)) {
    // "1.#QNAN0" and friends, written by old exporters for broken values, read as 0.
    while (pos_ < n_ && (std::isalnum(d_[pos_]) || d_[pos_] == '#')) ++pos_;
    value = 0;
  }
  t.kind = isFloat ? Tok::kFloat : Tok::kInteger;
  t.number = value;
  return t;
}

uint32_t Lexer::Word() {
  Need(2);
  const uint32_t v = d_[pos_] | (d_[pos_ + 1] << 8);
  pos_ += 2;
  return v;
}

uint32_t Lexer::Dword() {
  Need(4);
  uint32_t v;
  std::memcpy(&v, d_ + pos_, 4);
  pos_ += 4;
  return v;
}

void Lexer::Need(uint64_t bytes) const {
  if (bytes > n_ - pos_) Fail("the file ends inside a token");
}

Token Lexer::ReadBinary() {
  Token t;
  while (true) {
    if (listLeft_ > 0) {
      --listLeft_;
      if (listIsFloat_) {
        t.kind = Tok::kFloat;
        if (doubles_) {
          Need(8);
          double v;
          std::memcpy(&v, d_ + pos_, 8);
          pos_ += 8;
          t.number = v;
        } else {
          Need(4);
          float v;
          std::memcpy(&v, d_ + pos_, 4);
          pos_ += 4;
          t.number = v;
        }
      } else {
        t.kind = Tok::kInteger;
        t.number = Dword();
      }
      return t;
    }
    if (pos_ >= n_) return t;
    const uint32_t token = Word();
    switch (token) {
      case 1:    // name
      case 2: {  // string
        const uint32_t length = Dword();
        Need(length);
        t.text.assign(reinterpret_cast<const char*>(d_ + pos_), length);
        pos_ += length;
        t.kind = token == 1 ? Tok::kName : Tok::kString;
        if (token == 2) Word();  // the terminating separator token
        if (token == 1 && t.text == "template") t.kind = Tok::kTemplate;
        return t;
      }
      case 3:
        t.kind = Tok::kInteger;
        t.number = Dword();
        return t;
      case 5:
        Need(16);
        pos_ += 16;
        t.kind = Tok::kGuid;
        return t;
      case 6:
      case 7: {
        const uint64_t count = Dword();
        Need(count * (token == 6 ? 4 : (doubles_ ? 8 : 4)));
        listLeft_ = count;
        listIsFloat_ = token == 7;
        continue;
      }
      case 10:
        t.kind = Tok::kOpenBrace;
        return t;
      case 11:
        t.kind = Tok::kCloseBrace;
        return t;
      case 31:
        t.kind = Tok::kTemplate;
        return t;
      default:
        // Punctuation (12-20) and the primitive type keywords of templates (40-53).
        if ((token >= 12 && token <= 20) || (token >= 40 && token <= 53)) continue;
        Fail("an unknown binary token " + std::to_string(token));
    }
  }
}

}  // namespace xfile
}  // namespace d3dx
