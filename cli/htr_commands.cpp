// zarfileio htr check | info | convert

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/file_kind.h"
#include "cli/file_report.h"
#include "cli/htr_rewrite.h"
#include "cli/tree_indent.h"
#include "filelib/number_text.h"
#include "filelib/zar_filelib.h"

namespace zar::cli {
namespace {

std::string Fixed(double value, int precision) {
  std::string text;
  AppendFixed(text, value, precision);
  return text;
}

// Reads the HTR file at `path` whole; "" or the problem, which is also that of a file without
// segments or frames.
std::string ReadModel(const std::string& path, HTRFile& model) {
  const exchange::FileOutcome read = exchange::ReadOutcome(model.Read(path, true), model);
  if (!read.Ok()) return ProblemText(read, true);
  return NothingToConvert(model.Contents());
}

// The segments of a model that hold fewer frames than its header declares; "" when none do.
std::string Missing(const HTRFile& model) {
  std::int32_t short_count = 0;
  std::string names;
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    const HTRSegment& segment = *model.Segment(i);
    if (segment.NumStoredFrames() >= model.NumFrames()) continue;
    if (++short_count <= 3) {
      names += (names.empty() ? "" : ", ") + segment.Name() + " " +
               std::to_string(segment.NumStoredFrames());
    }
  }
  if (short_count == 0) return "";
  return std::to_string(short_count) + " of " + std::to_string(model.NumSegments()) +
         " segments hold fewer than the " + std::to_string(model.NumFrames()) +
         " frames declared (" + names + (short_count > 3 ? ", ..." : "") + ")";
}

// The reader's verdict on one file: "ok (...)", "incomplete: ..." or its message; false unless
// ok.
bool CheckOne(const std::string& file, std::string& verdict) {
  const std::string path = WithDefaultExtension(file, ".htr");
  verdict = InputProblem(file, path);
  if (!verdict.empty()) return false;
  HTRFile model;
  if (const std::string problem = ReadModel(path, model); !problem.empty()) {
    verdict = problem + LooksLikeNote(path, MotionFormat::kTrc);
    return false;
  }
  const std::string missing = Missing(model);
  if (!missing.empty()) {
    verdict = "incomplete: " + missing + LooksLikeNote(path, MotionFormat::kTrc);
    return false;
  }
  verdict = "ok (" + HtrSummary(model) + ")";
  return true;
}

int Check(const std::vector<std::string>& files) {
  int status = kExitOk;
  for (const std::string& file : files) {
    std::string verdict;
    if (!CheckOne(file, verdict)) status = kExitFileProblem;
    std::cout << file << ": " << verdict << "\n";
  }
  return status;
}

// Reads `file` (".htr" added by the extension rule) whole, or says why not on stderr.
bool ReadInput(const std::string& file, HTRFile& model) {
  const std::string path = WithDefaultExtension(file, ".htr");
  std::string problem = InputProblem(file, path);
  if (problem.empty()) problem = ReadModel(path, model);
  if (problem.empty()) return true;
  std::cerr << "zarfileio: " << file << ": " << problem << "\n";
  return false;
}

// Prints `segment` and its descendants, indented by depth. Iterative, and each segment once.
void PrintTree(const HTRSegment& top, std::unordered_set<const HTRSegment*>& printed) {
  std::vector<std::pair<const HTRSegment*, int>> pending{{&top, 1}};
  while (!pending.empty()) {
    const auto [segment, depth] = pending.back();
    pending.pop_back();
    if (!printed.insert(segment).second) continue;
    const auto base = segment->BaseTranslation();
    const auto& rotation = segment->BaseRotation();
    std::cout << TreeIndent(depth) << segment->Name() << (segment->IsRoot() ? " (root)" : "")
              << "  base " << Fixed(base.X(), 6) << ' ' << Fixed(base.Y(), 6) << ' '
              << Fixed(base.Z(), 6) << "  rotation(rad) " << Fixed(rotation.X(), 6) << ' '
              << Fixed(rotation.Y(), 6) << ' ' << Fixed(rotation.Z(), 6) << "  length "
              << Fixed(segment->BoneLength(), 6) << "  frames " << segment->NumStoredFrames()
              << "\n";
    for (std::int32_t i = segment->NumChildren() - 1; i >= 0; --i) {
      pending.emplace_back(segment->Child(i), depth + 1);
    }
  }
}

int Info(const std::string& file) {
  HTRFile model;
  if (!ReadInput(file, model)) return kExitFileProblem;
  std::cout << "file: " << file << "\n"
            << "segments: " << model.NumSegments() << "\n"
            << "frames: " << model.NumFrames() << " declared, first frame " << model.StartFrame()
            << "\n"
            << "frame rate: " << model.DataFrameRate() << "\n"
            << "calibration units: " << LengthUnitText(model.CalibrationUnits()) << "\n"
            << "rotation units: " << RotationUnitText(model.RotationUnits()) << "\n"
            << "bone length axis: " << AxisText(model.BoneLengthAxis()) << "\n"
            << "global axis of gravity: " << AxisText(model.GlobalAxisofGravity()) << "\n"
            << "scale factor: " << Fixed(model.ScaleFactor(), 2) << "\n"
            << "hierarchy:\n";
  std::unordered_set<const HTRSegment*> printed;
  // Roots and segments whose parent was not found start a tree each.
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    const HTRSegment* segment = model.Segment(i);
    if (segment->Parent() == nullptr) PrintTree(*segment, printed);
  }
  return kExitOk;
}

