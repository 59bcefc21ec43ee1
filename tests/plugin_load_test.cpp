// The built plug-in loaded by dynamic loading exactly as the host loads it: its exports, its
// descriptors, the objects they make, the About box, its resources, and what loading and
// unloading do to the registry.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "modra/host.h"
#include "modra/modules.h"
#include "plugin_test_support.h"
#include "sdk/modra_sdk.h"

// The plug-in's descriptors allocate with the non-throwing operator new; this replacement, which
// the dynamic linker binds the loaded plug-in to as well, can be told to run out of storage.
namespace {
bool fail_nothrow_new = false;
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (fail_nothrow_new) return nullptr;
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

namespace {

using modra::host::ShownEvent;
using zar::testing::RegistryTest;

const char* const kPlugin = ZAR_PLUGIN_FILE;

template <typename Function>
Function Symbol(void* library, const char* name) {
  void* address = dlsym(library, name);
  Function function = nullptr;
  std::memcpy(&function, &address, sizeof function);
  return function;
}

// The plug-in opened by hand, step by step, the way the host opens it.
class RawPlugin {
 public:
  RawPlugin() {
    library_ = dlopen(kPlugin, RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) return;
    description = Symbol<modra::LibDescriptionFunction>(library_, "LibDescription");
    count = Symbol<modra::LibNumberClassesFunction>(library_, "LibNumberClasses");
    class_desc = Symbol<modra::LibClassDescFunction>(library_, "LibClassDesc");
    version = Symbol<modra::LibVersionFunction>(library_, "LibVersion");
    entry = Symbol<modra::ModuleEntryFunction>(library_, modra::kModuleEntrySymbol);
    module = modra::host::CreateModule("ZARFileIO");
  }
  ~RawPlugin() {
    if (attached_) entry(module, modra::kProcessDetach, nullptr);
    if (module != nullptr) modra::host::DestroyModule(module);
    if (library_ != nullptr) dlclose(library_);
  }
  RawPlugin(const RawPlugin&) = delete;
  RawPlugin& operator=(const RawPlugin&) = delete;

  bool Loaded() const {
    return library_ != nullptr && description && count && class_desc && version && entry;
  }
  int Attach() {
    attached_ = true;
    return entry(module, modra::kProcessAttach, nullptr);
  }
  int Detach() {
    attached_ = false;
    return entry(module, modra::kProcessDetach, nullptr);
  }
  void* library() const { return library_; }

  modra::LibDescriptionFunction description = nullptr;
  modra::LibNumberClassesFunction count = nullptr;
  modra::LibClassDescFunction class_desc = nullptr;
  modra::LibVersionFunction version = nullptr;
  modra::ModuleEntryFunction entry = nullptr;
  modra::ModuleHandle module = nullptr;

