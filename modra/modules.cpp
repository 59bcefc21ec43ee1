#include "modra/modules.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace modra {
namespace host {
namespace {

std::vector<std::unique_ptr<HostModule>>& Modules() {
  static std::vector<std::unique_ptr<HostModule>> modules;
  return modules;
}

HostModule* Find(ModuleHandle module) {
  if (module == nullptr) return nullptr;
  for (const auto& m : Modules())
    if (m.get() == module) return m.get();
  return nullptr;
}

template <class F>
F Symbol(void* library, const char* name) {
  void* p = dlsym(library, name);
  F f = nullptr;
  static_assert(sizeof f == sizeof p);
  std::memcpy(&f, &p, sizeof f);
  return f;
}

}  // namespace

ModuleHandle CreateModule(const std::string& name) {
  auto m = std::make_unique<HostModule>();
  m->name = name;
  Modules().push_back(std::move(m));
  return Modules().back().get();
}

void DestroyModule(ModuleHandle module) {
  auto& all = Modules();
  all.erase(
      std::remove_if(all.begin(), all.end(),
                     [module](const std::unique_ptr<HostModule>& m) { return m.get() == module; }),
      all.end());
}

bool ModuleAlive(ModuleHandle module) { return Find(module) != nullptr; }

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path, std::string& error) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    error = "cannot load plug-in " + path + ": " + (why ? why : "unknown error");
    return nullptr;
  }
  std::unique_ptr<PluginLibrary> p(new PluginLibrary());
  p->description_ = Symbol<LibDescriptionFunction>(library, "LibDescription");
  p->count_ = Symbol<LibNumberClassesFunction>(library, "LibNumberClasses");
  p->classDesc_ = Symbol<LibClassDescFunction>(library, "LibClassDesc");
  p->version_ = Symbol<LibVersionFunction>(library, "LibVersion");
  p->entry_ = Symbol<ModuleEntryFunction>(library, kModuleEntrySymbol);
  if (!p->description_ || !p->count_ || !p->classDesc_ || !p->version_) {
    error = "plug-in " + path +
            " lacks one of LibDescription, LibNumberClasses, LibClassDesc, "
            "LibVersion";
    dlclose(library);
    return nullptr;
  }
  if (p->version_() != kPluginInterfaceVersion) {
    error = "plug-in " + path + " was built for another version of the plug-in interface";
    dlclose(library);
    return nullptr;
  }
  p->module_ = CreateModule(path);
  p->module_->library = library;
  if (p->entry_ != nullptr && p->entry_(p->module_, kProcessAttach, nullptr) == 0) {
    error = "plug-in " + path + " refused to start";
    p->entry_ = nullptr;
    return nullptr;  // the destructor unloads it
  }
  return p;
}

PluginLibrary::~PluginLibrary() {
  if (module_ == nullptr) return;
  if (entry_ != nullptr) entry_(module_, kProcessDetach, nullptr);
  void* library = module_->library;
  DestroyModule(module_);
  if (library != nullptr) dlclose(library);
}

const char* PluginLibrary::Description() const { return description_ ? description_() : nullptr; }
int PluginLibrary::ClassCount() const { return count_ ? count_() : 0; }
ClassDesc* PluginLibrary::Class(int index) const {
  return classDesc_ ? classDesc_(index) : nullptr;
}
std::uint32_t PluginLibrary::Version() const { return version_ ? version_() : 0; }

ClassDesc* PluginLibrary::FindClass(const std::string& className) const {
  for (int i = 0; i < ClassCount(); ++i) {
    ClassDesc* d = Class(i);
    if (d != nullptr && d->ClassName() != nullptr && className == d->ClassName()) return d;
  }
  return nullptr;
}

}  // namespace host

bool DisableThreadNotifications(ModuleHandle module) {
  HostModule* m = host::Find(module);
  if (m == nullptr) return false;
  m->threadNotifications = false;
  return true;
}

bool RegisterModuleResources(ModuleHandle module, const ModuleResources& resources) {
  HostModule* m = host::Find(module);
  if (m == nullptr) return false;
  m->resources = resources;
  return true;
}

void UnregisterModuleResources(ModuleHandle module) {
  if (HostModule* m = host::Find(module)) m->resources = ModuleResources();
}

int LoadStringResource(ModuleHandle module, std::uint32_t id, char* buffer, int bufferSize) {
  HostModule* m = host::Find(module);
  if (m == nullptr || buffer == nullptr || bufferSize < 1) return 0;
  auto it = m->resources.strings.find(id);
  if (it == m->resources.strings.end()) {
    buffer[0] = '\0';
    return 0;
  }
  const std::size_t n = std::min(it->second.size(), static_cast<std::size_t>(bufferSize) - 1);
  std::memcpy(buffer, it->second.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

const DialogTemplate* FindDialogTemplate(ModuleHandle module, int id) {
  HostModule* m = host::Find(module);
  if (m == nullptr) return nullptr;
  for (const DialogTemplate& d : m->resources.dialogs)
    if (d.id == id) return &d;
  return nullptr;
}

}  // namespace modra
