// Script loading and dispatch of child elements to registered handlers.
#include "script/xmlhandler.h"

#include <strings.h>

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
  if (!path) return false;
  return m_document->LoadFile(path);
}

bool CXmlHandler::LoadXMLText(const char* text) {
  delete m_document;
  m_document = new TiXmlDocument();
  if (!text) return false;
  m_document->Parse(text);
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
