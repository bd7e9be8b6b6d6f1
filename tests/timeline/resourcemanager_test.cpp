// CResourceManager and CResource: one resource at a time in document order, unknown types
// skipped, duplicate names, lookups without regard to case, failing Init.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enginefixture.h"

namespace {

using Log = std::vector<std::string>;
using ResourceManagerTest = EngineTest;

TEST_F(ResourceManagerTest, BuildsEachResourceCompletelyBeforeTheNext) {
  ParseWith(resources_,
            "<resources>"
            "<texture type=\"testres\" name=\"A\" lookup=\"b\"/>"
            "<texture type=\"testres\" name=\"B\" lookup=\"a\"/>"
            "</resources>");
  const Log expected = {"A Parse device=null", "A Init device=set demodevice=set finds b=no",
                        "B Parse device=null", "B Init device=set demodevice=set finds a=yes"};
  EXPECT_EQ(expected, TakeLog()) << "named, parsed, given the devices, initialised, in turn";
  ASSERT_EQ(2, resources_->GetResourceCount());
  EXPECT_STREQ("A", resources_->GetResourceAt(0)->GetName());
  EXPECT_STREQ("B", resources_->GetResourceAt(1)->GetName());
  EXPECT_EQ(nullptr, resources_->GetResourceAt(2));
}

TEST_F(ResourceManagerTest, SkipsUnknownOrMissingTypesAndKeepsGoing) {
  ParseWith(resources_,
            "<Resources>"
            "<x type=\"nosuchtype\" name=\"lost\"/>"
            "<x name=\"untyped\"/>"
            "<x type=\"recorder\" name=\"amodule\"/>"
            "<anything type=\"TESTRES\" name=\"kept\"/>"
            "</Resources>");
  ASSERT_EQ(1, resources_->GetResourceCount()) << "a module type is not a resource type";
  EXPECT_STREQ("kept", resources_->GetResourceAt(0)->GetName());
  EXPECT_EQ(nullptr, resources_->GetResource("lost"));
}

TEST_F(ResourceManagerTest, DuplicateNamesAreAllBuiltAndTheFirstIsFound) {
  ParseWith(resources_,
            "<resources><r type=\"testres\" name=\"Twin\"/><r type=\"failres\" name=\"twin\"/>"
            "</resources>");
  EXPECT_EQ(4u, TakeLog().size()) << "both parsed and initialised";
  ASSERT_EQ(2, resources_->GetResourceCount());
  EXPECT_EQ(resources_->GetResourceAt(0), resources_->GetResource("TWIN"));
  EXPECT_STREQ("Unknown", resources_->GetResource("twin")->GetType());
}

TEST_F(ResourceManagerTest, ResourceWhoseInitFailsStaysRegistered) {
  ParseWith(resources_, "<resources><r type=\"failres\" name=\"broken\"/></resources>");
  ASSERT_NE(nullptr, resources_->GetResource("Broken"));
  EXPECT_STREQ("Failing", resources_->GetResource("broken")->GetType());
}

TEST_F(ResourceManagerTest, OtherElementsAndEmptyResourcesRegisterNothing) {
  ParseWith(resources_, "<timeline><r type=\"testres\" name=\"a\"/></timeline>");
  ParseWith(resources_, "<resources/>");
  EXPECT_EQ(0, resources_->GetResourceCount());
  EXPECT_EQ(nullptr, resources_->GetResource("a"));
  EXPECT_EQ(nullptr, resources_->GetResource(""));
  EXPECT_EQ(nullptr, resources_->GetResource(nullptr));
}

TEST_F(ResourceManagerTest, MissingNameLeavesItEmptyAndLongNamesAreCut) {
  const std::string longName(400, 'q');
  ParseWith(resources_, "<resources><r type=\"testres\"/><r type=\"testres\" name=\"" + longName +
                            "\"/></resources>");
  ASSERT_EQ(2, resources_->GetResourceCount());
  EXPECT_STREQ("", resources_->GetResourceAt(0)->GetName());
  EXPECT_EQ(longName.substr(0, 255), resources_->GetResourceAt(1)->GetName());
}

TEST(Resource, DefaultsAndNames) {
  CResource plain;
  EXPECT_STREQ("", plain.GetName());
  EXPECT_STREQ("Unknown", plain.GetType());
  EXPECT_TRUE(plain.Init());
  EXPECT_EQ(0.0f, plain.GetTime()) << "resources read their values at time 0";

  CResource named("logo");
  EXPECT_STREQ("logo", named.GetName());
  named.SetName(nullptr);
  EXPECT_STREQ("", named.GetName());
}

}  // namespace
