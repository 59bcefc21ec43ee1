#include "import_htr/import_htr.h"

#include "frame/about_box.h"
#include "frame/message_reporter.h"
#include "frame/resource_ids.h"
#include "frame/translator_identity.h"

namespace zar {
namespace {

constexpr const char* kErrorCaption = "ImportHTR Error";
constexpr const char* kNotAvailable = "Importing HTR files is not available in this build.";

}  // namespace

const char* ImportHTR::Extension(int /*index*/) { return "HTR"; }
const char* ImportHTR::LongDescription() { return "Vantrel HTR Skeletal Animation File"; }
const char* ImportHTR::ShortDescription() { return "Vantrel HTR File"; }
const char* ImportHTR::AuthorName() { return kTranslatorAuthor; }
const char* ImportHTR::NoticeMessage() { return kTranslatorNotice; }
const char* ImportHTR::OtherMessage1() { return kTranslatorOtherMessage; }
const char* ImportHTR::OtherMessage2() { return kTranslatorOtherMessage; }
unsigned ImportHTR::Version() { return kTranslatorVersion; }
void ImportHTR::ShowAbout(modra::WindowHandle owner) { ShowAboutBox(owner); }

int ImportHTR::DoImport(const char* /*name*/, modra::ImportContext* /*context*/,
                        modra::HostInterface* /*host*/, int /*suppress_prompts*/) {
  message_reporter.Report(kNotAvailable, kErrorCaption);
  return modra::kTranslatorFailed;
}

ImportHTRClassDesc::ImportHTRClassDesc()
    : PluginClassDesc(resource::kImportHTRClassName, modra::kSceneImportClass, kImportHTRClassId) {}

void* ImportHTRClassDesc::Create(int /*loading*/) {
  return NewPluginObject<ImportHTR, modra::SceneImport>();
}

}  // namespace zar
