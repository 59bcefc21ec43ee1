#include "utilities/pnx_conversion.h"

#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "plugin_description/plugin_texts.h"
#include "utilities/batch_log.h"
#include "utilities/pnx_writer.h"
#include "utilities/utility_texts.h"

namespace zar {
namespace {

std::uint32_t NoProgressWork(void*) { return 0; }

// Whether writing `target` would replace `source` itself (the same file under another name).
bool IsSameFile(const std::string& source, const std::string& target) {
  std::error_code error;
  return std::filesystem::equivalent(source, target, error) && !error;
}

// The text of one failed file: the source path, ": " and the reason.
std::string ErrorText(const std::string& source, std::string_view reason) {
  return description::BatchLogProblem(source, reason);
}

class Conversion {
 public:
  explicit Conversion(const PnxJob& job)
      : host_(*job.host), settings_(*job.settings), mapping_(*job.mapping), trc_(*job.trc) {}

  bool Run();

 private:
  bool ChooseSources();
  bool ConvertFile(const std::string& source, bool& failed);
  // The PNX path for `source`; false when the user cancelled the target dialog.
  bool ChooseTarget(const std::string& source, std::string& target);
  void ApplyMapping();
  // Shows a file's failure: a log line in batch mode, a message box otherwise.
  void ShowFailure(const std::string& text);
  bool Stop(bool result);

