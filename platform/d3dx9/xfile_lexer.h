// The token stream of a .x file: one kind of token whether the file is text or binary, with
// the reader's position for messages. Every read consumes input or ends the stream, and a
// length read from the file is checked against what is left before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace d3dx {
namespace xfile {

// Thrown inside the reader only; ReadXFile turns it into an error result.
struct ParseError {
  std::string what;
};

[[noreturn]] void Fail(const std::string& what);

enum class Tok {
  kEnd,
  kName,
  kString,
  kInteger,
  kFloat,
  kOpenBrace,
  kCloseBrace,
  kGuid,
  kTemplate
};

struct Token {
  Tok kind = Tok::kEnd;
  std::string text;  // names and strings
  double number = 0;
};

class Lexer {
 public:
  // `data` is the whole file, its 16-byte header included; `doubles` is a binary file's
  // floating-point size (64 bits instead of 32).
  Lexer(const unsigned char* data, size_t size, bool binary, bool doubles)
      : d_(data), n_(size), binary_(binary), doubles_(doubles) {}

  const Token& Peek() {
    if (!peeked_) {
      next_ = binary_ ? ReadBinary() : ReadText();
      peeked_ = true;
    }
    return next_;
  }
  Token Next() {
    Peek();
    peeked_ = false;
    return std::move(next_);
  }
  // Where the reader stands, for messages: a line in text files, a byte offset in binary ones.
  std::string Where() const {
    return binary_ ? "at byte " + std::to_string(pos_) : "on line " + std::to_string(line_);
  }

 private:
  Token ReadText();
  Token ReadTextNumber();
  Token ReadBinary();
  uint32_t Word();
  uint32_t Dword();
  void Need(uint64_t bytes) const;

  const unsigned char* d_;
  size_t n_;
  size_t pos_ = 16;  // past the file header
  size_t line_ = 1;
  bool binary_;
  bool doubles_;
  uint64_t listLeft_ = 0;
  bool listIsFloat_ = false;
  Token next_;
  bool peeked_ = false;
};

}  // namespace xfile
}  // namespace d3dx
