#include "import_trc/import_trc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "import_trc/import_trc_options.h"
#include "import_trc/trc_cloud.h"
#include "import_trc/trc_import_messages.h"
#include "import_trc/trc_options_dialog.h"
#include "plugin_description/resource_ids.h"
#include "plugin_services/about_box.h"
#include "plugin_services/key_time_range.h"
#include "plugin_services/message_reporter.h"
#include "plugin_services/translator_identity.h"
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

// Reads no further than the first data line: the header, the names and the first frame number
// are all the options dialog needs.
class HeaderOnly : public TRCSampleSink {
 public:
  void Begin(const TRCFile& /*model*/, std::int64_t /*frames*/) override {}
  bool Line(const TRCSample* /*samples*/) override { return false; }
};

// Makes each sample into its key point as the file is read, in the scene's units: the file's
// units to millimetres, then to the system unit (`to_units`, when it is not 1), each the same
// multiplication the file model's ConvertUnits and Scale make; then keyed with `scale_factor`.
// The file's samples are never held all at once, only the smaller key points.
class KeyPointReader : public TRCSampleSink {
 public:
  KeyPointReader(double to_units, double scale_factor, std::vector<TRCKeyPoints>& points)
      : to_units_(to_units), scale_factor_(scale_factor), points_(points) {}

  void Begin(const TRCFile& model, std::int64_t frames) override {
    in_millimetres_ = model.Units() == LengthUnit::kMillimetres;
    to_millimetres_ = LengthConversionFactor(model.Units(), LengthUnit::kMillimetres);
    points_.assign(static_cast<std::size_t>(model.NumMarkers()), TRCKeyPoints());
    for (TRCKeyPoints& keys : points_) {
      keys.points.reserve(static_cast<std::size_t>(frames));
      keys.present.reserve(static_cast<std::size_t>(frames));
    }
  }

  bool Line(const TRCSample* samples) override {
    for (TRCKeyPoints& keys : points_) {
      TRCSample sample = *samples++;
      if (!in_millimetres_) Multiply(sample, to_millimetres_);
      if (to_units_ != 1.0 && std::isfinite(to_units_)) Multiply(sample, to_units_);
      keys.Add(sample, scale_factor_);
    }
    return true;
  }

 private:
  static void Multiply(TRCSample& sample, double factor) {
    sample.x *= factor;
    sample.y *= factor;
    sample.z *= factor;
  }

  const double to_units_;
  const double scale_factor_;
  std::vector<TRCKeyPoints>& points_;
  bool in_millimetres_ = true;
  double to_millimetres_ = 1.0;
};

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

// True when every key the build would set falls on the host's time line (the animation range
// it ends with is kept on it by the build).
bool KeysFitTimeLine(const TRCFile& model, const TRCCloudSettings& settings) {
  const std::int64_t frames =
      settings.range ? static_cast<std::int64_t>(settings.end_frame) - settings.start_frame + 1
                     : model.NumFrames();
  const std::int64_t first = static_cast<std::int64_t>(settings.start_frame) + settings.offset;
  return FramesFitTimeLine(first, first + std::max<std::int64_t>(frames, 1) - 1,
                           modra::GetTicksPerFrame());
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

  // The header first: the dialog's frame range comes from it, and the samples are read once the
  // scale factor is known, straight into key points.
  HeaderOnly header_only;
  std::string problem = model_.Read(file_name_, false, header_only);
  if (!problem.empty()) {
    Report(problem.c_str());
    Finish();
    return modra::kTranslatorSucceeded;
  }
  host_->UpdateProgress(10, 1, nullptr);

  ImportTRCOptions& options = import_trc_options;
  options.StartFrame = model_.StartFrame();
  options.EndFrame = LastDeclaredFrame(model_);

  // A dialog that cannot be shown counts as cancelled.
  if (suppress_prompts == 0 && RunImportTRCOptionsDialog(host_->MainWindow(), options) != 1) {
    Finish();
    return modra::kTranslatorSucceeded;
  }

  // Keys that would fall past the host's time line are refused before anything is made.
  if (!KeysFitTimeLine(model_, SettingsOf(options))) {
    Report(kKeysOutsideTimeLine);
    Finish();
    return modra::kTranslatorSucceeded;
  }

  // Marker positions in scene units: millimetres, then the scene's system unit.
  const double to_units = 1.0 / modra::GetMasterScale(modra::kUnitMillimetres);
  std::vector<TRCKeyPoints> points;
  KeyPointReader reader(to_units, options.ScaleFactor, points);
  problem = model_.Read(file_name_, false, reader);
  if (!problem.empty()) {
    Report(problem.c_str());
    Finish();
    return modra::kTranslatorSucceeded;
  }

  if (BuildCloud(points)) host_->UpdateProgress(100, 1, nullptr);
  Finish();
  return modra::kTranslatorSucceeded;
}

bool ImportTRC::BuildCloud(std::vector<TRCKeyPoints>& points) {
  // Each marker's key points are released once it is keyed: the scene holds them now.
  switch (BuildTRCCloud(*host_, model_, points, SettingsOf(import_trc_options))) {
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
