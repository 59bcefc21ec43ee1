#include "export_htr/export_htr.h"

#include "frame/about_box.h"
#include "frame/message_reporter.h"
#include "frame/resource_ids.h"
#include "frame/translator_identity.h"

namespace zar {
namespace {

constexpr const char* kErrorCaption = "ExportHTR Error";
constexpr const char* kNotAvailable = "Exporting HTR files is not available in this build.";

}  // namespace

const char* ExportHTR::Extension(int /*index*/) { return "HTR"; }
const char* ExportHTR::LongDescription() { return "Vantrel HTR Skeletal Animation File"; }
const char* ExportHTR::ShortDescription() { return "Vantrel HTR File"; }
const char* ExportHTR::AuthorName() { return kTranslatorAuthor; }
const char* ExportHTR::NoticeMessage() { return kTranslatorNotice; }
const char* ExportHTR::OtherMessage1() { return kTranslatorOtherMessage; }
const char* ExportHTR::OtherMessage2() { return kTranslatorOtherMessage; }
unsigned ExportHTR::Version() { return kTranslatorVersion; }
void ExportHTR::ShowAbout(modra::WindowHandle owner) { ShowAboutBox(owner); }

int ExportHTR::DoExport(const char* /*name*/, modra::ExportContext* /*context*/,
                        modra::HostInterface* /*host*/, int /*suppress_prompts*/,
                        std::uint32_t /*options*/) {
  message_reporter.Report(kNotAvailable, kErrorCaption);
  return modra::kTranslatorFailed;
}

ExportHTRClassDesc::ExportHTRClassDesc()
    : PluginClassDesc(resource::kExportHTRClassName, modra::kSceneExportClass, kExportHTRClassId) {}

void* ExportHTRClassDesc::Create(int /*loading*/) {
  return NewPluginObject<ExportHTR, modra::SceneExport>();
}

}  // namespace zar
