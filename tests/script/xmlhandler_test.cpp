// CXmlHandler: loading scripts and dispatching child elements to registered handlers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenecore.h"

namespace {

// Records the names of the elements it receives, prefixed with its own label.
class CRecorder : public CXmlHandler {
 public:
  CRecorder(std::vector<std::string>* log, std::string label)
      : m_log(log), m_label(std::move(label)) {}
  void Parse(TiXmlElement* element) override { m_log->push_back(m_label + ":" + element->Value()); }

 private:
  std::vector<std::string>* m_log;
  std::string m_label;
};

// Parses `xml` and dispatches its root element through `handler`.
void Dispatch(CXmlHandler* handler, const char* xml) {
  TiXmlDocument document;
  document.Parse(xml);
  ASSERT_FALSE(document.Error()) << document.ErrorDesc();
  handler->Parse(document.RootElement());
}

TEST(XmlHandler, DispatchesChildrenInDocumentOrderWithoutRegardToCase) {
  std::vector<std::string> log;
  CXmlHandler root;
  CRecorder settings(&log, "S"), timeline(&log, "T");
  root.AddHandler("settings", &settings);
  root.AddHandler("timeline", &timeline);
  Dispatch(&root, "<demo><TimeLine/><!-- note -->text<Settings/><unknown/><SETTINGS/></demo>");
  EXPECT_EQ((std::vector<std::string>{"T:TimeLine", "S:Settings", "S:SETTINGS"}), log)
      << "comments, text and unknown elements reach no handler";
}

TEST(XmlHandler, CallsEveryMatchingRegistrationInRegistrationOrder) {
  std::vector<std::string> log;
  CXmlHandler root;
  CRecorder first(&log, "1"), second(&log, "2");
  root.AddHandler("a", &second);
  root.AddHandler("A", &first);
  root.AddHandler("b", &second);
  Dispatch(&root, "<r><a/><b/></r>");
  EXPECT_EQ((std::vector<std::string>{"2:a", "1:a", "2:b"}), log)
      << "all handlers of one child run before the next child";
}

TEST(XmlHandler, HandlerUnderTwoNamesReceivesEachMatchOnce) {
  std::vector<std::string> log;
  CXmlHandler root;
  CRecorder both(&log, "x");
  root.AddHandler("a", &both);
  root.AddHandler("b", &both);
  root.AddHandler("a", &both);
  Dispatch(&root, "<r><b/><a/></r>");
  EXPECT_EQ((std::vector<std::string>{"x:b", "x:a", "x:a"}), log);
}

TEST(XmlHandler, DispatchesOnlyDirectChildrenAndNeverTheElementItself) {
  std::vector<std::string> log;
  CXmlHandler root;
  CRecorder rec(&log, "r");
  root.AddHandler("r", &rec);
  root.AddHandler("inner", &rec);
  Dispatch(&root, "<r><outer><inner/></outer></r>");
  EXPECT_TRUE(log.empty()) << "grandchildren and the element passed in are not matched";

  Dispatch(&root, "<r/>");
  EXPECT_TRUE(log.empty());
}

// A handler that dispatches its own children through its own registrations.
class CNested : public CXmlHandler {
 public:
  void Parse(TiXmlElement* element) override { CXmlHandler::Parse(element); }
};

TEST(XmlHandler, NestedHandlerDispatchesItsOwnChildren) {
  std::vector<std::string> log;
  CXmlHandler root;
  CNested outer;
  CRecorder rec(&log, "n");
  root.AddHandler("outer", &outer);
  outer.AddHandler("inner", &rec);
  Dispatch(&root, "<r><outer><inner/><Inner/></outer><inner/></r>");
  EXPECT_EQ((std::vector<std::string>{"n:inner", "n:Inner"}), log);
}

TEST(XmlHandler, LoadXmlFromFilesAndFailures) {
  CXmlHandler handler;
  EXPECT_EQ(nullptr, handler.GetRootElement()) << "nothing loaded yet";
  EXPECT_EQ(nullptr, handler.GetDocument());

  EXPECT_FALSE(handler.LoadXML("/nonexistent/vexil/script.xml"));
  EXPECT_EQ(nullptr, handler.GetRootElement());
  EXPECT_NE(nullptr, handler.GetDocument()) << "the document stays stored whatever the result";

  const std::string path = ::testing::TempDir() + "vexil_xmlhandler_test.xml";
  {
    TiXmlDocument document;
    document.Parse("<?xml version=\"1.0\"?><!-- c --><demo name=\"x\"><settings/></demo>");
    ASSERT_TRUE(document.SaveFile(path.c_str()));
  }
  ASSERT_TRUE(handler.LoadXML(path.c_str()));
  ASSERT_NE(nullptr, handler.GetRootElement());
  EXPECT_STREQ("demo", handler.GetRootElement()->Value());

  // Loading again replaces the document.
  EXPECT_TRUE(handler.LoadXMLText("<other/>"));
  EXPECT_STREQ("other", handler.GetRootElement()->Value());
  EXPECT_FALSE(handler.LoadXMLText("<broken>"));
  std::remove(path.c_str());
}

TEST(XmlHandler, ScriptsSavedOnWindowsReadAsWithLineFeedsAndAscii) {
  const std::string lf =
      "<?xml version=\"1.0\"?>\n<demo name=\"x\">\n  <r file=\"a\nb\" c=\"1\"/>\n  <s/>\n</demo>\n";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  CXmlHandler unix, windows;
  ASSERT_TRUE(unix.LoadXMLText(lf.c_str()));
  ASSERT_TRUE(windows.LoadXMLText(crlf.c_str()));
  const TiXmlElement* a = unix.GetRootElement()->FirstChildElement();
  const TiXmlElement* b = windows.GetRootElement()->FirstChildElement();
  EXPECT_STREQ(a->Attribute("file"), b->Attribute("file")) << "no carriage return is left";
  EXPECT_EQ(a->Row(), b->Row()) << "findings name the same lines";
  EXPECT_EQ(a->NextSiblingElement()->Row(), b->NextSiblingElement()->Row());

  // A declaration without an encoding makes the parser expect UTF-8; the Windows-1252 letter
  // before the closing quote must not take the quote with it.
  CXmlHandler cp1252;
  ASSERT_TRUE(cp1252.LoadXMLText(
      "<?xml version=\"1.0\"?>\r\n<demo name=\"x\"><r file=\"caf\xE9\" c=\"1\"/></demo>"));
  const TiXmlElement* r = cp1252.GetRootElement()->FirstChildElement();
  EXPECT_STREQ("caf\xE9", r->Attribute("file")) << "the bytes reach the file lookup unchanged";
  EXPECT_STREQ("1", r->Attribute("c"));
}

}  // namespace
