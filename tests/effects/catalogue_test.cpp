// The effect library's catalogue through its plug-in exports: rows, kinds and name rules.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "catalogue.h"

namespace {

struct Row {
  std::string name;
  uint8_t kind;
};

// The catalogue as GetName lists it, from index 0 to the first index it refuses.
std::vector<Row> Rows() {
  std::vector<Row> rows;
  for (int i = 0;; ++i) {
    char name[260] = {};
    uint8_t kind = 99;
    if (!GetName(i, name, &kind)) break;
    rows.push_back({name, kind});
  }
  return rows;
}

TEST(CatalogueTest, RowsAreModulesOrResourcesWithNamesUniqueInAnyCase) {
  const std::vector<Row> rows = Rows();
  ASSERT_GE(rows.size(), 17u) << "the fourteen modules and three resource types at least";
  std::set<std::string> seen;
  for (const Row& row : rows) {
    EXPECT_TRUE(row.kind == PLUGIN_KIND_MODULE || row.kind == PLUGIN_KIND_RESOURCE) << row.name;
    EXPECT_FALSE(row.name.empty());
    EXPECT_LT(row.name.size(), 260u);
    std::string lower = row.name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(seen.insert(lower).second) << row.name << " is listed twice";
  }
  for (const char* scripted : {"fmod", "clearscreen", "blur", "text", "raw", "texture", "klutt"}) {
    EXPECT_EQ(1u, seen.count(scripted)) << scripted << " is a type the bundled demo names";
  }
}

TEST(CatalogueTest, IndicesOutsideTheCatalogueWriteNothing) {
  const int count = static_cast<int>(Rows().size());
  for (int index : {count, count + 1, -1, -2147483647 - 1}) {
    char name[16];
    std::memset(name, 'x', sizeof(name));
    uint8_t kind = 42;
    EXPECT_FALSE(GetName(index, name, &kind)) << index;
    EXPECT_EQ('x', name[0]) << index;
    EXPECT_EQ(42, kind) << index;
  }
}

TEST(CatalogueTest, EveryRowCreatesItsObjectOfItsKind) {
  for (const Row& row : Rows()) {
    CDataProvider* object = CreateInstance(row.name.c_str(), row.kind);
    ASSERT_NE(nullptr, object) << row.name;
    if (row.kind == PLUGIN_KIND_MODULE) {
      CModule* module = dynamic_cast<CModule*>(object);
      ASSERT_NE(nullptr, module) << row.name;
      EXPECT_EQ(0.0f, module->GetStartTime());
      EXPECT_EQ(0.0f, module->GetEndTime());
      EXPECT_EQ(0, module->GetLayer());
    } else {
      EXPECT_NE(nullptr, dynamic_cast<CResource*>(object)) << row.name;
    }
    FreeInstance(object);
    const uint8_t other =
        row.kind == PLUGIN_KIND_MODULE ? PLUGIN_KIND_RESOURCE : PLUGIN_KIND_MODULE;
    EXPECT_EQ(nullptr, CreateInstance(row.name.c_str(), other)) << row.name << " of the other kind";
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

}  // namespace
