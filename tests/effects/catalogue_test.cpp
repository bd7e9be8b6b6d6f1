// The effect library's catalogue through its plug-in exports: rows, kinds and name rules.
#include <gtest/gtest.h>

#include <cstring>

#include "catalogue.h"

namespace {

const char* const kExpectedRows[] = {
    "fmod",      "clearscreen", "showimage", "showtime",    "splinetunnel", "kluttviewer",
    "blur",      "twister",     "text",      "torustunnel", "texscreen",    "torusknot",
    "metaballs", "zuravisnurr", "raw",       "texture",     "klutt"};

TEST(CatalogueTest, ListsSeventeenRowsInOrderWithTheirKinds) {
  for (int i = 0; i < 17; ++i) {
    char name[13] = {};
    uint8_t kind = 99;
    ASSERT_TRUE(GetName(i, name, &kind)) << "row " << i;
    EXPECT_STREQ(kExpectedRows[i], name) << "row " << i;
    EXPECT_EQ(i < 14 ? PLUGIN_KIND_MODULE : PLUGIN_KIND_RESOURCE, kind) << name;
  }
}

TEST(CatalogueTest, IndicesOutsideTheCatalogueWriteNothing) {
  for (int index : {17, 18, -1, -2147483647 - 1}) {
    char name[16];
    std::memset(name, 'x', sizeof(name));
    uint8_t kind = 42;
    EXPECT_FALSE(GetName(index, name, &kind)) << index;
    EXPECT_EQ('x', name[0]) << index;
    EXPECT_EQ(42, kind) << index;
  }
}

TEST(CatalogueTest, EveryRowCreatesItsObjectOfItsKind) {
  for (int i = 0; i < 17; ++i) {
    const uint8_t kind = i < 14 ? PLUGIN_KIND_MODULE : PLUGIN_KIND_RESOURCE;
    CDataProvider* object = CreateInstance(kExpectedRows[i], kind);
    ASSERT_NE(nullptr, object) << kExpectedRows[i];
    if (kind == PLUGIN_KIND_MODULE) {
      CModule* module = dynamic_cast<CModule*>(object);
      ASSERT_NE(nullptr, module) << kExpectedRows[i];
      EXPECT_EQ(0.0f, module->GetStartTime());
      EXPECT_EQ(0.0f, module->GetEndTime());
      EXPECT_EQ(0, module->GetLayer());
    } else {
      EXPECT_NE(nullptr, dynamic_cast<CResource*>(object)) << kExpectedRows[i];
    }
    FreeInstance(object);
  }
}

TEST(CatalogueTest, NamesMatchInAnyCaseButOnlyWithinTheirKind) {
  CDataProvider* texture = CreateInstance("TEXTURE", PLUGIN_KIND_RESOURCE);
  ASSERT_NE(nullptr, texture);
  EXPECT_STREQ("Unknown", dynamic_cast<CResource*>(texture)->GetType());
  FreeInstance(texture);

  CDataProvider* blur = CreateInstance("BlUr", PLUGIN_KIND_MODULE);
  EXPECT_NE(nullptr, blur);
  FreeInstance(blur);

  EXPECT_EQ(nullptr, CreateInstance("texture", PLUGIN_KIND_MODULE));
  EXPECT_EQ(nullptr, CreateInstance("blur", PLUGIN_KIND_RESOURCE));
  EXPECT_EQ(nullptr, CreateInstance("blur", PLUGIN_KIND_PARAM));
  EXPECT_EQ(nullptr, CreateInstance("blur", 3));
  EXPECT_EQ(nullptr, CreateInstance("blurr", PLUGIN_KIND_MODULE));
  EXPECT_EQ(nullptr, CreateInstance("", PLUGIN_KIND_MODULE));
  EXPECT_EQ(nullptr, CreateInstance(nullptr, PLUGIN_KIND_MODULE));
}

TEST(CatalogueTest, RawResourceNamesItsType) {
  CDataProvider* raw = CreateInstance("Raw", PLUGIN_KIND_RESOURCE);
  ASSERT_NE(nullptr, raw);
  EXPECT_STREQ("Raw", dynamic_cast<CResource*>(raw)->GetType());
  FreeInstance(raw);
}

TEST(CatalogueTest, FreeingNullDoesNothing) {
  FreeInstance(nullptr);
}

}  // namespace
