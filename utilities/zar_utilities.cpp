#include "utilities/zar_utilities.h"

#include "frame/message_reporter.h"
#include "frame/resource_ids.h"

namespace zar {
namespace {

constexpr const char* kCaption = "ZARUtilities";
constexpr const char* kNotAvailable =
    "The Convert TRC to PNX panel is not available in this build.";

}  // namespace

void ZARUtilities::OpenPanel(modra::HostInterface* host, modra::UtilityPanel* panel) {
  host_ = host;
  panel_ = panel;
  message_reporter.Report(kNotAvailable, kCaption);
}

void ZARUtilities::ClosePanel(modra::HostInterface* /*host*/, modra::UtilityPanel* /*panel*/) {
  host_ = nullptr;
  panel_ = nullptr;
}

ZARUtilitiesClassDesc::ZARUtilitiesClassDesc()
    : PluginClassDesc(resource::kZARUtilitiesClassName, modra::kUtilityClass,
                      kZARUtilitiesClassId) {}

void* ZARUtilitiesClassDesc::Create(int /*loading*/) {
  return NewPluginObject<ZARUtilities, modra::UtilityObj>();
}

}  // namespace zar
