// Script loading and dispatch of child elements to registered handlers.
#include "script/xmlhandler.h"

#include <strings.h>

#include <string>
#include <vector>

#include "d3dx9/file_read.h"
#include "script/script_limits.h"
#include "system/text_encoding.h"

namespace {

// Line ends as LoadFile leaves them: "\r\n" and a lone "\r" become "\n", so a script saved on
// Windows reads the same from memory as from a file, and as one saved with "\n".
std::string WithNewlines(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p != '\r') {
      out.push_back(*p);
    } else {
      out.push_back('\n');
      if (p[1] == '\n') ++p;
    }
  }
  return out;
}

}  // namespace

CXmlHandler::CXmlHandler() = default;

CXmlHandler::~CXmlHandler() {
  delete m_document;
}

void CXmlHandler::AddHandler(const char* name, CXmlHandler* handler) {
  // A registration without a name or handler could never be called safely.
  if (!name || !handler) return;
  m_handlers.Append(name, handler);
}

bool CXmlHandler::LoadXML(const char* path) {
  // Elements of an earlier document are no longer used by anyone once a new script loads.
  delete m_document;
  m_document = new TiXmlDocument();
  m_loadError.clear();
  if (!path) return false;
  // Read as any file a demo brings: never a pipe or a device, never without end.
  std::vector<unsigned char> bytes;
  std::string error;
  if (d3dx::ReadRegularFile(path, vexil::kMaxScriptBytes, &bytes, &error) !=
      d3dx::FileReadResult::kOk) {
    m_loadError = error;
    return false;
  }
  bytes.push_back('\0');
  return LoadXMLText(reinterpret_cast<const char*>(bytes.data()));
}

bool CXmlHandler::LoadXMLText(const char* text) {
  delete m_document;
  m_document = new TiXmlDocument();
  m_loadError.clear();
  if (!text) return false;
  const std::string script = WithNewlines(text);
  // Parsed as UTF-8, a Windows-1252 letter just before a closing quote would swallow the quote
  // (the parser takes it for the lead byte of a longer character): text that is not UTF-8 is
  // read byte by byte instead, and its names reach the file lookup unchanged.
  const bool utf8 = vexil::sys::IsUtf8(script.data(), script.size());
  // The parser recurses per level of nesting and is quadratic in the attributes of one
  // element: a script past the limits never reaches it.
  m_loadError = vexil::CheckScriptLimits(script.c_str(), !utf8);
  if (!m_loadError.empty()) return false;
  m_document->Parse(script.c_str(), nullptr, utf8 ? TIXML_DEFAULT_ENCODING : TIXML_ENCODING_LEGACY);
  return !m_document->Error() && m_document->RootElement() != nullptr;
}

TiXmlElement* CXmlHandler::GetRootElement() const {
  return m_document ? m_document->FirstChildElement() : nullptr;
}

void CXmlHandler::Parse(TiXmlElement* element) {
  if (!element) return;
  for (TiXmlElement* child = element->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    const char* name = child->Value();
    // Walk by index and decide on the next entry before calling, so a handler that
    // registers more handlers here does not disturb the walk in progress.
    for (int i = 0, count = m_handlers.GetCount(); i < count; ++i) {
      if (strcasecmp(m_handlers.GetKey(i), name) == 0) m_handlers.GetValue(i)->Parse(child);
    }
  }
}
