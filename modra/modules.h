#ifndef ZAR_MODRA_MODULES_H_
#define ZAR_MODRA_MODULES_H_

// Loaded plug-in modules: their handles and resources, and the loader that opens a plug-in
// library the way the host does.

#include <cstdint>
#include <memory>
#include <string>

#include "sdk/modra_sdk.h"

namespace modra {

// One module: a loaded library (or a stand-alone resource holder made by a test).
struct HostModule {
  std::string name;
  void* library = nullptr;
  ModuleResources resources;
  bool threadNotifications = true;
};

namespace host {

// A module handle without a library (for resources registered directly). Lives until
// DestroyModule.
ModuleHandle CreateModule(const std::string& name);
void DestroyModule(ModuleHandle module);
bool ModuleAlive(ModuleHandle module);

// A plug-in library opened the way the host opens one: the library is loaded (its statics are
// constructed), its entry point is called with kProcessAttach, its interface version is checked
// and its exports are looked up. Destruction calls the entry point with kProcessDetach and
// unloads the library.
class PluginLibrary {
 public:
  // The loaded library, or null and a message naming the problem in `error`.
  static std::unique_ptr<PluginLibrary> Load(const std::string& path, std::string& error);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  ModuleHandle module() const { return module_; }
  const char* Description() const;
  int ClassCount() const;
  ClassDesc* Class(int index) const;
  std::uint32_t Version() const;
  // The first descriptor with this class name, or null.
  ClassDesc* FindClass(const std::string& className) const;

 private:
  PluginLibrary() = default;
  ModuleHandle module_ = nullptr;
  ModuleEntryFunction entry_ = nullptr;
  LibDescriptionFunction description_ = nullptr;
  LibNumberClassesFunction count_ = nullptr;
  LibClassDescFunction classDesc_ = nullptr;
  LibVersionFunction version_ = nullptr;
};

}  // namespace host
}  // namespace modra

#endif  // ZAR_MODRA_MODULES_H_
