// Script loading with error messages a demo maker can act on.
#include "script_source.h"

#include <tinyxml.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "container_cipher.h"
#include "scenecore.h"

namespace vexil {
namespace {

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot open the script \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad()) {
    *error = "cannot read the script \"" + path + "\"";
    return false;
  }
  *bytes = content.str();
  return true;
}

std::string DescribeXmlError(const std::string& path, const TiXmlDocument* document) {
  std::string message = "the script \"" + path + "\" is not well-formed XML";
  if (document == nullptr || !document->Error()) {
    return message + ": it has no root element";
  }
  message += ": ";
  message += document->ErrorDesc();
  if (document->ErrorRow() > 0) {
    message += " (line " + std::to_string(document->ErrorRow()) + ", column " +
               std::to_string(document->ErrorCol()) + ")";
  }
  return message;
}

}  // namespace

bool LoadScript(const std::string& path, CXmlHandler* loader, std::string* error) {
  std::string text;
  if (!ReadWholeFile(path, &text, error)) return false;

  if (HasContainerExtension(path)) {
    if (!DecodeContainer(&text)) {
      *error = "the script container \"" + path + "\" is too large to decode";
      return false;
    }
    // The format has no checksum: the only sign of a wrong key or a foreign file is that
    // the decoded bytes are not a script.
    if (!loader->LoadXMLText(text.c_str()) || text.find('\0') != std::string::npos) {
      *error = "\"" + path + "\" is not a script container, or made with another key";
      return false;
    }
    return true;
  }

  // Parsed from memory as well, so that a file with an embedded zero byte is refused
  // rather than silently cut short.
  if (text.find('\0') != std::string::npos) {
    *error = "the script \"" + path + "\" is not a text file";
    return false;
  }
  if (!loader->LoadXMLText(text.c_str())) {
    *error = DescribeXmlError(path, loader->GetDocument());
    return false;
  }
  return true;
}

}  // namespace vexil
