// zarfileio trc check | info

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/file_kind.h"
#include "cli/file_report.h"
#include "filelib/zar_filelib.h"

namespace zar::cli {
namespace {

struct TrcOptions {
  std::vector<std::string> files;
  bool with_unnamed = false;
};

// Frames read: the samples the markers hold (every data line gives each marker one).
std::int32_t FramesRead(const TRCFile& model) {
  std::int32_t frames = 0;
  for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
    frames = std::max(frames, model.Marker(i)->NumSamples());
  }
  return frames;
}

std::int64_t MissingSamples(const TRCMarker& marker) {
  return std::count_if(marker.Samples().begin(), marker.Samples().end(),
                       [](const TRCSample& sample) { return !sample.present; });
}

// "59 markers, 788 frames read (788 declared) from 1, 119.88 frames/s, mm, 0 missing samples"
std::string Summary(const TRCFile& model) {
  std::int64_t missing = 0;
  for (std::int32_t i = 0; i < model.NumMarkers(); ++i) missing += MissingSamples(*model.Marker(i));
  return std::to_string(model.NumMarkers()) + " markers, " + std::to_string(FramesRead(model)) +
         " frames read (" + std::to_string(model.NumFrames()) + " declared) from " +
         std::to_string(model.StartFrame()) + ", " + RateText(model.ExactDataRate()) +
         " frames/s, " + std::string(LengthUnitText(model.Units())) + ", " +
         std::to_string(missing) + " missing samples";
}

// Reads `file` (".TRC" added by the extension rule); "" or the problem, which is also that of a
// file without markers or data lines. A file with fewer data lines than it declares is read,
// with a warning.
std::string ReadInput(const std::string& file, bool with_unnamed, TRCFile& model) {
  const std::string path = WithDefaultExtension(file, ".TRC");
  const std::string problem = InputProblem(file, path);
  if (!problem.empty()) return problem;
  const exchange::FileOutcome read = exchange::ReadOutcome(model.Read(path, with_unnamed), model);
  std::string message = read.Ok() ? NothingToConvert(model.Contents()) : ProblemText(read, true);
  if (message.empty()) {
    const FileContents contents = model.Contents();
    WarnAboutFewerFrames(file, contents.frames, contents.declared);
    return "";
  }
  return message + LooksLikeNote(path, MotionFormat::kHtr);
}

int Check(const TrcOptions& options) {
  int status = kExitOk;
  for (const std::string& file : options.files) {
    TRCFile model;
    std::string verdict = ReadInput(file, options.with_unnamed, model);
    if (verdict.empty()) {
      verdict = "ok (" + Summary(model) + ")";
    } else {
      status = kExitFileProblem;
    }
    std::cout << file << ": " << verdict << "\n";
  }
  return status;
}

int Info(const TrcOptions& options) {
  const std::string& file = options.files.front();
  TRCFile model;
  const std::string problem = ReadInput(file, options.with_unnamed, model);
  if (!problem.empty()) {
    std::cerr << "zarfileio: " << file << ": " << problem << "\n";
    return kExitFileProblem;
  }
  std::cout << "file: " << file << "\n"
            << "data rate: " << RateText(model.ExactDataRate()) << "\n"
            << "camera rate: " << RateText(model.ExactCameraRate()) << "\n"
            << "frames: " << FramesRead(model) << " read, " << model.NumFrames()
            << " declared, first frame " << model.StartFrame() << "\n"
            << "units: " << LengthUnitText(model.Units()) << "\n"
            << "markers: " << model.NumMarkers() << "\n";
  for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
    const TRCMarker& marker = *model.Marker(i);
    std::cout << "  '" << marker.Name() << "'  " << marker.NumSamples() << " samples, "
              << MissingSamples(marker) << " missing\n";
  }
  return kExitOk;
}

}  // namespace

void AddTrcCommands(CLI::App& app) {
  CLI::App* trc = app.add_subcommand("trc", "TRC optical-marker files");
  trc->require_subcommand(1);

  auto check_options = std::make_shared<TrcOptions>();
  CLI::App* check = trc->add_subcommand(
      "check",
      "Read each file and print one line per file: 'FILE: ok (markers, frames read and "
      "declared, first frame, frame rate, units, missing samples)', or 'FILE: ' and what is "
      "wrong: the reader's message, or what the file lacks (it is empty, its header is cut "
      "short, it has no markers or no data lines). A file with fewer data lines than it "
      "declares is ok, with a warning naming both counts. A name without a three-letter "
      "extension gets \".TRC\". Exit status 1 when any file is not ok.");
  SetExamples(*check, {"zarfileio trc check markers.trc", "zarfileio trc check takes/*.trc"});
  check->add_option("files", check_options->files, "TRC files")->required();
  check->add_flag("--with-unnamed", check_options->with_unnamed,
                  "also keep markers whose names begin with \"Unnamed\" (the declared marker "
                  "count must then match)");
  check->callback([check_options] { FinishCommand(Check(*check_options)); });

  auto info_options = std::make_shared<TrcOptions>();
  CLI::App* info = trc->add_subcommand(
      "info",
      "Print the header values and one line per marker: its name in quotes, the samples it "
      "holds and how many of them are missing.");
  SetExamples(*info, {"zarfileio trc info markers.trc --with-unnamed"});
  info->add_option("file", info_options->files, "TRC file")->required()->expected(1);
  info->add_flag("--with-unnamed", info_options->with_unnamed,
                 "also keep markers whose names begin with \"Unnamed\"");
  info->callback([info_options] { FinishCommand(Info(*info_options)); });
}

}  // namespace zar::cli