 private:
  void* library_ = nullptr;
  bool attached_ = false;
};

class PluginLoadTest : public RegistryTest {};

struct NmSymbol {
  std::string kind;
  std::string name;
};

// The plug-in's symbols as "nm --defined-only" with `options` lists them; false when nm cannot
// run.
bool DefinedSymbols(const std::string& options, std::vector<NmSymbol>& symbols) {
  const zar::testing::RunResult nm = zar::testing::Run(
      "nm --defined-only " + options + " " + zar::testing::Quoted(kPlugin) + " 2>/dev/null");
  if (nm.status != 0) return false;
  std::istringstream lines(nm.output);
  std::string address, kind, name;
  while (lines >> address >> kind >> name) symbols.push_back({kind, name});
  return true;
}

TEST_F(PluginLoadTest, ExportsOnlyTheHostEntryPoints) {
  std::vector<NmSymbol> symbols;
  if (!DefinedSymbols("-D", symbols)) GTEST_SKIP() << "nm is not available";
  std::set<std::string> exported;
  for (const NmSymbol& symbol : symbols) exported.insert(symbol.name);
  EXPECT_EQ(exported, (std::set<std::string>{"LibClassDesc", "LibDescription", "LibNumberClasses",
                                             "LibVersion", "ModuleEntry"}));
}

// The library's own functions, as its symbol table names them, cannot be looked up by name in
// the loaded library.
TEST_F(PluginLoadTest, InternalFunctionsAreNotReachableByName) {
  std::vector<NmSymbol> symbols;
  if (!DefinedSymbols("", symbols)) GTEST_SKIP() << "nm is not available";
  std::vector<std::string> internal;
  for (const NmSymbol& symbol : symbols) {
    if ((symbol.kind == "T" || symbol.kind == "t") && symbol.name.rfind("_ZN3zar", 0) == 0)
      internal.push_back(symbol.name);
  }
  // The message texts' loader is one of them, so the list is the library's functions.
  ASSERT_NE(std::find_if(internal.begin(), internal.end(),
                         [](const std::string& name) {
                           return name.find("LoadResourceText") != std::string::npos;
                         }),
            internal.end())
      << internal.size() << " functions";
  RawPlugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << dlerror();
  for (const std::string& name : internal)
    EXPECT_EQ(dlsym(plugin.library(), name.c_str()), nullptr) << name;
}

TEST_F(PluginLoadTest, AnswersBeforeAndAfterAttach) {
  RawPlugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << dlerror();

  // Before the entry point has run there is no module handle: no texts.
  EXPECT_EQ(plugin.version(), 0x27101700u);
  EXPECT_EQ(plugin.count(), 4);
  EXPECT_EQ(plugin.description(), nullptr);
  ASSERT_NE(plugin.class_desc(0), nullptr);
  EXPECT_EQ(plugin.class_desc(0)->ClassName(), nullptr);
  EXPECT_EQ(plugin.class_desc(0)->Category(), nullptr);
  EXPECT_EQ(plugin.class_desc(0)->ModuleInstance(), nullptr);

  EXPECT_EQ(plugin.Attach(), 1);
  EXPECT_FALSE(plugin.module->threadNotifications);
  EXPECT_STREQ(plugin.description(), "ZARFileIO Post-Process Motion Capture Utility (Orvane)");
  EXPECT_EQ(plugin.class_desc(0)->ModuleInstance(), plugin.module);
  EXPECT_NE(modra::FindDialogTemplate(plugin.module, 114), nullptr);
  EXPECT_EQ(plugin.entry(plugin.module, modra::kThreadAttach, nullptr), 1);
  EXPECT_EQ(plugin.entry(plugin.module, modra::kThreadDetach, nullptr), 1);

  EXPECT_EQ(plugin.Detach(), 1);
  EXPECT_EQ(modra::FindDialogTemplate(plugin.module, 114), nullptr);
  EXPECT_EQ(plugin.description(), nullptr);
}

TEST_F(PluginLoadTest, DescriptorTable) {
  RawPlugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << dlerror();
  ASSERT_EQ(plugin.Attach(), 1);
  struct Row {
    int index;
    const char* name;
    modra::SuperClassId super_class;
    modra::ClassId class_id;
    bool resource_string_unchanged;
  };
  const Row rows[] = {
      {0, "ImportHTR", 0x0A10, {0x52871D2D, 0x79755925}, true},
      {1, "ExportHTR", 0x0A20, {0x79A30F94, 0x5AD43C07}, true},
      {2, "ImportTRC", 0x0A10, {0x36712537, 0x27265B43}, true},
      {3, "ZARUtilities", 0x1020, {0x34CC2142, 0x1E45027A}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    modra::ClassDesc* descriptor = plugin.class_desc(row.index);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(plugin.class_desc(row.index), descriptor);  // the same static descriptor
    EXPECT_EQ(descriptor->IsPublic(), 1);
    EXPECT_STREQ(descriptor->ClassName(), row.name);
    EXPECT_STREQ(descriptor->InternalName(), row.name);
    EXPECT_STREQ(descriptor->Category(), "Motion Capture");
    EXPECT_EQ(descriptor->SuperClassID(), row.super_class);
    EXPECT_EQ(descriptor->ClassID(), row.class_id);
    EXPECT_EQ(descriptor->ModuleInstance(), plugin.module);
    const std::intptr_t id = 0x1234;
    if (row.resource_string_unchanged) {
      EXPECT_EQ(descriptor->GetRsrcString(id), reinterpret_cast<const char*>(id));
    } else {
      EXPECT_STREQ(descriptor->GetRsrcString(id), "");
    }
  }
  for (int index : {4, 5, -1, INT_MAX, INT_MIN}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(plugin.class_desc(index), nullptr);
  }
}

TEST_F(PluginLoadTest, TextsShareOneBuffer) {
  modra::host::Host host;
  std::string error;
  auto plugin = modra::host::PluginLibrary::Load(kPlugin, error);
  ASSERT_NE(plugin, nullptr) << error;
  modra::ClassDesc* import_htr = plugin->Class(0);
  const char* name = import_htr->ClassName();
  ASSERT_STREQ(name, "ImportHTR");
  const char* category = import_htr->Category();
  EXPECT_EQ(category, name);
  EXPECT_STREQ(name, "Motion Capture");
  EXPECT_EQ(plugin->Description(), name);
  EXPECT_EQ(plugin->Class(3)->ClassName(), name);
  EXPECT_STREQ(name, "ZARUtilities");
}

TEST_F(PluginLoadTest, CreateMakesANewObjectEveryCall) {
  modra::host::Host host;
  std::string error;
  auto plugin = modra::host::PluginLibrary::Load(kPlugin, error);
  ASSERT_NE(plugin, nullptr) << error;
  struct Identity {
    int index;
    const char* extension;
    const char* long_description;
    const char* short_description;
  };
  const Identity translators[] = {
      {0, "HTR", "Vantrel HTR Skeletal Animation File", "Vantrel HTR File"},
      {1, "HTR", "Vantrel HTR Skeletal Animation File", "Vantrel HTR File"},
      {2, "TRC", "Vantrel TRC Optical Marker Tracking File", "Vantrel TRC File"},
  };
  for (const Identity& t : translators) {
    SCOPED_TRACE(t.index);
    modra::ClassDesc* descriptor = plugin->Class(t.index);
    void* first = descriptor->Create(0);
    void* second = descriptor->Create(1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    // Every translator answers the same identity questions, through its host base class.
    auto check = [&t](auto* translator) {
      EXPECT_EQ(translator->ExtensionCount(), 1);
      EXPECT_STREQ(translator->Extension(0), t.extension);
      EXPECT_STREQ(translator->Extension(7), t.extension);
      EXPECT_STREQ(translator->LongDescription(), t.long_description);
      EXPECT_STREQ(translator->ShortDescription(), t.short_description);
      EXPECT_GT(std::strlen(translator->AuthorName()), 0u);
      EXPECT_GT(std::strlen(translator->NoticeMessage()), 0u);
      EXPECT_STREQ(translator->OtherMessage1(), "");
      EXPECT_STREQ(translator->OtherMessage2(), "");
      EXPECT_EQ(translator->Version(), 300u);
    };
    if (descriptor->SuperClassID() == modra::kSceneImportClass) {
      std::unique_ptr<modra::SceneImport> a(static_cast<modra::SceneImport*>(first));
      std::unique_ptr<modra::SceneImport> b(static_cast<modra::SceneImport*>(second));
      check(a.get());
      check(b.get());
    } else {
      std::unique_ptr<modra::SceneExport> a(static_cast<modra::SceneExport*>(first));
      std::unique_ptr<modra::SceneExport> b(static_cast<modra::SceneExport*>(second));
      check(a.get());
      check(b.get());
    }
  }
  modra::ClassDesc* panel = plugin->Class(3);
  std::unique_ptr<modra::UtilityObj> a(static_cast<modra::UtilityObj*>(panel->Create(0)));
  std::unique_ptr<modra::UtilityObj> b(static_cast<modra::UtilityObj*>(panel->Create(0)));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a.get(), b.get());
  EXPECT_TRUE(host.user().MessageBoxes().empty());
}

TEST_F(PluginLoadTest, CreateAnswersNullWhenStorageRunsOut) {
  std::string error;
  auto plugin = modra::host::PluginLibrary::Load(kPlugin, error);
  ASSERT_NE(plugin, nullptr) << error;
  for (int index = 0; index < 4; ++index) {
    SCOPED_TRACE(index);
    fail_nothrow_new = true;
    void* object = plugin->Class(index)->Create(0);
    fail_nothrow_new = false;
    EXPECT_EQ(object, nullptr);
  }
  void* object = plugin->Class(0)->Create(0);
  ASSERT_NE(object, nullptr);
  delete static_cast<modra::SceneImport*>(object);
}

TEST_F(PluginLoadTest, AboutBoxOfEveryTranslator) {
  modra::host::Host host;
  std::string error;
  auto plugin = modra::host::PluginLibrary::Load(kPlugin, error);
  ASSERT_NE(plugin, nullptr) << error;
  for (int index : {0, 1, 2}) {
    for (bool press_ok : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "descriptor " << index << (press_ok ? " OK" : " none"));
      host.user().ClearShown();
      if (press_ok) host.user().Press(1097);
      void* object = plugin->Class(index)->Create(0);
      ASSERT_NE(object, nullptr);
      if (index == 1) {
        std::unique_ptr<modra::SceneExport> exporter(static_cast<modra::SceneExport*>(object));
        exporter->ShowAbout(host.MainWindow());
      } else {
        std::unique_ptr<modra::SceneImport> importer(static_cast<modra::SceneImport*>(object));
        importer->ShowAbout(host.MainWindow());
      }
      const auto opened = host.user().ShownOfKind(ShownEvent::Kind::kDialogOpened);
      const auto closed = host.user().ShownOfKind(ShownEvent::Kind::kDialogClosed);
      ASSERT_EQ(opened.size(), 1u);
      ASSERT_EQ(closed.size(), 1u);
      EXPECT_EQ(opened[0].dialog.templateId, 114);
      EXPECT_EQ(opened[0].dialog.title, "About...");
      EXPECT_TRUE(opened[0].dialog.centred);
      // OK ends it with 1; the box has nothing else that ends it, so the host closes it (0).
      EXPECT_EQ(closed[0].number, press_ok ? 1 : 0);
      EXPECT_TRUE(host.user().Empty());
    }
  }
}

// Checks that hold for every dialog template of the library.
void ExpectWellFormed(const modra::DialogTemplate& dialog) {
  SCOPED_TRACE(dialog.id);
  EXPECT_EQ(dialog.fontName, "MS Sans Serif");
  EXPECT_EQ(dialog.fontSize, 8);
  std::set<int> ids;
  int default_buttons = 0;
  for (const modra::ControlTemplate& control : dialog.controls) {
    SCOPED_TRACE(control.id != modra::kNoControlId ? std::to_string(control.id) : control.text);
    EXPECT_GE(control.x, 0);
    EXPECT_GE(control.y, 0);
    EXPECT_GT(control.width, 0);
    EXPECT_GT(control.height, 0);
    EXPECT_LE(control.x + control.width, dialog.width);
    EXPECT_LE(control.y + control.height, dialog.height);
    if (control.id != modra::kNoControlId) {
      EXPECT_TRUE(ids.insert(control.id).second);
    }
    if (control.kind == modra::ControlKind::kRadioButton) {
      EXPECT_NE(control.style & modra::kStyleGroupStart, 0u);
    }
    if (control.style & modra::kStyleDefaultButton) ++default_buttons;
  }
  EXPECT_EQ(default_buttons, 1);
}

TEST_F(PluginLoadTest, ResourcesGoToThePlatformAtAttach) {
  std::string error;
  auto plugin = modra::host::PluginLibrary::Load(kPlugin, error);
  ASSERT_NE(plugin, nullptr) << error;
  const modra::ModuleHandle module = plugin->module();
  struct Expected {
    int id;
    const char* title;
    int width;
    int height;
    std::uint32_t style;
    std::size_t controls;
  };
  constexpr std::uint32_t kModal = modra::kDialogModalFrame | modra::kDialogCaption;
  for (const Expected& e : {Expected{107, "ImportHTR", 262, 164, kModal, 28},
                            Expected{114, "About...", 142, 175, kModal, 6},
                            Expected{116, "", 108, 255, modra::kDialogChild, 22},
                            Expected{120, "ImportTRC", 262, 164, kModal, 27},
                            Expected{126, "ExportHTR", 262, 154, kModal, 21},
                            Expected{127, "MNM Creator / Marker Selection", 262, 49,
                                     modra::kDialogPopup | modra::kDialogCaption, 5}}) {
    const modra::DialogTemplate* dialog = modra::FindDialogTemplate(module, e.id);
    ASSERT_NE(dialog, nullptr) << e.id;
    EXPECT_EQ(dialog->title, e.title);
    EXPECT_EQ(dialog->width, e.width);
    EXPECT_EQ(dialog->height, e.height);
    EXPECT_EQ(dialog->style, e.style);
    EXPECT_EQ(dialog->controls.size(), e.controls) << e.id;
    ExpectWellFormed(*dialog);
  }
  // A few controls in full.
  auto find = [module](int dialog, int id) -> const modra::ControlTemplate* {
    for (const auto& control : modra::FindDialogTemplate(module, dialog)->controls)
      if (control.id == id) return &control;
    return nullptr;
  };
  const modra::ControlTemplate* global = find(120, 1088);
  ASSERT_NE(global, nullptr);
  EXPECT_EQ(global->kind, modra::ControlKind::kEdit);
  EXPECT_EQ(std::vector<int>({global->x, global->y, global->width, global->height}),
            std::vector<int>({185, 112, 55, 12}));
  EXPECT_EQ(global->style, modra::kStyleBorder | modra::kStyleAutoHScroll);
  const modra::ControlTemplate* logo = find(114, 1075);
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(logo->kind, modra::ControlKind::kBitmap);
  EXPECT_EQ(logo->imageId, 112);
  const modra::ControlTemplate* slider = find(126, 1067);
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->text, "Slider");
  EXPECT_EQ(find(116, 1206)->kind, modra::ControlKind::kCustomEdit);
  EXPECT_EQ(find(116, 1137)->style & modra::kStyleReadOnly, modra::kStyleReadOnly);
  EXPECT_EQ(find(127, 1127)->text, "Back");
  EXPECT_EQ(find(107, 1052)->text, "TCB");

