#include "import_htr/htr_import.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "import_htr/htr_import_messages.h"
#include "import_htr/htr_keying.h"
#include "import_htr/htr_options_dialog.h"
#include "import_htr/htr_skeleton.h"
#include "plugin_description/resource_ids.h"
#include "plugin_services/key_time_range.h"
#include "plugin_services/message_reporter.h"
#include "plugin_services/resource_text.h"
#include "sdk/modra_host.h"
#include "sdk/modra_plugin.h"

namespace zar {

namespace {

// The progress display's work function: the import does its work itself.
std::uint32_t NoProgressWork(void* /*argument*/) { return 0; }

// Suspends animate and set-key modes (animate switched off) until the end of the scope.
class AnimationModesSuspended {
 public:
  AnimationModesSuspended() {
    modra::SuspendAnimate();
    modra::SuspendSetKeyMode();
    modra::AnimateOff();
  }
  ~AnimationModesSuspended() {
    modra::ResumeSetKeyMode();
    modra::ResumeAnimate();
  }
  AnimationModesSuspended(const AnimationModesSuspended&) = delete;
  AnimationModesSuspended& operator=(const AnimationModesSuspended&) = delete;
};

std::string ProgressTitle() {
  const char* className = LoadResourceText(resource::kImportHTRClassName);
  return std::string(htr_import::kProgressTitlePrefix) + (className != nullptr ? className : "");
}

// True when every time the keying and the animation range use fits the host's tick counter.
bool KeyTimesFit(const HTRImportJob& job, std::int64_t ticks) {
  const HTRImportChoices& c = job.choices;
  const std::int64_t fileStart = job.model->StartFrame();
  const std::int64_t first = std::min<std::int64_t>(c.startFrame, fileStart) + c.offset - 1;
  const std::int64_t last =
      std::max<std::int64_t>(c.startFrame, fileStart) + c.offset + std::max(job.frameCount, 0);
  return FramesFitTimeLine(first, last, ticks);
}

// A frame number or count worked out in 64 bits, brought back into the options' 32 bits.
std::int32_t ClampedFrame(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

HTRImportChoices ChoicesFromOptions(const ImportHTROptions& options) {
  HTRImportChoices c;
  c.apply = options.Apply;
  c.animate = options.Animate;
  c.endEffectors = options.EndEffectors;
  c.keyBasePosition = options.KeyBasePosition;
  c.range = options.Range;
  c.setFrameRate = options.FPS;
  c.startFrame = options.StartFrame;
  c.endFrame = options.EndFrame;
  c.offset = options.Offset;
  c.rotationController = options.RotationController;
  c.size = options.Size;
  c.scaleFactor = options.ScaleFactor;
  return c;
}

int RunHTRImport(HTRImportJob& job, HTRFile& model, ImportHTROptions& options,
                 const std::string& fileName, bool quiet) {
  modra::HostInterface& host = *job.host;
  job.model = &model;
  const AnimationModesSuspended suspended;
  if (host.IsModeActive() != 0) host.EndActiveMode();

  host.BeginProgress(ProgressTitle().c_str(), 1, &NoProgressWork, nullptr);
  host.UpdateProgress(0, 1, nullptr);
  const auto fail = [&host] {
    host.EndProgress();
    return modra::kTranslatorFailed;
  };

  const std::string problem = model.Read(fileName, true);
  if (!problem.empty()) {
    message_reporter.Report(problem.c_str(), htr_import::kErrorCaption);
    return fail();
  }
  if (model.ScaleFactor() != 1.0) {
    message_reporter.Report(htr_import::kScaleFactorIgnored, htr_import::kWarningCaption);
  }
  model.ConvertUnits(LengthUnit::kMillimetres);
  const double millimetresPerUnit = modra::GetMasterScale(modra::kUnitMillimetres);
  if (millimetresPerUnit > 0.0 && 1.0 / millimetresPerUnit != 1.0) {
    model.Scale(1.0 / millimetresPerUnit);
  }
  host.UpdateProgress(10, 1, nullptr);

  const std::int32_t fileEnd =
      ClampedFrame(std::int64_t{model.StartFrame()} + model.NumFrames() - 1);
  options.StartFrame = model.StartFrame();
  options.EndFrame = fileEnd;
  if (!quiet) {
    const std::intptr_t answer = RunImportHTROptionsDialog(host.MainWindow(), options);
    if (answer == 0) {
      host.EndProgress();
      model.Clear();
      return modra::kTranslatorSucceeded;
    }
    if (answer != 1) return fail();
  }
  job.choices = ChoicesFromOptions(options);
  HTRImportChoices& c = job.choices;
  if (c.setFrameRate) modra::SetFrameRate(model.DataFrameRate());

  if (c.range) {
    job.frameCount = ClampedFrame(std::int64_t{c.endFrame} - c.startFrame + 1);
  } else {
    job.frameCount = model.NumFrames();
    // "All" keys the whole file, whatever the disabled From and To boxes held on OK.
    c.startFrame = model.StartFrame();
    c.endFrame = fileEnd;
  }
  if (!c.animate) job.frameCount = 1;
  job.keyedSegments = 0;
  const bool keying = c.keyBasePosition || c.animate;
  const std::int64_t ticks = modra::GetTicksPerFrame();
  if (keying && !KeyTimesFit(job, ticks)) {
    message_reporter.Report(htr_import::kKeysOutOfTime, htr_import::kErrorCaption);
    return fail();
  }

  const HTRSegment* segment = model.FindRootSegment();
  if (segment == nullptr) {
    message_reporter.Report(htr_import::kNoRootSegment, htr_import::kErrorCaption);
    return fail();
  }
  modra::SceneNode* node = nullptr;
  if (c.apply) {
    if (host.SelectedNodeCount() == 0) {
      message_reporter.Report(htr_import::kNothingSelected, htr_import::kApplyErrorCaption);
      return fail();
    }
    if (IsBipedSelected(host)) {
      message_reporter.Report(htr_import::kBipedSelected, htr_import::kApplyErrorCaption);
      return fail();
    }
    node = host.SelectedNode(0);
    if (node == nullptr) return fail();
    if (IsBoneNode(node)) {
      segment = segment->FindInSubtree(node->NodeName());
      if (segment == nullptr) {
        message_reporter.Report(htr_import::kBranchNotInFile, htr_import::kApplyErrorCaption);
        return fail();
      }
    } else {
      const int children = node->ChildCount();
      for (int i = 0; i < children; ++i) {
        if (modra::SceneNode* child = node->Child(i); IsBoneNode(child)) {
          node = child;
          break;
        }
      }
    }
  } else {
    HTRSkeletonBuilder builder(job);
    node = builder.CreateSkeleton(*segment, nullptr);
    if (node == nullptr) return fail();
    host.PumpHostMessages();
    if (host.ProgressCancelled() != 0) return fail();
    modra::SceneNode* dummy = builder.CreateRootDummy(DummyNameForFile(fileName));
    if (dummy == nullptr) return fail();
    dummy->LinkChild(node, 0);
  }

  if (keying) {
    if (!KeyNode(job, node, *segment)) return fail();
    if (c.animate && model.NumFrames() > 1) {
      // From the first chosen frame (the file's first with "All"), so that the range shows
      // the keys of a chosen frame range too.
      const std::int64_t start = c.startFrame;
      const std::int64_t from = (c.keyBasePosition ? start - 1 : start) * ticks;
      const std::int64_t to = (start + job.frameCount + c.offset - 1) * ticks;
      host.SetAnimationRange(
          modra::Interval(static_cast<modra::TickTime>(from), static_cast<modra::TickTime>(to)));
    }
  }

  host.UpdateProgress(100, 1, nullptr);
  host.EndProgress();
  model.Clear();
  return modra::kTranslatorSucceeded;
}

}  // namespace zar
