#ifndef ZAR_IMPORT_HTR_IMPORT_HTR_H_
#define ZAR_IMPORT_HTR_IMPORT_HTR_H_

// The HTR importer as the host sees it: its identity answers, its import operation and its
// descriptor.

#include <cstdint>
#include <string>

#include "filelib/htr_file.h"
#include "import_htr/htr_import_job.h"
#include "math/zar_euler_order.h"
#include "plugin_services/plugin_class_desc.h"
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

 private:
  std::string file_name_;
  HTRFile model_;                                   // the file's contents during one import
  modra::ImportContext* import_context_ = nullptr;  // kept, not used
  bool quiet_ = false;                              // the host asked for no prompts
  HTRImportJob job_;                                // host, frame count, keyed segments
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