  // Strings are loaded whole, up to the shared buffer's 255 characters.
  char text[256];
  struct String {
    std::uint32_t id;
    const char* text;
  };
  for (const String& s : {String{13, "Vantrel TRC Files (*.TRC)"},
                          String{10, "MNM File Creation Failed: Unable to open output file."},
                          String{34, "Marker Name Mapping Files (*.MNM)"},
                          String{35, "Kinestra Marker Files (*.PNX)"}}) {
    EXPECT_GT(modra::LoadStringResource(module, s.id, text, sizeof text), 0);
    EXPECT_STREQ(text, s.text);
  }
  EXPECT_EQ(modra::LoadStringResource(module, 3, text, sizeof text), 0);
}

TEST_F(PluginLoadTest, LoadingCreatesTheTranslatorKeysInOrder) {
  ASSERT_FALSE(KeyExists("Software"));
  std::string error;
  auto plugin = modra::host::PluginLibrary::Load(kPlugin, error);
  ASSERT_NE(plugin, nullptr) << error;
  // The option records are constructed in the library's fixed order, each creating its key;
  // the panel's settings key is made only with a panel object.
  EXPECT_EQ(SubKeys(zar::testing::kOptionsKey),
            (std::vector<std::string>{"ImportHTR", "ImportTRC", "ExportHTR"}));
  for (const char* key : {"ImportHTR", "ImportTRC", "ExportHTR"})
    EXPECT_TRUE(Values(ClassKey(key)).empty()) << key;
}

TEST_F(PluginLoadTest, UnavailableRegistryLoadsSilently) {
  modra::host::Host host;
  Store().SetUnavailable(true);
  std::string error;
  auto plugin = modra::host::PluginLibrary::Load(kPlugin, error);
  ASSERT_NE(plugin, nullptr) << error;
  EXPECT_STREQ(plugin->Class(0)->ClassName(), "ImportHTR");
  for (int index = 0; index < 4; ++index) {
    void* object = plugin->Class(index)->Create(0);
    ASSERT_NE(object, nullptr);
    if (index == 3)
      delete static_cast<modra::UtilityObj*>(object);
    else if (index == 1)
      delete static_cast<modra::SceneExport*>(object);
    else
      delete static_cast<modra::SceneImport*>(object);
  }
  Store().SetUnavailable(false);
  EXPECT_FALSE(KeyExists("Software\\Vantrel"));
  EXPECT_TRUE(host.user().shown().empty());
}

TEST_F(PluginLoadTest, UnloadingUnloadsAndTheNextLoadStartsAfresh) {
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    std::string error;
    auto plugin = modra::host::PluginLibrary::Load(kPlugin, error);
    ASSERT_NE(plugin, nullptr) << error;
    EXPECT_STREQ(plugin->Class(2)->ClassName(), "ImportTRC");
    plugin.reset();
    // Nothing pins the library: unloading really unloads it (and destroys its statics).
    void* still_loaded = dlopen(kPlugin, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(still_loaded, nullptr);
    if (still_loaded != nullptr) dlclose(still_loaded);
  }
}

}  // namespace
