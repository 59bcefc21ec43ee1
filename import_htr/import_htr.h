#ifndef ZAR_IMPORT_HTR_IMPORT_HTR_H_
#define ZAR_IMPORT_HTR_IMPORT_HTR_H_

// The HTR importer as the host sees it: its identity answers and its descriptor.

#include <cstdint>

#include "frame/plugin_class_desc.h"
#include "math/zar_euler_order.h"
#include "sdk/modra_plugin.h"

namespace zar {

class ImportHTR : public modra::SceneImport {
 public:
  int ExtensionCount() override { return 1; }
  const char* Extension(int index) override;
  const char* LongDescription() override;
  const char* ShortDescription() override;
  const char* AuthorName() override;
  const char* NoticeMessage() override;
  const char* OtherMessage1() override;
  const char* OtherMessage2() override;
  unsigned Version() override;
  void ShowAbout(modra::WindowHandle owner) override;
  int DoImport(const char* name, modra::ImportContext* context, modra::HostInterface* host,
               int suppress_prompts) override;
};

// Descriptor 0: super-class 0x0A10, class id (0x52871D2D, 0x79755925), class name string 29.
class ImportHTRClassDesc : public PluginClassDesc {
 public:
  ImportHTRClassDesc();
  void* Create(int loading) override;
  const char* GetRsrcString(std::intptr_t id) override { return ResourceStringUnchanged(id); }
};

inline constexpr modra::ClassId kImportHTRClassId{0x52871D2D, 0x79755925};

// The library's static objects of the HTR importer (library_entry.cpp).
extern ImportHTRClassDesc import_htr_class_desc;
// The Euler order the HTR importer reads rotations in.
extern ZAREulerOrder import_htr_euler_order;

}  // namespace zar

#endif  // ZAR_IMPORT_HTR_IMPORT_HTR_H_
