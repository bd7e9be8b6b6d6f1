// Script loading with error messages a demo maker can act on.
#include "script_source.h"

#include <tinyxml.h>

#include <vector>

#include "container/container_cipher.h"
#include "d3dx9/file_read.h"
#include "scenecore.h"
#include "script/script_limits.h"
#include "system/bundle.h"

namespace vexil {
namespace {

// Only a regular file is read (a named pipe would block, /dev/zero never end), and at most
// the script size limit.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error) {
  std::string reason;
  std::vector<unsigned char> content;
  if (d3dx::ReadRegularFile(path, kMaxScriptBytes, &content, &reason) !=
      d3dx::FileReadResult::kOk) {
    *error = "cannot read the script \"" + path + "\": " + reason;
    return false;
  }
  bytes->assign(content.begin(), content.end());
  return true;
}

std::string DescribeXmlError(const std::string& path, const CXmlHandler& loader) {
  if (!loader.GetLoadError().empty()) {
    return "the script \"" + path + "\" is refused: " + loader.GetLoadError();
  }
  const TiXmlDocument* document = loader.GetDocument();
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

bool LoadScript(const std::string& given, CXmlHandler* loader, std::string* error) {
  // A bundle (system/bundle.h) plays the script at its top; its files are read from it.
  std::string path = given;
  if (sys::HasBundleExtension(given)) {
    if (!sys::MountBundle(given, error) ||
        (path = sys::MountedBundle()->TopScript(error)).empty()) {
      return false;
    }
  }
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
      // A script past a limit decodes fine: say what is too large in it.
      *error = loader->GetLoadError().empty()
                   ? "\"" + path + "\" is not a script container, or made with another key"
                   : "the script in the container \"" + path +
                         "\" is refused: " + loader->GetLoadError();
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
    *error = DescribeXmlError(path, *loader);
    return false;
  }
  return true;
}

}  // namespace vexil
