#include "import_trc/import_trc.h"

#include "frame/about_box.h"
#include "frame/message_reporter.h"
#include "frame/resource_ids.h"
#include "frame/translator_identity.h"

namespace zar {
namespace {

constexpr const char* kErrorCaption = "ImportTRC Error";
constexpr const char* kNotAvailable = "Importing TRC files is not available in this build.";

}  // namespace

const char* ImportTRC::Extension(int /*index*/) { return "TRC"; }
const char* ImportTRC::LongDescription() { return "Vantrel TRC Optical Marker Tracking File"; }
const char* ImportTRC::ShortDescription() { return "Vantrel TRC File"; }
const char* ImportTRC::AuthorName() { return kTranslatorAuthor; }
const char* ImportTRC::NoticeMessage() { return kTranslatorNotice; }
const char* ImportTRC::OtherMessage1() { return kTranslatorOtherMessage; }
const char* ImportTRC::OtherMessage2() { return kTranslatorOtherMessage; }
unsigned ImportTRC::Version() { return kTranslatorVersion; }
void ImportTRC::ShowAbout(modra::WindowHandle owner) { ShowAboutBox(owner); }

int ImportTRC::DoImport(const char* /*name*/, modra::ImportContext* /*context*/,
                        modra::HostInterface* /*host*/, int /*suppress_prompts*/) {
  message_reporter.Report(kNotAvailable, kErrorCaption);
  return modra::kTranslatorFailed;
}

ImportTRCClassDesc::ImportTRCClassDesc()
    : PluginClassDesc(resource::kImportTRCClassName, modra::kSceneImportClass, kImportTRCClassId) {}

void* ImportTRCClassDesc::Create(int /*loading*/) {
  return NewPluginObject<ImportTRC, modra::SceneImport>();
}

}  // namespace zar
