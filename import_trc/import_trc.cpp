#include "import_trc/import_trc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "frame/about_box.h"
#include "frame/message_reporter.h"
#include "frame/resource_ids.h"
#include "frame/translator_identity.h"
#include "import_trc/import_trc_options.h"
#include "import_trc/trc_cloud.h"
#include "import_trc/trc_import_messages.h"
#include "import_trc/trc_options_dialog.h"
#include "sdk/modra_host.h"

namespace zar {
namespace {

// The progress display's work function: the import does its work itself.
std::uint32_t NoProgressWork(void* /*argument*/) { return 0; }

void Report(const char* text) { message_reporter.Report(text, trc_import::kErrorCaption); }

// The last frame the header declares, kept within the record's range.
std::int32_t LastDeclaredFrame(const TRCFile& model) {
  const std::int64_t last = static_cast<std::int64_t>(model.StartFrame()) + model.NumFrames() - 1;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      last, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

TRCCloudSettings SettingsOf(const ImportTRCOptions& options) {
  TRCCloudSettings settings;
  settings.apply = options.Apply;
  settings.geometry = options.Geometry;
  settings.selected_only = options.SelectedOnly;
  settings.root_node = options.RootNode;
  settings.range = options.Range;
  settings.fps = options.FPS;
  settings.start_frame = options.StartFrame;
  settings.end_frame = options.EndFrame;
  settings.offset = options.Offset;
  settings.size = options.Size;
  settings.scale_factor = options.ScaleFactor;
  return settings;
}

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

int ImportTRC::DoImport(const char* name, modra::ImportContext* /*context*/,
                        modra::HostInterface* host, int suppress_prompts) {
  if (host == nullptr) return modra::kTranslatorFailed;
  file_name_ = name != nullptr ? name : "";
  host_ = host;

  modra::SuspendAnimate();
  modra::SuspendSetKeyMode();
  modra::AnimateOff();
  if (host_->IsModeActive() != 0) host_->EndActiveMode();
  host_->BeginProgress(trc_import::kProgressTitle, 1, &NoProgressWork, nullptr);
  host_->UpdateProgress(0, 1, nullptr);

  const std::string problem = model_.Read(file_name_, false);
  if (!problem.empty()) {
    Report(problem.c_str());
    Finish();
    return modra::kTranslatorSucceeded;
  }

  // Marker positions in scene units: millimetres, then the scene's system unit.
  model_.ConvertUnits(LengthUnit::kMillimetres);
  const double to_units = 1.0 / modra::GetMasterScale(modra::kUnitMillimetres);
  if (to_units != 1.0 && std::isfinite(to_units)) model_.Scale(to_units);
  host_->UpdateProgress(10, 1, nullptr);

  ImportTRCOptions& options = import_trc_options;
  options.StartFrame = model_.StartFrame();
  options.EndFrame = LastDeclaredFrame(model_);

  // A dialog that cannot be shown counts as cancelled.
  if (suppress_prompts == 0 && RunImportTRCOptionsDialog(host_->MainWindow(), options) != 1) {
    Finish();
    return modra::kTranslatorSucceeded;
  }

  if (BuildCloud()) host_->UpdateProgress(100, 1, nullptr);
  Finish();
  return modra::kTranslatorSucceeded;
}

bool ImportTRC::BuildCloud() {
  // A keyed marker's samples are released at once: the scene holds them now, and the import's
  // peak memory stays near that of the scene instead of the scene plus the whole file.
  const auto release = [this](std::int32_t index) {
    TRCMarker* marker = model_.Marker(index);
    TRCMarker emptied(marker->Name());
    emptied.SetSelected(marker->Selected());
    *marker = std::move(emptied);
  };
  switch (BuildTRCCloud(*host_, model_, SettingsOf(import_trc_options), release)) {
    case TRCCloudOutcome::kDone:
      return true;
    case TRCCloudOutcome::kNoPositionController:
      Report(trc_import::kNoPositionController);
      return false;
    case TRCCloudOutcome::kCannotCreate:
      Report(trc_import::kCannotCreateNode);
      return false;
    case TRCCloudOutcome::kCancelled:
    case TRCCloudOutcome::kControllerRefused:
      return false;
  }
  return false;
}

void ImportTRC::Finish() {
  host_->EndProgress();
  model_.Clear();
  modra::ResumeSetKeyMode();
  modra::ResumeAnimate();
  host_ = nullptr;
}

ImportTRCClassDesc::ImportTRCClassDesc()
    : PluginClassDesc(resource::kImportTRCClassName, modra::kSceneImportClass, kImportTRCClassId) {}

void* ImportTRCClassDesc::Create(int /*loading*/) {
  return NewPluginObject<ImportTRC, modra::SceneImport>();
}

}  // namespace zar
