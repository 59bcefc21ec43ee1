#ifndef ZAR_EXPORT_HTR_EXPORT_HTR_H_
#define ZAR_EXPORT_HTR_EXPORT_HTR_H_

// The HTR exporter as the host sees it: its identity answers, its export operation and its
// descriptor.

#include <cstdint>
#include <string>

#include "filelib/htr_file.h"
#include "math/zar_euler_order.h"
#include "plugin_services/plugin_class_desc.h"
#include "sdk/modra_plugin.h"

namespace zar {

class ExportHTR : public modra::SceneExport {
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
  // Writes the bone hierarchy of the selected root bone to `name`: runs the options dialog
  // (unless prompts are suppressed), finds the root bone, samples the hierarchy and writes the
  // file. Answers 1 when the file was written or the dialog cancelled, 0 after a failure has
  // been shown. The host's animate and set-key modes are suspended meanwhile and resumed on
  // every return.
  int DoExport(const char* name, modra::ExportContext* context, modra::HostInterface* host,
               int suppress_prompts, std::uint32_t options) override;

 private:
  // The export with the modes suspended.
  int Export(modra::HostInterface& host, bool quiet);

  std::string file_name_;
  HTRFile model_;  // filled by one export, emptied after it
};

// Descriptor 1: super-class 0x0A20, class id (0x79A30F94, 0x5AD43C07), class name string 31.
class ExportHTRClassDesc : public PluginClassDesc {
 public:
  ExportHTRClassDesc();
  void* Create(int loading) override;
  const char* GetRsrcString(std::intptr_t id) override { return ResourceStringUnchanged(id); }
};

inline constexpr modra::ClassId kExportHTRClassId{0x79A30F94, 0x5AD43C07};

// The library's static objects of the HTR exporter (library_entry.cpp).
extern ExportHTRClassDesc export_htr_class_desc;
// The Euler order the HTR exporter writes rotations in.
extern ZAREulerOrder export_htr_euler_order;

}  // namespace zar

#endif  // ZAR_EXPORT_HTR_EXPORT_HTR_H_
