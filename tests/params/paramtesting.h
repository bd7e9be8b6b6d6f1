// Test helpers for parameters: an owner with a settable clock, and a fixture that binds one
// value to a "param" element parsed from XML text through the engine's own catalogue.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "scenecore.h"

// A data provider whose time the test sets, like a module's local time.
class CTestOwner : public CDataProvider {
 public:
  float GetTime() const override { return m_time; }
  void SetTime(float time) { m_time = time; }

 private:
  float m_time = 0.0f;
};

// An owner with one value "v" of type V.
template <class V>
class CSingleValueOwner : public CTestOwner {
 public:
  template <class... Args>
  explicit CSingleValueOwner(Args... args) : v(args...) {
    AddValue(&v, "v");
  }
  V v;
};

class ParamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_manager.Load("scenecore.dll")) << m_manager.GetLastError();
  }

  // Parses `xml` (one element) as the script element of `owner`.
  void ParseElement(CDataProvider* owner, const std::string& xml) {
    owner->SetWidgetManager(&m_manager);
    TiXmlDocument document;
    document.Parse(xml.c_str());
    ASSERT_FALSE(document.Error()) << document.ErrorDesc() << " in " << xml;
    owner->Parse(document.RootElement());
  }

  // An owner whose value "v" (of type V) is bound to <param name="v" type=`type` `attributes`>
  // `children`</param>.
  template <class V>
  std::unique_ptr<CSingleValueOwner<V>> Bind(const std::string& type, const std::string& children,
                                             const std::string& attributes = "") {
    auto owner = std::make_unique<CSingleValueOwner<V>>();
    ParseElement(owner.get(), "<m><param name=\"v\" type=\"" + type + "\" " + attributes + ">" +
                                  children + "</param></m>");
    return owner;
  }

  CWidgetManager m_manager;
};

// "<key time=... value=.../>" for each (time, value) pair.
inline std::string Keys(std::initializer_list<std::pair<const char*, const char*>> keys) {
  std::string xml;
  for (const auto& key : keys) {
    xml += std::string("<key time=\"") + key.first + "\" value=\"" + key.second + "\"/>";
  }
  return xml;
}
