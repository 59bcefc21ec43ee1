// The inline parts of the plug-in interface: command words, filters, value types, and that the
// host base classes can be derived from the way the plug-in does.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "sdk/modra_sdk.h"

namespace {

TEST(SdkCommandWord, IdAndCodeRoundTrip) {
  struct Case {
    int id;
    std::uint32_t code;
  };
  for (const Case& c : {Case{1097, modra::kButtonClicked}, Case{1065, modra::kEditChanged},
                        Case{modra::kNoControlId, 0}, Case{32767, 0xFFFF}, Case{0, 1}}) {
    const std::uintptr_t w = modra::MakeCommand(c.id, c.code);
    EXPECT_EQ(modra::CommandId(w), c.id);
    EXPECT_EQ(modra::CommandCode(w), c.code);
  }
}

TEST(SdkFilterList, PairsDescriptionsWithPatterns) {
  modra::FilterList filter;
  filter.Append("Marker Name Mapping Files (*.MNM)");
  filter.Append("*.mnm");
  filter.Append("All");
  const auto pairs = filter.Pairs();
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].first, "Marker Name Mapping Files (*.MNM)");
  EXPECT_EQ(pairs[0].second, "*.mnm");
  EXPECT_EQ(filter.Items().size(), 3u);
}

TEST(SdkValueTypes, DefaultsAndComparisons) {
  EXPECT_EQ(modra::Matrix3(), modra::Matrix3::Identity());
  EXPECT_EQ(modra::Matrix3().GetRow(2), modra::Point3(0, 0, 1));
  EXPECT_EQ(modra::Quat(), modra::Quat(0, 0, 0, 1));
  modra::Matrix3 m;
  m(3, 1) = 2.5f;
  EXPECT_NE(m, modra::Matrix3::Identity());
  EXPECT_EQ(m.Translation(), modra::Point3(0, 2.5f, 0));
  const modra::Interval range(160, 3200);
  EXPECT_TRUE(range.Contains(160));
  EXPECT_FALSE(range.Contains(3201));
  EXPECT_TRUE(modra::Interval::Forever().Contains(-2000000000));
  EXPECT_EQ(modra::Point3(1, 2, 3) - modra::Point3(1, 1, 1), modra::Point3(0, 1, 2));
  EXPECT_EQ(modra::ClassId(0x28BF6E8D, 0x2ECCA840), modra::kBoneObjectClassId);
  EXPECT_FALSE(modra::ClassId(0x2ECCA840, 0x28BF6E8D) == modra::kBoneObjectClassId);
  EXPECT_STREQ(modra::CStr(nullptr).data(), "");
}

// A descriptor shaped like the plug-in's: the base classes' defaults hold where not overridden.
class TestImport : public modra::SceneImport {
 public:
  int ExtensionCount() override { return 1; }
  const char* Extension(int) override { return "HTR"; }
  const char* LongDescription() override { return "long"; }
  const char* ShortDescription() override { return "short"; }
  const char* AuthorName() override { return ""; }
  const char* NoticeMessage() override { return ""; }
  const char* OtherMessage1() override { return ""; }
  const char* OtherMessage2() override { return ""; }
  unsigned Version() override { return 300; }
  void ShowAbout(modra::WindowHandle) override {}
  int DoImport(const char*, modra::ImportContext*, modra::HostInterface*, int) override {
    return modra::kTranslatorSucceeded;
  }
};

class TestDesc : public modra::ClassDesc2 {
 public:
  int IsPublic() override { return 1; }
  void* Create(int) override { return static_cast<modra::SceneImport*>(new TestImport); }
  const char* ClassName() override { return "TestImport"; }
  modra::SuperClassId SuperClassID() override { return modra::kSceneImportClass; }
  modra::ClassId ClassID() override { return {1, 2}; }
  const char* Category() override { return "Motion Capture"; }
};

TEST(SdkBaseClasses, DescriptorCreatesThroughBaseClassPointer) {
  TestDesc desc;
  EXPECT_STREQ(desc.InternalName(), "TestImport");
  EXPECT_STREQ(desc.GetRsrcString(5), "");
  EXPECT_EQ(desc.ModuleInstance(), nullptr);
  auto* importer = static_cast<modra::SceneImport*>(desc.Create(0));
  ASSERT_NE(importer, nullptr);
  EXPECT_EQ(importer->ZoomAfterImport(), -1);
  delete importer;
}

// The answers of DoImport and DoExport the host tells apart: 1 for success (or a cancelled
// dialog), 0 for failure.
TEST(SdkBaseClasses, TranslatorResultsAreTheHostsValues) {
  EXPECT_EQ(modra::kTranslatorSucceeded, 1);
  EXPECT_EQ(modra::kTranslatorFailed, 0);
}

}  // namespace
