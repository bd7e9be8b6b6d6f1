// CXmlHandler: base of every object that consumes part of the script. Loads a script file
// and dispatches an element's child elements, in document order, to handlers registered by name.
#pragma once

#include <tinyxml.h>

#include <string>

#include "script/linkedlist.h"

class CXmlHandler {
 public:
  CXmlHandler();
  virtual ~CXmlHandler();
  CXmlHandler(const CXmlHandler&) = delete;
  CXmlHandler& operator=(const CXmlHandler&) = delete;

  // Dispatches each child element of `element` to every handler registered under its name
  // (compared without regard to case), in registration order. Only direct children count.
  virtual void Parse(TiXmlElement* element);

  // Registers `handler` for child elements named `name`. The name text is not copied: it
  // must live as long as this object (string literals do). Duplicates are kept.
  void AddHandler(const char* name, CXmlHandler* handler);

  // Loads and parses a script file into a document owned by this handler. True when the
  // file was read and is well-formed XML. A second call replaces the previous document. Only
  // a regular file of at most vexil::kMaxScriptBytes is read.
  bool LoadXML(const char* path);

  // Parses script text held in memory into a document owned by this handler, like LoadXML.
  // Windows line ends ("\r\n") read as "\n"; text that is not valid UTF-8 is taken as
  // Windows-1252 and keeps its bytes. A script beyond the limits of script/script_limits.h
  // is refused before the parser sees it.
  bool LoadXMLText(const char* text);

  // Why the latest load was refused before any parsing: the file could not be read, or the
  // script passes a limit ("line 12: elements nested more than the limit of 256 deep"). Empty
  // otherwise; the parser's own errors are the document's.
  const std::string& GetLoadError() const { return m_loadError; }

  TiXmlDocument* GetDocument() const { return m_document; }
  // The document's root element, or null when nothing is loaded.
  TiXmlElement* GetRootElement() const;

 private:
  TiXmlDocument* m_document = nullptr;
  CLinkedPairList<const char, CXmlHandler> m_handlers;
  std::string m_loadError;
};