  modra::HostInterface& host_;
  PnxSettings& settings_;
  MappingList& mapping_;
  TRCFile& trc_;
  std::vector<std::string> sources_;
  BatchLog log_;
};

bool Conversion::Run() {
  // The mapping is needed only to filter; without the filter a missing file stops nothing.
  const bool mapping_loaded = mapping_.Load(settings_.mnm_path);
  if (!mapping_loaded && settings_.filter) {
    ReportUtilityMessage(ErrorText(settings_.mnm_path, "The file could not be opened"),
                         UtilityText(resource::kConvertPNXError));
    return false;
  }
  if (!ChooseSources()) return false;

  host_.BeginProgress("Vantrel ConvertPNX", 1, NoProgressWork, nullptr);
  host_.UpdateProgress(0, 1, nullptr);
  bool any_failed = false;
  const std::size_t n = sources_.size();
  for (std::size_t k = 0; k < n; ++k) {
    host_.PumpHostMessages();
    if (host_.ProgressCancelled() != 0) return Stop(false);
    bool failed = false;
    if (!ConvertFile(sources_[k], failed)) return Stop(false);
    any_failed = any_failed || failed;
    trc_.Clear();
    const float done = static_cast<float>(k) / static_cast<float>(n) * 100.0f;
    host_.UpdateProgress(static_cast<int>(done), 1, nullptr);
  }
  return Stop(!any_failed);
}

bool Conversion::ChooseSources() {
  modra::FileDialogRequest request;
  request.owner = host_.MainWindow();
  request.title = UtilityText(resource::kSelectSourceTRCFiles);
  request.filter.Append(UtilityText(resource::kTRCFilesFilter).c_str());
  request.filter.Append("*.trc");
  request.defaultExtension = "trc";
  request.initialFolder = settings_.input_path;
  request.flags = modra::kFileMustExist | modra::kFilePathMustExist | modra::kFileHideReadOnly |
                  modra::kFileNoPlacesBar;
  if (settings_.batch) request.flags |= modra::kFileAllowMultiSelect | modra::kFileExplorer;
  request.bufferSize = kSourceDialogBuffer;
  modra::FileDialogResult result;
  if (!modra::ShowOpenFileDialog(request, result)) return false;

  if (!settings_.batch) {
    sources_.push_back(result.FirstText());
    return true;
  }
  if (!log_.Create(JoinPath(settings_.output_path, description::kBatchLogName))) {
    ReportUtilityMessage(UtilityText(resource::kCannotOpenBatchLog),
                         UtilityText(resource::kConvertPNXError));
    return false;
  }
  const SourceSelection selection = SplitSourceSelection(result, kMaxSourceFiles);
  settings_.input_path = selection.folder;
  for (const std::string& name : selection.names) {
    sources_.push_back(JoinPath(selection.folder, name));
  }
  log_.Write("Vantrel ZARFileIO TRC to PNX Batch Conversion Log\r\n");
  log_.Write(DateText(std::time(nullptr)) + "\r\n");
  log_.Write("Processing " + std::to_string(sources_.size()) + " files...\r\n");
  return true;
}

bool Conversion::ConvertFile(const std::string& source, bool& failed) {
  std::string error = trc_.Read(source, false);
  // A file with nothing to convert fails like one that cannot be read, rather than giving an
  // empty PNX file that looks like a conversion.
  if (error.empty()) error = NothingToConvert(trc_.Contents());
  if (!error.empty()) {
    // A file that cannot be read gets no PNX file: in a batch the others still follow.
    ShowFailure(ErrorText(source, error));
    failed = true;
    return settings_.batch;
  }
  if (settings_.filter) ApplyMapping();

  std::string target;
  if (!ChooseTarget(source, target)) return false;
  // A name made from the source's could name the source itself (a TRC file called "*.pnx");
  // a target the user chose and confirmed is the user's decision.
  if (settings_.trc_name && IsSameFile(source, target)) {
    ShowFailure(ErrorText(source, "The PNX file would replace the TRC file"));
    failed = true;
    return settings_.batch;
  }
  if (!WritePnxForSettings(trc_, settings_, target)) return false;
  // The frames past the data lines are written as dropouts; the user is told how many are real.
  if (const std::string fewer = FewerFramesThanDeclared(trc_.Contents()); !fewer.empty()) {
    if (settings_.batch) {
      log_.Write(ErrorText(source, fewer) + std::string(description::kBatchLogLineEnd));
    } else {
      ReportUtilityMessage(ErrorText(source, fewer), description::kConvertPNXWarningCaption);
    }
  }
  if (settings_.batch) {
    log_.Write(description::BatchLogDoneLine(source) + std::string(description::kBatchLogLineEnd));
  }
  return true;
}

void Conversion::ApplyMapping() {
  for (std::int32_t i = 0; i < trc_.NumMarkers(); ++i) {
    TRCMarker* marker = trc_.Marker(i);
    std::string name = marker->Name();
    if (mapping_.Lookup(name)) {
      marker->SetName(std::move(name));
      marker->SetSelected(true);
    } else {
      marker->SetSelected(false);
    }
  }
}

bool Conversion::ChooseTarget(const std::string& source, std::string& target) {
  if (settings_.trc_name) {
    if (!settings_.batch) {
      target = PnxPathBesideSource(source);
      return true;
    }
    std::string title;
    modra::SplitFilename(source, nullptr, &title, nullptr);
    target = JoinPath(settings_.output_path, title + ".pnx");
    return true;
  }
  modra::FileDialogRequest request;
  request.owner = host_.MainWindow();
  request.title = UtilityText(resource::kSelectTargetPNXFile);
  request.filter.Append(UtilityText(resource::kPNXFilesFilter).c_str());
  request.filter.Append("*.pnx");
  request.defaultExtension = "pnx";
  request.initialFolder = settings_.output_path;
  request.flags = modra::kFilePathMustExist | modra::kFileOverwritePrompt |
                  modra::kFileHideReadOnly | modra::kFileNoPlacesBar;
  request.bufferSize = 256;
  modra::FileDialogResult result;
  if (!modra::ShowSaveFileDialog(request, result)) return false;
  target = result.FirstText();
  return true;
}

void Conversion::ShowFailure(const std::string& text) {
  if (settings_.batch) {
    log_.Write(text + "\r\n");
  } else {
    ReportUtilityMessage(text, UtilityText(resource::kConvertPNXError));
  }
}

bool Conversion::Stop(bool result) {
  host_.UpdateProgress(100, 1, nullptr);
  host_.EndProgress();
  log_.Close();
  return result;
}

}  // namespace

bool WritePnxForSettings(const TRCFile& trc, const PnxSettings& settings, const std::string& path) {
  std::string title;
  modra::SplitFilename(path, nullptr, &title, nullptr);
  PnxPlacement placement;
  placement.offset = settings.offset;
  placement.trc_space = settings.trc_space;
  placement.offset_x = settings.offset_x;
  placement.offset_y = settings.offset_y;
  placement.offset_z = settings.offset_z;
  return WritePnxFile(trc, path, title, DateText(std::time(nullptr)), placement);
}

bool RunPnxConversion(const PnxJob& job) {
  if (job.host == nullptr || job.settings == nullptr || job.mapping == nullptr ||
      job.trc == nullptr) {
    return false;
  }
  Conversion conversion(job);
  return conversion.Run();
}

}  // namespace zar
