// The parameter type catalogue that libscenecore.so serves as a plug-in library.
#include <cstring>
#include <string>
#include <typeinfo>

#include "params/paramcatalogue.h"
#include "paramtesting.h"

namespace {

TEST(ParamCatalogue, EnumeratesTwentyFiveParameterTypes) {
  char name[PLUGIN_NAME_SIZE] = "untouched";
  uint8_t kind = 99;
  EXPECT_FALSE(ParamCatalogueGetName(30, name, &kind));
  EXPECT_FALSE(ParamCatalogueGetName(-1, name, &kind));
  EXPECT_STREQ("untouched", name) << "nothing is written past the table";
  EXPECT_EQ(99, kind);

  ASSERT_TRUE(ParamCatalogueGetName(1, name, &kind));
  EXPECT_STREQ("int", name);
  EXPECT_EQ(PLUGIN_KIND_PARAM, kind);

  EXPECT_EQ(30, ParamCatalogueCount());
  for (int32_t index = 0; index < ParamCatalogueCount(); ++index) {
    ASSERT_TRUE(ParamCatalogueGetName(index, name, &kind));
    EXPECT_LE(std::strlen(name), 12u);
    CDataProvider* object = ParamCatalogueCreate(name, kind);
    EXPECT_NE(nullptr, dynamic_cast<CParam*>(object)) << name << " creates a parameter";
    ParamCatalogueFree(object);
  }
}

TEST(ParamCatalogue, CreatesByNameWithoutRegardToCaseAndOnlyKindOne) {
  CDataProvider* linear = ParamCatalogueCreate("LinearFloat", PLUGIN_KIND_PARAM);
  EXPECT_NE(nullptr, dynamic_cast<CParamLinearFloat*>(linear));
  EXPECT_EQ(nullptr, ParamCatalogueCreate("LinearFloat", PLUGIN_KIND_MODULE));
  EXPECT_EQ(nullptr, ParamCatalogueCreate("linearstring", PLUGIN_KIND_PARAM));
  EXPECT_EQ(nullptr, ParamCatalogueCreate(nullptr, PLUGIN_KIND_PARAM));

  CDataProvider* asInt = ParamCatalogueCreate("int", PLUGIN_KIND_PARAM);
  CDataProvider* asLong = ParamCatalogueCreate("LONG", PLUGIN_KIND_PARAM);
  ASSERT_NE(nullptr, asInt);
  ASSERT_NE(nullptr, asLong);
  EXPECT_EQ(typeid(CParamLong), typeid(*asInt));
  EXPECT_EQ(typeid(CParamLong), typeid(*asLong));

  ParamCatalogueFree(linear);
  ParamCatalogueFree(asInt);
  ParamCatalogueFree(asLong);
  ParamCatalogueFree(nullptr);
}

TEST(ParamCatalogue, IsServedThroughThePlugInProtocol) {
  CWidgetManager manager;
  ASSERT_TRUE(manager.Load("SceneCore.Dll")) << manager.GetLastError();
  EXPECT_NE(nullptr, dynamic_cast<CParamTCBVec3*>(manager.CreateInstance("TCBVEC3", 1)));
  EXPECT_EQ(nullptr, manager.CreateInstance("vec3", PLUGIN_KIND_RESOURCE))
      << "parameter types are not resources";
  EXPECT_EQ(1, manager.GetObjectCount());
}

}  // namespace
