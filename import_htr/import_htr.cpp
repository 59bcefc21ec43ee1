#include "import_htr/import_htr.h"

#include "import_htr/htr_import.h"
#include "import_htr/import_htr_options.h"
#include "plugin_description/resource_ids.h"
#include "plugin_services/about_box.h"
#include "plugin_services/message_reporter.h"
#include "plugin_services/translator_identity.h"

namespace zar {
const char* ImportHTR::Extension(int /*index*/) { return "HTR"; }
const char* ImportHTR::LongDescription() { return "Vantrel HTR Skeletal Animation File"; }
const char* ImportHTR::ShortDescription() { return "Vantrel HTR File"; }
const char* ImportHTR::AuthorName() { return kTranslatorAuthor; }
const char* ImportHTR::NoticeMessage() { return kTranslatorNotice; }
const char* ImportHTR::OtherMessage1() { return kTranslatorOtherMessage; }
const char* ImportHTR::OtherMessage2() { return kTranslatorOtherMessage; }
unsigned ImportHTR::Version() { return kTranslatorVersion; }
void ImportHTR::ShowAbout(modra::WindowHandle owner) { ShowAboutBox(owner); }

int ImportHTR::DoImport(const char* name, modra::ImportContext* context, modra::HostInterface* host,
                        int suppress_prompts) {
  file_name_ = name != nullptr ? name : "";
  import_context_ = context;
  quiet_ = suppress_prompts != 0;
  if (host == nullptr) return modra::kTranslatorFailed;
  job_ = HTRImportJob{};
  job_.host = host;
  return RunHTRImport(job_, model_, import_htr_options, file_name_, quiet_);
}

ImportHTRClassDesc::ImportHTRClassDesc()
    : PluginClassDesc(resource::kImportHTRClassName, modra::kSceneImportClass, kImportHTRClassId) {}

void* ImportHTRClassDesc::Create(int /*loading*/) {
  return NewPluginObject<ImportHTR, modra::SceneImport>();
}

}  // namespace zar
