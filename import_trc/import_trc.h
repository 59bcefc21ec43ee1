#ifndef ZAR_IMPORT_TRC_IMPORT_TRC_H_
#define ZAR_IMPORT_TRC_IMPORT_TRC_H_

// The TRC importer as the host sees it: its identity answers, its import operation and its
// descriptor.

#include <cstdint>
#include <string>
#include <vector>

#include "filelib/trc_file.h"
#include "import_trc/trc_cloud.h"
#include "plugin_services/plugin_class_desc.h"
#include "sdk/modra_plugin.h"

namespace zar {

class ImportTRC : public modra::SceneImport {
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
  // Reads the TRC file's header, runs the options dialog (unless prompts are suppressed), reads
  // the samples in scene units and builds the marker cloud. Answers 1 whatever happens (problems
  // are shown to the user), 0 only without a host to import into.
  int DoImport(const char* name, modra::ImportContext* context, modra::HostInterface* host,
               int suppress_prompts) override;

  // Creates or finds the nodes for all markers and keys them from `points` (one list per
  // marker, emptied as it is keyed) and the options record; false when the import stopped early
  // (its message, if any, has been shown).
  bool BuildCloud(std::vector<TRCKeyPoints>& points);

 private:
  // Ends the progress display, empties the model and resumes the host's modes.
  void Finish();

  std::string file_name_;
  TRCFile model_;
  modra::HostInterface* host_ = nullptr;  // valid during DoImport only
};

// Descriptor 2: super-class 0x0A10, class id (0x36712537, 0x27265B43), class name string 32.
class ImportTRCClassDesc : public PluginClassDesc {
 public:
  ImportTRCClassDesc();
  void* Create(int loading) override;
  const char* GetRsrcString(std::intptr_t id) override { return ResourceStringUnchanged(id); }
};

inline constexpr modra::ClassId kImportTRCClassId{0x36712537, 0x27265B43};

// The library's static descriptor of the TRC importer (library_entry.cpp).
extern ImportTRCClassDesc import_trc_class_desc;

}  // namespace zar

#endif  // ZAR_IMPORT_TRC_IMPORT_TRC_H_