struct ConvertOptions {
  std::string input;
  std::string output;
  HtrChanges changes;
};

int Convert(const ConvertOptions& options) {
  const std::string path = WithDefaultExtension(options.input, ".htr");
  if (const std::string problem = InputProblem(options.input, path); !problem.empty()) {
    std::cerr << "zarfileio: " << options.input << ": " << problem << "\n";
    return kExitFileProblem;
  }
  // The writer adds ".htr" by the same rule; what is written is named by that path. A device or
  // folder named as the output is refused rather than extended into a new name beside it.
  const std::string target = WithDefaultExtension(options.output, ".htr");
  for (const std::string& output : {options.output, target}) {
    const std::string problem = OutputProblem(output);
    if (!problem.empty()) {
      std::cerr << "zarfileio: " << output << ": " << problem << "\n";
      return kExitFileProblem;
    }
  }
  return RewriteHtr(path, target, options.changes);
}

}  // namespace

void AddHtrCommands(CLI::App& app) {
  CLI::App* htr = app.add_subcommand("htr", "HTR skeletal animation files");
  htr->require_subcommand(1);

  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* check = htr->add_subcommand(
      "check",
      "Read each file and print one line per file: 'FILE: ok (segments, frames from the first "
      "frame number, frame rate, units)', 'FILE: incomplete: ' and the segments holding fewer "
      "frames than its header declares, or 'FILE: ' and the reader's message or what the file "
      "lacks (it is empty, or has no segments or no frames). A name without a three-letter "
      "extension gets \".htr\". Exit status 1 "
      "when any file is not ok.");
  SetExamples(*check, {"zarfileio htr check walk.htr", "zarfileio htr check takes/*.htr"});
  check->add_option("files", *files, "HTR files")->required();
  check->callback([files] { FinishCommand(Check(*files)); });

  auto file = std::make_shared<std::string>();
  CLI::App* info = htr->add_subcommand(
      "info",
      "Print the header values and the hierarchy: one line per segment, indented under its "
      "parent, with its base position (rotation in radians), bone length and frames held.");
  SetExamples(*info, {"zarfileio htr info walk.htr"});
  info->add_option("file", *file, "HTR file")->required();
  info->callback([file] { FinishCommand(Info(*file)); });

  auto options = std::make_shared<ConvertOptions>();
  CLI::App* convert = htr->add_subcommand(
      "convert",
      "Read IN, optionally convert its length units, scale it or change the unit its angles "
      "are written in, and write it to OUT with the HTR writer. OUT gets \".htr\" unless it "
      "ends in a three-letter extension; an existing file is replaced at once when the writing "
      "is complete (through a symbolic link, the file it points to). Prints 'wrote PATH (...)' "
      "with the path written.");
  SetExamples(*convert, {"zarfileio htr convert walk.htr walk_m --units m",
                         "zarfileio htr convert walk.htr walk_rad.htr --rotation-units radians"});
  convert->add_option("in", options->input, "HTR file to read")->required();
  convert->add_option("out", options->output, "HTR file to write (replaced when it exists)")
      ->required();
  convert
      ->add_option("--units", options->changes.units,
                   "convert lengths to this unit: mm, cm, m, in, ft or yd")
      ->check(CLI::IsMember(LengthUnitNames()));
  convert
      ->add_option("--scale", options->changes.scale,
                   "multiply every length by this factor (after --units; finite, not 0)")
      ->check(FiniteNonZeroNumber());
  convert
      ->add_option("--rotation-units", options->changes.rotation_units,
                   "write angles in degrees or radians (the angles keep their meaning)")
      ->transform(CLI::IsMember({"degrees", "radians"}, CLI::ignore_case));
  convert->callback([options] { FinishCommand(Convert(*options)); });
}

}  // namespace zar::cli
