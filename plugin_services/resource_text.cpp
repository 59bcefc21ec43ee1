#include "plugin_services/resource_text.h"

namespace zar {
namespace {

// Both are constant-initialised, so they are valid before any static constructor runs.
modra::ModuleHandle module_instance = nullptr;
char text_buffer[kResourceTextSize] = {};

}  // namespace

modra::ModuleHandle ModuleInstance() { return module_instance; }

void SetModuleInstance(modra::ModuleHandle module) { module_instance = module; }

const char* LoadResourceText(std::uint32_t id) {
  if (module_instance == nullptr) return nullptr;
  // Every string of the table has text, so zero characters means the string is missing.
  const int copied = modra::LoadStringResource(module_instance, id, text_buffer,
                                               static_cast<int>(kResourceTextSize));
  if (copied <= 0) return nullptr;
  return text_buffer;
}

}  // namespace zar
