#include "export_htr/export_htr.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <new>
#include <string>
#include <system_error>

#include "export_htr/export_htr_dialog.h"
#include "export_htr/export_htr_options.h"
#include "export_htr/htr_export_messages.h"
#include "export_htr/htr_hierarchy_walk.h"
#include "filelib/htr_stream_writer.h"
#include "plugin_description/resource_ids.h"
#include "plugin_services/about_box.h"
#include "plugin_services/message_reporter.h"
#include "plugin_services/translator_identity.h"
#include "sdk/modra_host.h"

namespace zar {
namespace {

// The progress display's work function: the export does its work itself.
std::uint32_t NoProgressWork(void* /*argument*/) { return 0; }

// A scene frame number plus the user's offset. Frame numbers are written as unsigned 32-bit
// values, so a sum beyond the 32-bit range wraps around as it would there.
std::int32_t OffsetFrame(std::int32_t frame, std::int32_t offset) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(frame) +
                                   static_cast<std::uint32_t>(offset));
}

// The fewest bytes one frame line of a segment takes: a frame number, seven values of at least
// eight characters each after a tab, and the line end.
constexpr std::uintmax_t kLeastFrameLineBytes = 1 + 7 * 9 + 2;

// The message when the frames of `model` cannot fit in the free space of the disk `file_name`
// goes to; "" when they can or the free space cannot be told. A long range would otherwise be
// sampled and written for minutes before the write fails.
std::string NoRoomForFrames(const HTRFile& model, const std::string& file_name) {
  const auto frames = static_cast<std::uintmax_t>(std::max(model.NumFrames(), 1));
  const std::uintmax_t least =
      static_cast<std::uintmax_t>(model.NumSegments()) * frames * kLeastFrameLineBytes;
  std::filesystem::path folder = std::filesystem::path(file_name).parent_path();
  if (folder.empty()) folder = ".";
  std::error_code error;
  const std::filesystem::space_info space = std::filesystem::space(folder, error);
  if (error || least <= space.available) return "";
  constexpr std::uintmax_t kMegabyte = 1000000;
  char text[256];
  std::snprintf(text, sizeof text, htr_export::kNoRoomForFrames,
                static_cast<unsigned long long>((least + kMegabyte - 1) / kMegabyte),
                static_cast<unsigned long long>(space.available / kMegabyte));
  return text;
}

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

int ExportHTR::DoExport(const char* name, modra::ExportContext* /*context*/,
                        modra::HostInterface* host, int suppress_prompts,
                        std::uint32_t /*options*/) {
  if (host == nullptr) return modra::kTranslatorFailed;
  file_name_ = name != nullptr ? name : "";
  modra::SuspendAnimate();
  modra::SuspendSetKeyMode();
  modra::AnimateOff();
  const int result = Export(*host, suppress_prompts != 0);
  modra::ResumeSetKeyMode();
  modra::ResumeAnimate();
  return result;
}

int ExportHTR::Export(modra::HostInterface& host, bool quiet) {
  if (host.IsModeActive() != 0) host.EndActiveMode();
  host.BeginProgress(htr_export::kProgressTitle, 1, NoProgressWork, nullptr);
  host.UpdateProgress(0, 1, nullptr);

  model_.Clear();
  ExportHTROptions& options = export_htr_options;
  const int ticks_per_frame = modra::GetTicksPerFrame();
  const modra::Interval range = host.AnimationRange();
  options.StartFrame = range.Start() / ticks_per_frame;
  options.EndFrame = range.End() / ticks_per_frame;

  if (!quiet && !RunExportHTRDialog(host.MainWindow())) {
    host.EndProgress();
    model_.Clear();
    return modra::kTranslatorSucceeded;
  }
  modra::SceneNode* root_bone = FindRootBone(host);
  if (root_bone == nullptr) {
    host.EndProgress();
    return modra::kTranslatorFailed;
  }

  model_.SetDataFrameRate(modra::kTicksPerSecond / ticks_per_frame);
  model_.SetCalibrationUnits(LengthUnit::kMillimetres);
  HTRExportChoices choices;
  choices.savedPose = options.Pose;
  choices.animate = options.Animate;
  choices.parentTransforms = options.ParentTransforms;
  if (options.Animate) {
    choices.first = options.Range ? options.StartFrame : range.Start() / ticks_per_frame;
    choices.last = options.Range ? options.EndFrame : range.End() / ticks_per_frame;
    // The dialog refuses an end before the start; a count below one cannot be written, and one
    // beyond the file's declared count would leave the file short of it.
    const std::int64_t count = static_cast<std::int64_t>(choices.last) - choices.first + 1;
    if (count > std::numeric_limits<std::int32_t>::max()) {
      char text[256];
      std::snprintf(text, sizeof text, htr_export::kTooManyFrames, static_cast<long long>(count),
                    static_cast<long long>(choices.first), static_cast<long long>(choices.last));
      message_reporter.Report(text, htr_export::kErrorCaption);
      host.EndProgress();
      return modra::kTranslatorFailed;
    }
    model_.SetNumFrames(count > 0 ? static_cast<std::int32_t>(count) : 0);
    model_.SetStartFrame(OffsetFrame(choices.first, options.Offset));
  }

  HTRHierarchyWalk walk(host, model_, choices);
  if (!walk.Walk(root_bone)) {
    host.EndProgress();
    return modra::kTranslatorFailed;
  }
  model_.SetRotationUnits(RotationUnit::kDegrees);
  // The base positions are scaled here, the frames as they are sampled and written.
  const double scale = modra::GetMasterScale(modra::kUnitMillimetres) * options.ScaleFactor;
  model_.Scale(scale);
  host.UpdateProgress(90, 1, nullptr);

  HTRStreamWriter writer;
  std::string problem = NoRoomForFrames(model_, file_name_);
  if (problem.empty()) problem = writer.Begin(model_, file_name_, model_.NumFrames());
  if (problem.empty()) {
    // The frames of a long range are held a segment at a time; memory that runs out is a failure
    // of this export (the file is not written), not of the host.
    try {
      walk.WriteFrames(writer, scale);
      problem = writer.Finish();
    } catch (const std::bad_alloc&) {
      char text[256];
      std::snprintf(text, sizeof text, htr_export::kNoMemoryForFrames,
                    static_cast<int>(model_.NumFrames()), static_cast<int>(model_.NumSegments()));
      problem = text;
    }
  }
  if (!problem.empty()) {
    message_reporter.Report(problem.c_str(), htr_export::kErrorCaption);
    host.EndProgress();
    return modra::kTranslatorFailed;
  }
  host.UpdateProgress(100, 1, nullptr);
  host.EndProgress();
  model_.Clear();
  return modra::kTranslatorSucceeded;
}

ExportHTRClassDesc::ExportHTRClassDesc()
    : PluginClassDesc(resource::kExportHTRClassName, modra::kSceneExportClass, kExportHTRClassId) {}

void* ExportHTRClassDesc::Create(int /*loading*/) {
  return NewPluginObject<ExportHTR, modra::SceneExport>();
}

}  // namespace zar
