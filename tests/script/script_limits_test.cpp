// The script limit scan: each limit refused with its line and what passed it, and the scan's
// view of a script checked against what the XML parser really builds from it, for scripts
// well-formed and broken, so that nothing the parser would nest or count can slip past it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "scenecore.h"
#include "script/script_limits.h"
#include "support/scratch_dir.h"

namespace {

using vexil::CheckScriptLimits;
using vexil::ScriptLimits;
using vexil::ScriptShape;

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(ScriptLimits, EachLimitIsRefusedWithItsLineWhatAndTheLimit) {
  ScriptLimits small;
  small.maxDepth = 3;
  small.maxElements = 5;
  small.maxAttributesPerElement = 2;
  small.maxAttributes = 4;
  small.maxKeysPerElement = 2;
  small.maxNameLength = 8;
  small.maxValueLength = 10;
  struct Case {
    std::string script;
    std::string message;  // "" when within the limits
  };
  const std::vector<Case> cases = {
      {"<a><b><c/></b></a>", ""},
      {"<a>\n<b>\n<c>\n<d></d></c></b></a>",
       "line 4: elements nested more than the limit of 3 deep"},
      {"<a><b/><b/><b/>\n<b/>\n<b/></a>",
       "line 3: the script has more than the limit of 5 elements"},
      {"<a x='1' y='2'/>", ""},
      {"<a>\n<b x='1' y='2' z='3'/></a>", "line 2: <b> has more than the limit of 2 attributes"},
      {"<a x='1' y='2'><b x='1' y='2'>\n<c x='1'/></b></a>",
       "line 2: the script has more than the limit of 4 attributes"},
      {"<p><key/><KEY/></p><p><key/></p>", ""},
      {"<r>\n<p><key/><Key/>\n<key/></p></r>",
       "line 3: <p> of line 2 has more than the limit of 2 <key> elements"},
      {"<abcdefgh/>", ""},
      {"<r>\n<abcdefghi/></r>",
       "line 2: an element name of 9 characters is longer than the limit of 8"},
      {"<r abcdefghi='1'/>",
       "line 1: an attribute name of 9 characters is longer than the limit of 8"},
      {"<r v='0123456789'/>", ""},
      {"<r>\n<s v=\"0123456789A\"/></r>",
       "line 2: the value of attribute \"v\" of <s> is 11 characters long, more than the limit of "
       "10"},
      // What the parser does not build is not counted: comments, CDATA, declarations.
      {"<?xml version='1.0'?><!-- <a><b><c><d> --><r><![CDATA[<a><b><c><d>]]></r>", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.message, CheckScriptLimits(c.script.c_str(), false, small)) << c.script;
  }
}

TEST(ScriptLimits, TheDefaultsRefuseWhatWouldCrashOrStallTheParser) {
  const std::string deep = Repeat("<a>", 300000) + Repeat("</a>", 300000);
  EXPECT_EQ("line 1: elements nested more than the limit of 256 deep",
            CheckScriptLimits(deep.c_str(), false));
  std::string wide = "<a";
  for (int i = 0; i < 30000; ++i) wide += " a" + std::to_string(i) + "='1'";
  wide += "/>";
  EXPECT_EQ("line 1: <a> has more than the limit of 64 attributes",
            CheckScriptLimits(wide.c_str(), false));
  const std::string keys = "<p>" + Repeat("<key/>", 70000) + "</p>";
  EXPECT_EQ("line 1: <p> of line 1 has more than the limit of 65536 <key> elements",
            CheckScriptLimits(keys.c_str(), false));
  const std::string many = "<r>" + Repeat("<m/>", (1 << 20) + 1) + "</r>";
  EXPECT_EQ("line 1: the script has more than the limit of 1048576 elements",
            CheckScriptLimits(many.c_str(), false));
}

TEST(ScriptLimits, AHandlerRefusesAScriptPastALimitAndSaysWhy) {
  CXmlHandler loader;
  const std::string deep = "<demo>\n" + Repeat("<a>", 1000) + Repeat("</a>", 1000) + "</demo>";
  EXPECT_FALSE(loader.LoadXMLText(deep.c_str()));
  EXPECT_EQ("line 2: elements nested more than the limit of 256 deep", loader.GetLoadError());
  EXPECT_EQ(nullptr, loader.GetRootElement()) << "the parser never saw it";
  EXPECT_TRUE(loader.LoadXMLText("<demo><a/></demo>"));
  EXPECT_EQ("", loader.GetLoadError());

  // A file is read like any file a demo brings: never a pipe, which would block.
  vexil::test::ScratchDir dir;
  ASSERT_EQ(0, mkfifo(dir.File("pipe.xml").c_str(), 0600));
  EXPECT_FALSE(loader.LoadXML(dir.File("pipe.xml").c_str()));
  EXPECT_EQ("not a regular file (a named pipe)", loader.GetLoadError());
  ASSERT_TRUE(vexil::test::WriteFile(dir.File("deep.xml"), deep));
  EXPECT_FALSE(loader.LoadXML(dir.File("deep.xml").c_str()));
  EXPECT_EQ("line 2: elements nested more than the limit of 256 deep", loader.GetLoadError());
}

// What the parser built: the same measures taken from the document, without recursion.
ScriptShape ShapeOf(const TiXmlDocument& document) {
  ScriptShape shape;
  struct Item {
    const TiXmlNode* node;
    int64_t depth;
  };
  std::vector<Item> stack{{&document, 0}};
  while (!stack.empty()) {
    const Item item = stack.back();
    stack.pop_back();
    int64_t keys = 0;
    for (const TiXmlNode* child = item.node->FirstChild(); child; child = child->NextSibling()) {
      const TiXmlElement* element = child->ToElement();
      if (!element) continue;
      ++shape.elements;
      shape.depth = std::max(shape.depth, item.depth + (element->FirstChild() ? 1 : 0));
      shape.longestName =
          std::max(shape.longestName, static_cast<int64_t>(std::strlen(element->Value())));
      if (strcasecmp(element->Value(), "key") == 0 && item.node != &document) ++keys;
      int64_t attributes = 0;
      for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
        ++attributes;
        shape.longestName =
            std::max(shape.longestName, static_cast<int64_t>(std::strlen(a->Name())));
      }
      shape.attributes += attributes;
      shape.mostAttributes = std::max(shape.mostAttributes, attributes);
      stack.push_back({element, item.depth + 1});
    }
    shape.mostKeys = std::max(shape.mostKeys, keys);
  }
  return shape;
}

