// Loads a demo script into a loader handler: plain XML from its file, or a ".gma" container
// decoded in memory and parsed from there (the plain text never touches the disk).
#pragma once

#include <string>

class CXmlHandler;

namespace vexil {

// True when the loader holds a well-formed script with a root element. Otherwise false,
// with a message for the user in *error that names the path and, for XML errors, the
// parser's description and line.
bool LoadScript(const std::string& path, CXmlHandler* loader, std::string* error);

}  // namespace vexil
