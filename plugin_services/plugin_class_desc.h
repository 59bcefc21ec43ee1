#ifndef ZAR_PLUGIN_SERVICES_PLUGIN_CLASS_DESC_H_
#define ZAR_PLUGIN_SERVICES_PLUGIN_CLASS_DESC_H_

// What the library's four class descriptors answer alike: public, a class name and internal
// name from the string table, a super-class, a class id, the category "Motion Capture" and the
// module instance. Each descriptor adds its own create.

#include <cstdint>
#include <new>

#include "sdk/modra_plugin.h"
#include "sdk/modra_types.h"

namespace zar {

class PluginClassDesc : public modra::ClassDesc2 {
 public:
  PluginClassDesc(std::uint32_t name_string, modra::SuperClassId super_class,
                  modra::ClassId class_id)
      : name_string_(name_string), super_class_(super_class), class_id_(class_id) {}

  int IsPublic() override { return 1; }
  // The text of the class name's string, null before the library is attached. Like every text
  // of LoadResourceText it lasts until the next string is loaded.
  const char* ClassName() override;
  modra::SuperClassId SuperClassID() override { return super_class_; }
  modra::ClassId ClassID() override { return class_id_; }
  const char* Category() override;
  const char* InternalName() override { return ClassName(); }
  modra::ModuleHandle ModuleInstance() override;

 private:
  std::uint32_t name_string_;
  modra::SuperClassId super_class_;
  modra::ClassId class_id_;
};

// A new T for the host, as the address of its host base class `Base`, or null when storage
// runs out (the object's own allocation or any made while constructing it).
template <typename T, typename Base>
void* NewPluginObject() {
  try {
    T* object = new (std::nothrow) T();
    return object != nullptr ? static_cast<void*>(static_cast<Base*>(object)) : nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// The translators' descriptors also hand the host's resource-string query back unchanged: the
// identifier they are given is the text's address.
inline const char* ResourceStringUnchanged(std::intptr_t id) {
  return reinterpret_cast<const char*>(id);
}

}  // namespace zar

#endif  // ZAR_PLUGIN_SERVICES_PLUGIN_CLASS_DESC_H_