// Pieces of scripts, right and wrong, with the corners of the parser: entities that step
// over a quote or a "<", byte order marks, declarations that switch the encoding, unknown
// nodes, unquoted values, end tags that do not match.
const char* const kPieces[] = {
    "<a",
    "<key",
    "<Key",
    "<B_1",
    ">",
    "/>",
    "</a>",
    "</key>",
    "</B_1>",
    "</ a>",
    " x=\"1\"",
    " y='2'",
    " z=3",
    " k = \"v\"",
    " q='&#x41'x42;'",
    " d=\"&#34\"#34;\"",
    "&#x41<x42;",
    "&#60<#60;",
    "&amp;",
    "&lt;",
    "&",
    "&#x;",
    "&#xZ;",
    "<!--",
    "-->",
    "<![CDATA[",
    "]]>",
    "<?xml version='1.0'?>",
    "<?xml encoding='latin-1'?>",
    "<?xml encoding=''?>",
    "<!DOCTYPE r>",
    "<?pi x?>",
    "text",
    " ",
    "\n",
    "\xEF\xBB\xBF",
    "\xC3\xA9",
    "'",
    "\"",
    "=",
    "<",
    "</",
    "<1>",
    "<_>",
    "\xC3\xA9>",
    "<r>",
    "</r>",
};

std::string RandomScript(std::mt19937* random) {
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> length(1, 80);
  std::string script = (*random)() % 2 ? "<r>" : "";
  for (int n = length(*random); n > 0; --n) script += kPieces[piece(*random)];
  return script;
}

// A well-formed script with elements nested a few deep and values full of entities.
std::string RandomTree(std::mt19937* random, int depth) {
  const char* const names[] = {"a", "key", "KEY", "param", "m"};
  const char* const values[] = {"1", "&#x41;", "&amp;&lt;", "\xC3\xA9", "&#65;x", ""};
  std::string out = std::string("<") + names[(*random)() % 5];
  const std::string name = out.substr(1);
  for (int i = (*random)() % 4; i > 0; --i) {
    out += " v" + std::to_string(i) + "=\"" + values[(*random)() % 6] + "\"";
  }
  if (depth == 0 || (*random)() % 3 == 0) return out + "/>";
  out += ">";
  for (int i = (*random)() % 5; i > 0; --i) {
    out += (*random)() % 4 ? RandomTree(random, depth - 1) : std::string("text &amp; more");
  }
  return out + "</" + name + ">";
}

void ExpectScanSeesWhatTheParserBuilds(const std::string& script) {
  for (bool legacy : {false, true}) {
    ScriptShape scanned;
    EXPECT_EQ("", CheckScriptLimits(script.c_str(), legacy, ScriptLimits(), &scanned));
    TiXmlDocument document;
    document.Parse(script.c_str(), nullptr,
                   legacy ? TIXML_ENCODING_LEGACY : TIXML_DEFAULT_ENCODING);
    const ScriptShape built = ShapeOf(document);
    SCOPED_TRACE(script + (legacy ? " (legacy)" : ""));
    EXPECT_GE(scanned.depth, built.depth);
    EXPECT_GE(scanned.elements, built.elements);
    EXPECT_GE(scanned.attributes, built.attributes);
    EXPECT_GE(scanned.mostAttributes, built.mostAttributes);
    EXPECT_GE(scanned.mostKeys, built.mostKeys);
    EXPECT_GE(scanned.longestName, built.longestName);
    if (!document.Error()) {
      // Read without a fault, the scan and the parser agree exactly on the counts (the
      // document cannot tell <a></a>, which the parser nests into, from <a/>).
      EXPECT_EQ(scanned.elements, built.elements);
      EXPECT_EQ(scanned.attributes, built.attributes);
    }
  }
}

TEST(ScriptLimits, TheScanSeesEverythingTheParserBuilds) {
  std::mt19937 random(20261208);
  for (int i = 0; i < 3000; ++i) ExpectScanSeesWhatTheParserBuilds(RandomScript(&random));
  for (int i = 0; i < 1000; ++i) {
    std::string tree = RandomTree(&random, 6);
    ExpectScanSeesWhatTheParserBuilds(tree);
    // One changed byte of a well-formed script.
    tree[random() % tree.size()] = "<>/\"'&=! x"[random() % 10];
    ExpectScanSeesWhatTheParserBuilds(tree);
  }
}

TEST(ScriptLimits, AnEntityThatStepsOverAQuoteHidesNoNesting) {
  // The parser's numeric entity runs to the next ";": here it swallows the closing quote, so
  // the rest of the line is still the value of y, and the elements after it nest.
  const std::string script =
      "<r y='&#x41'x42;' z='1'>" + Repeat("<a>", 300) + Repeat("</a>", 300) + "</r>";
  EXPECT_EQ("line 1: elements nested more than the limit of 256 deep",
            CheckScriptLimits(script.c_str(), false));
}

}  // namespace
