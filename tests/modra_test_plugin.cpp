// A small plug-in library for the host's loader tests: one importer class that makes a dummy
// named after the file, and the exports and entry point a plug-in has.

#include <cstdint>
#include <string>

#include "sdk/modra_sdk.h"

namespace {

modra::ModuleHandle g_module = nullptr;
int g_attachCount = 0;

class TestImporter : public modra::SceneImport {
 public:
  int ExtensionCount() override { return 1; }
  const char* Extension(int) override { return "TST"; }
  const char* LongDescription() override { return "Test File"; }
  const char* ShortDescription() override { return "Test"; }
  const char* AuthorName() override { return ""; }
  const char* NoticeMessage() override { return ""; }
  const char* OtherMessage1() override { return ""; }
  const char* OtherMessage2() override { return ""; }
  unsigned Version() override { return 100; }
  void ShowAbout(modra::WindowHandle) override {}
  int DoImport(const char* name, modra::ImportContext*, modra::HostInterface* host,
               int suppressPrompts) override {
    if (!suppressPrompts && modra::ShowMessageBox(host->MainWindow(), "Import?", "Test",
                                                  modra::kMessageBoxYesNo) != modra::kAnswerYes)
      return modra::kTranslatorSucceeded;
    auto* dummy = host->MakeObject(modra::kHelperClass, modra::kDummyHelperClassId);
    if (dummy == nullptr) return modra::kTranslatorFailed;
    modra::SceneNode* node = host->MakeNodeForObject(dummy->AsObject());
    std::string base;
    modra::SplitFilename(name, nullptr, &base, nullptr);
    node->SetNodeName(base.c_str());
    return modra::kTranslatorSucceeded;
  }
};

class TestImporterDesc : public modra::ClassDesc2 {
 public:
  int IsPublic() override { return 1; }
  void* Create(int) override { return static_cast<modra::SceneImport*>(new TestImporter); }
  const char* ClassName() override { return "TestImporter"; }
  modra::SuperClassId SuperClassID() override { return modra::kSceneImportClass; }
  modra::ClassId ClassID() override { return {0x1234, 0x5678}; }
  const char* Category() override { return "Tests"; }
  modra::ModuleHandle ModuleInstance() override { return g_module; }
};

TestImporterDesc g_descriptor;
char g_description[64];

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int ModuleEntry(modra::ModuleHandle module,
                                                       std::uint32_t reason, void*) {
  if (reason == modra::kProcessAttach) {
    g_module = module;
    ++g_attachCount;
    modra::DisableThreadNotifications(module);
    modra::ModuleResources resources;
    resources.strings[1] = "Loader test plug-in";
    modra::RegisterModuleResources(module, resources);
  } else if (reason == modra::kProcessDetach) {
    modra::UnregisterModuleResources(module);
    g_module = nullptr;
  }
  return 1;
}

__attribute__((visibility("default"))) const char* LibDescription() {
  if (modra::LoadStringResource(g_module, 1, g_description, sizeof g_description) == 0)
    return nullptr;
  return g_description;
}

__attribute__((visibility("default"))) int LibNumberClasses() { return 1; }

__attribute__((visibility("default"))) modra::ClassDesc* LibClassDesc(int index) {
  return index == 0 ? &g_descriptor : nullptr;
}

__attribute__((visibility("default"))) std::uint32_t LibVersion() {
  return modra::kPluginInterfaceVersion;
}

__attribute__((visibility("default"))) int TestAttachCount() { return g_attachCount; }
}
