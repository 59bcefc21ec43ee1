// zarfileio convert IN OUT: the reader chosen by IN's extension, the writer by OUT's, meeting in
// the marker set or in the skeleton. zarfileio convert IN... --out-dir DIR --format EXT: each IN
// to DIR/<its name>.EXT, on several cores.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/c3d_tables_command.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/file_report.h"
#include "cli/htr_rewrite.h"
#include "cli/interrupt.h"
#include "cli/load_scene.h"
#include "cli/marker_read_flags.h"
#include "cli/parallel_jobs.h"
#include "cli/progress_bar.h"
#include "exchange/bvh_writer.h"
#include "exchange/c3d_analog.h"
#include "exchange/c3d_copy.h"
#include "exchange/c3d_file.h"
#include "exchange/marker_formats.h"
#include "exchange/motion_edits.h"
#include "exchange/skeleton_formats.h"
#include "exchange/up_axis.h"
#include "exchange/work_progress.h"
#include "exchange/write_steps.h"
#include "filelib/file_contents.h"
#include "filelib/htr_file.h"
#include "scene/scene_nodes.h"
#include "scene/scene_source.h"

namespace zar::cli {

using scene::ContentsText;
using scene::FindNode;
using scene::FindSceneContents;
using scene::IsSceneDocument;
using scene::SceneContents;
using scene::SceneMarkers;
using scene::SceneSkeleton;
namespace {

using exchange::MarkerFormat;
using exchange::SkeletonFormat;

struct ConvertOptions {
  std::string in;
  std::string out;
  std::string names = "labels";
  std::optional<std::int64_t> from;
  std::optional<std::int64_t> to;
  std::string units;  // empty: the source's
  std::string node;   // a scene document's node whose subtree is converted; empty: the whole scene
  std::string up;     // "y" or "z"; empty: as the source says, else Y
  std::vector<std::string> points;   // --points: the kinds of point to keep (default markers)
  std::vector<std::string> markers;  // --markers: patterns of the points to keep by name
  std::vector<std::string> exclude;  // --exclude: patterns of the points to leave out
  C3DTableOptions table;             // --analog, --forces, --events: a C3D's table instead
  bool keep_time = false;  // --keep-time: a cut keeps the source's frame numbers and clock
  std::string up_out;      // --up-out: "y" or "z", the up axis to write in; empty: the source's
  bool lenient = false;    // --lenient: read past a C3D's damaged parameter section
};

// Turns `model` to the up axis --up-out asks for; false (after saying why) when the target's
// writer writes in the other one only.
template <typename Model, typename Format>
bool TurnAsAsked(const ConvertOptions& options, const Format& target, Model& model) {
  if (options.up_out.empty()) return true;
  if (const std::string refused =
          exchange::TurnForFormat(target, AxisFromText(options.up_out), model);
      !refused.empty()) {
    std::cerr << "zarfileio: " << refused << "; --up-out " << options.up_out << " cannot be done\n";
    return false;
  }
  return true;
}

// Where the source says which axis is up (HTR's GlobalAxisofGravity, a C3D's POINT:Y_SCREEN),
// an --up that differs is not used, and the user is told.
void NoteSourceUp(const ConvertOptions& options, Axis up) {
  if (options.up.empty() || AxisFromText(options.up) == up) return;
  std::cerr << "zarfileio: note: " << options.in << " gives " << AxisText(up)
            << " as its up axis; --up " << options.up << " is not used\n";
}

// Where the file does not say which axis is up, --up tells, else the format's default.
void SetMarkerUp(const ConvertOptions& options, const MarkerFormat& format,
                 exchange::MarkerSet& set) {
  if (set.up_known) NoteSourceUp(options, set.up);
  set.up = exchange::SourceUp(format, set, UpAxisFlag(options.up));
}

// Every source extension with the targets it converts to: ".c3d -> .c3d .trc .csv; ...".
template <typename Format>
void AppendPairs(std::span<const Format> formats, std::string& pairs) {
  for (const Format& source : formats) {
    if (source.read == nullptr) continue;
    if (!pairs.empty()) pairs += "; ";
    pairs.append(source.extension).append(" ->");
    for (const Format& target : formats) {
      if (target.write != nullptr) pairs.append(" ").append(target.extension);
    }
  }
}

// The targets a scene document's skeletons or marker clouds convert to: " .htr .bvh .csv".
template <typename Format>
std::string Targets(std::span<const Format> formats) {
  std::string targets;
  for (const Format& target : formats) {
    if (target.write != nullptr) targets.append(" ").append(target.extension);
  }
  return targets;
}

std::string ScenePairs() {
  return ".json (scene document) -> a skeleton:" + Targets(exchange::SkeletonFormats()) +
         ", a marker cloud:" + Targets(exchange::MarkerFormats());
}

std::string Pairs() {
  std::string pairs;
  AppendPairs(exchange::MarkerFormats(), pairs);
  AppendPairs(exchange::SkeletonFormats(), pairs);
  return pairs + "; " + ScenePairs();
}

// The frames [from, to] asked for, as an index and a count within `first`..`first + frames - 1`;
// none (with a message) when none of them are there.
std::optional<std::pair<std::int64_t, std::int64_t>> FrameRange(const ConvertOptions& options,
                                                                std::int64_t first,
                                                                std::int64_t frames) {
  const auto range = exchange::FrameIndices({options.from, options.to}, first, frames);
  if (!range) {
    std::cerr << "zarfileio: " << exchange::FramesOutside(options.in, first, frames) << "\n";
  }
  return range;
}

// Keeps the frames --from and --to ask for of a skeleton or a marker set; false (after saying
// why) when none of them are there. The cut starts a clip of its own: its frames are numbered
// from 1 and its clock starts at 0 s, unless --keep-time keeps the source's.
template <typename Model>
bool KeepRange(const ConvertOptions& options, Model& model) {
  if (!options.from && !options.to) return true;
  const auto range = FrameRange(options, model.first_frame, model.NumFrames());
  if (!range) return false;
  model.KeepFrames(range->first, range->second);
  if (!options.keep_time) model.first_frame = 1;
  return true;
}

// The length unit `target` writes in: its format's own where it has one (glTF: metres; an
// --units that asks otherwise is named as not used), else --units or the source's.
template <typename Format>
std::string_view WrittenUnits(const ConvertOptions& options, const Format& target,
                              LengthUnit units) {
  if (!target.written_units) return LengthUnitText(units);
  const std::string_view unit = LengthUnitText(*target.written_units);
  if (!options.units.empty() && options.units != unit) {
    std::cerr << "zarfileio: note: " << target.title << " is written in " << unit << "; --units "
              << options.units << " is not used\n";
  }
  return unit;
}

// The frame range, units and writer asked for, applied to a skeleton read from IN.
int WriteSkeleton(const ConvertOptions& options, exchange::Skeleton& skeleton,
                  const SkeletonFormat& target) {
  if (const std::string nothing =
          exchange::NothingToWrite(skeleton.NumJoints(), "joints", skeleton.NumFrames());
      !nothing.empty()) {
    std::cerr << "zarfileio: " << options.in << ": " << nothing << "\n";
    return kExitFileProblem;
  }
  if (!KeepRange(options, skeleton) || !TurnAsAsked(options, target, skeleton)) return kExitUsage;
  if (!options.units.empty()) exchange::ConvertLengths(skeleton, LengthUnitFromText(options.units));
  for (const std::string& said : exchange::BeforeWriting(target, skeleton)) {
    std::cerr << "zarfileio: warning: " << said << "\n";
  }
  const std::string_view written_units = WrittenUnits(options, target, skeleton.units);
  if (const exchange::FileOutcome written = target.write(skeleton, options.out); !written.Ok()) {
    std::cerr << "zarfileio: " << options.out << ": " << ProblemText(written) << "\n";
    return kExitFileProblem;
  }
  std::cout << "wrote " << options.out << " (" << skeleton.NumJoints() << " joints, "
            << skeleton.NumFrames() << " frames from " << skeleton.first_frame << ", "
            << RateText(skeleton.rate) << " frames/s, " << written_units << ")\n";
  return kExitOk;
}

int ConvertSkeleton(const ConvertOptions& options, const SkeletonFormat& source,
                    const SkeletonFormat& target) {
  if (source.extension == ".htr" && target.extension == ".htr" && !options.from && !options.to) {
    // Without a frame range the HTR model keeps all a file holds, as htr convert does.
    HtrChanges changes;
    changes.units = options.units;
    return RewriteHtr(options.in, options.out, changes);
  }
  exchange::Skeleton skeleton;
  if (const exchange::FileOutcome read = source.read(options.in, skeleton); !read.Ok()) {
    std::cerr << "zarfileio: " << options.in << ": " << ProblemText(read) << "\n";
    return kExitFileProblem;
  }
  NoteSourceUp(options, skeleton.up);
  WarnAboutFewerFrames(options.in, skeleton.NumFrames(), skeleton.declared_frames);
  return WriteSkeleton(options, skeleton, target);
}

// "61 markers", or with model outputs among them "22 points (12 angles, 10 forces)".
std::string PointsText(const exchange::MarkerSet& set) {
  if (set.CountOf(exchange::PointKind::kMarker) == set.NumMarkers()) {
    return std::to_string(set.NumMarkers()) + " markers";
  }
  return std::to_string(set.NumMarkers()) + " points (" + set.KindCounts() + ")";
}

// The frame range, units and writer asked for, applied to a marker set read from IN.
int WriteMarkers(const ConvertOptions& options, exchange::MarkerSet& set,
                 const MarkerFormat& target) {
  if (const std::string nothing =
          exchange::NothingToWrite(set.NumMarkers(), "markers", set.NumFrames());
      !nothing.empty()) {
    std::cerr << "zarfileio: " << options.in << ": " << nothing << "\n";
    return kExitFileProblem;
  }
  if (!KeepRange(options, set) || !TurnAsAsked(options, target, set)) return kExitUsage;
  if (!options.units.empty()) exchange::ConvertLengths(set, LengthUnitFromText(options.units));
  const std::string_view written_units = WrittenUnits(options, target, set.units);
  for (const std::string& said : exchange::BeforeWriting(target, options.out, set)) {
    std::cerr << "zarfileio: warning: " << said << "\n";
  }
  if (const exchange::FileOutcome written = target.write(set, options.out); !written.Ok()) {
    std::cerr << "zarfileio: " << options.out << ": " << ProblemText(written) << "\n";
    return kExitFileProblem;
  }
  for (const std::string& said : exchange::AfterWriting(target, options.out, set)) {
    std::cerr << "zarfileio: warning: " << said << "\n";
  }
  std::cout << "wrote " << options.out << " (" << PointsText(set) << ", " << set.NumFrames()
            << " frames from " << set.first_frame << ", " << RateText(set.rate) << " frames/s";
  // The length unit is that of the markers; model outputs keep the units the source gave them.
  if (set.CountOf(exchange::PointKind::kMarker) > 0) std::cout << ", " << written_units;
  std::cout << ")\n";
  return kExitOk;
}

// The options that change the points themselves (C3D to C3D without them copies the whole
// file), as exchange asks them, and their flags into `flags`.
exchange::PointChangesAsked PointChanges(const ConvertOptions& options,
                                         std::vector<std::string>& flags) {
  const auto given = [&flags](bool asked, const char* flag) {
    if (asked) flags.emplace_back(flag);
    return asked;
  };
  exchange::PointChangesAsked asked;
  asked.names_from_descriptions = given(options.names == "descriptions", "--names descriptions");
  asked.units = given(!options.units.empty(), "--units");
  asked.up_out = given(!options.up_out.empty(), "--up-out");
  asked.kinds = given(!options.points.empty(), "--points");
  const bool markers = given(!options.markers.empty(), "--markers");
  const bool exclude = given(!options.exclude.empty(), "--exclude");
  asked.names = markers || exclude;
  return asked;
}

// C3D to C3D: every group and parameter, the points of every kind with their residuals, the
// analog samples and the events, cut to --from/--to with the parameters that count frames.
int CopyC3D(const ConvertOptions& options) {
  exchange::C3DFile file;
  const exchange::FileOutcome read =
      file.Read(options.in, exchange::C3DReadOptions{options.lenient});
  const std::string problem = read.Ok() ? NothingToConvert(file.Contents()) : ProblemText(read);
  if (!problem.empty()) {
    std::cerr << "zarfileio: " << options.in << ": " << problem << "\n";
    return kExitFileProblem;
  }
  WarnAbout(options.in, file.warnings);
  const exchange::MarkerSet& points = file.points;
  if (points.up_known) NoteSourceUp(options, points.up);
  const exchange::FrameRange range{options.from, options.to, options.keep_time};
  const std::optional<exchange::C3DCopyOptions> cut =
      exchange::C3DCut(file, range, UpAxisFlag(options.up));
  if (!cut) {
    std::cerr << "zarfileio: "
              << exchange::FramesOutside(options.in, points.first_frame, points.NumFrames())
              << "\n";
    return kExitUsage;
  }
  exchange::C3DCopyReport report;
  if (const exchange::FileOutcome written =
          exchange::CopyC3DFrames(options.in, file, *cut, options.out, report);
      !written.Ok()) {
    std::cerr << "zarfileio: " << options.out << ": " << ProblemText(written) << "\n";
    return kExitFileProblem;
  }
  WarnAbout(options.out, report.warnings);
  std::cout << "wrote " << options.out << " (" << PointsText(points) << ", " << cut->count
            << " frames from " << report.first_frame << ", " << RateText(points.rate)
            << " frames/s, " << LengthUnitText(points.units);
  exchange::C3DAnalog analog;
  if (exchange::C3DAnalogChannels(file, analog).empty() && analog.NumChannels() > 0) {
    std::cout << ", " << analog.NumChannels() << " analog channels at " << RateText(analog.rate)
              << " samples/s";
  }
  std::cout << ", " << report.events << " events, every group kept)\n";
  return kExitOk;
}

// A scene document's skeleton or marker cloud (the one below --node, or the scene's only one),
// whichever OUT's format takes; where that is not one thing, status 2 and what the scene holds.
int ConvertScene(const ConvertOptions& options) {
  const SkeletonFormat* skeleton_target = exchange::FindSkeletonFormat(options.out);
  const MarkerFormat* marker_target = exchange::FindMarkerFormat(options.out);
  if (skeleton_target != nullptr && skeleton_target->write == nullptr) skeleton_target = nullptr;
  if (marker_target != nullptr && marker_target->write == nullptr) marker_target = nullptr;
  if (skeleton_target == nullptr && marker_target == nullptr) {
    std::cerr << "zarfileio: cannot convert " << options.in << " to " << options.out
              << "; convert can do: " << Pairs() << "\n";
    return kExitUsage;
  }
  modra::host::Scene scene;
  if (const std::string problem = LoadScene(options.in, scene); !problem.empty()) {
    std::cerr << "zarfileio: " << problem << "\n";
    return kExitFileProblem;
  }
  SceneContents contents;
  if (const std::string problem = FindSceneContents(scene, options.node, contents);
      !problem.empty()) {
    std::cerr << "zarfileio: " << options.in << ": " << problem << "\n";
    return kExitUsage;
  }
  if (!options.node.empty()) {
    // Several nodes of the name: say which one is converted and how to name another.
    std::string note;
    if (FindNode(scene, options.node, "converting", note) != nullptr && !note.empty()) {
      std::cerr << "zarfileio: " << note << "\n";
    }
  }
  const bool skeleton = skeleton_target != nullptr && !contents.skeletons.empty();
  const bool markers = marker_target != nullptr && !contents.clouds.empty();
  const std::size_t found = skeleton ? contents.skeletons.size() : contents.clouds.size();
  if (skeleton == markers || found != 1) {
    const std::string where = options.node.empty() ? "" : " below " + options.node;
    std::cerr << "zarfileio: " << options.in << where << " holds " << ContentsText(contents) << "; "
              << options.out << " takes "
              << (skeleton_target != nullptr && marker_target != nullptr
                      ? "one skeleton or one marker cloud"
                      : (skeleton_target != nullptr ? "one skeleton" : "one marker cloud"))
              << (skeleton == markers && !skeleton ? "" : "; name one with --node")
              << " (convert can do: " << ScenePairs() << ")\n";
    return kExitUsage;
  }
  if (skeleton) {
    exchange::Skeleton model;
    if (const std::string problem = SceneSkeleton(scene, options.node, model); !problem.empty()) {
      std::cerr << "zarfileio: " << options.in << ": " << problem << "\n";
      return kExitFileProblem;
    }
    return WriteSkeleton(options, model, *skeleton_target);
  }
  exchange::MarkerSet set;
  if (const std::string problem = SceneMarkers(scene, options.node, set); !problem.empty()) {
    std::cerr << "zarfileio: " << options.in << ": " << problem << "\n";
    return kExitFileProblem;
  }
  return WriteMarkers(options, set, *marker_target);
}

int Convert(const ConvertOptions& options) {
  // A folder, a FIFO or a device is refused before any reader opens it (a FIFO would block).
  if (const std::string problem = InputProblem(options.in); !problem.empty()) {
    std::cerr << "zarfileio: " << options.in << ": " << problem << "\n";
    return kExitFileProblem;
  }
  if (options.from && options.to && *options.from > *options.to) {
    std::cerr << "zarfileio: --from " << *options.from << " is after --to " << *options.to << "\n";
    return kExitUsage;
  }
  if (options.table.Asked()) {
    return ConvertC3DTable(options.table, options.lenient, options.in, options.out);
  }
  if (IsSceneDocument(options.in)) return ConvertScene(options);
  const MarkerFormat* source = exchange::FindMarkerFormat(options.in);
  const MarkerFormat* target = exchange::FindMarkerFormat(options.out);
  if (source == nullptr || source->read == nullptr || target == nullptr ||
      target->write == nullptr) {
    const SkeletonFormat* skeleton_source = exchange::FindSkeletonFormat(options.in);
    const SkeletonFormat* skeleton_target = exchange::FindSkeletonFormat(options.out);
    if (skeleton_source != nullptr && skeleton_source->read != nullptr &&
        skeleton_target != nullptr && skeleton_target->write != nullptr) {
      return ConvertSkeleton(options, *skeleton_source, *skeleton_target);
    }
    std::cerr << "zarfileio: cannot convert " << options.in << " to " << options.out
              << "; convert can do: " << Pairs() << "\n";
    return kExitUsage;
  }
  if (source->extension == ".c3d" && target->extension == ".c3d") {
    std::vector<std::string> changes;
    if (exchange::CopiesC3DWhole(PointChanges(options, changes))) return CopyC3D(options);
    std::cerr << "zarfileio: warning: with";
    for (const std::string& flag : changes) std::cerr << " " << flag;
    std::cerr << ", " << options.out << " holds the points only: the analog samples, events and "
              << "other groups of " << options.in << " are not carried (without "
              << (changes.size() == 1 ? "it" : "them") << ", C3D to C3D keeps the whole file)\n";
  }
  exchange::MarkerReadOptions read_options;
  read_options.names_from_descriptions = options.names == "descriptions";
  read_options.point_kinds = PointKindsFrom(options.points);
  read_options.lenient = options.lenient;
  read_options.markers = options.markers;
  read_options.exclude = options.exclude;
  exchange::MarkerSet set;
  if (const exchange::FileOutcome read = source->read(options.in, read_options, set); !read.Ok()) {
    std::cerr << "zarfileio: " << options.in << ": " << ProblemText(read) << "\n";
    return kExitFileProblem;
  }
  SetMarkerUp(options, *source, set);
  WarnAbout(options.in, set.warnings);
  WarnAboutFewerFrames(options.in, set.NumFrames(), set.declared_frames);
  return WriteMarkers(options, set, *target);
}

// The files of the command line: IN OUT, or with --out-dir the inputs of a batch.
struct ConvertBatch {
  std::vector<std::string> files;
  std::string outDir;
  std::string format;
  int jobs = DefaultJobCount();
};

// Where `in` goes in a batch: DIR/<its name without its extension>.EXT.
std::string BatchOutput(const ConvertBatch& batch, const std::string& in) {
  const std::string extension = batch.format.starts_with('.') ? batch.format : "." + batch.format;
  return (std::filesystem::path(batch.outDir) / std::filesystem::path(in).stem()).string() +
         extension;
}

// A batch: each input converted as `convert IN OUT` converts it, one "wrote" line per file in
// input order whatever the number of jobs (the jobs are child processes whose output is printed
// in order), then "N converted, M failed:" and the failed inputs. Ctrl-C stops it between files.
int ConvertFiles(const ConvertOptions& common, const ConvertBatch& batch) {
  const InterruptWatch interrupts;
  std::vector<ConvertOptions> jobs;
  std::map<std::string, std::string> writers;  // output -> its input
  for (const std::string& in : batch.files) {
    ConvertOptions job = common;
    job.in = in;
    job.out = BatchOutput(batch, in);
    const std::string key = std::filesystem::absolute(job.out).lexically_normal().string();
    if (const auto [it, added] = writers.emplace(key, in); !added) {
      std::cerr << "zarfileio: " << it->second << " and " << in << " would both be converted to "
                << job.out << "\n";
      return kExitUsage;
    }
    jobs.push_back(std::move(job));
  }
  std::error_code error;
  std::filesystem::create_directories(batch.outDir, error);
  if (!std::filesystem::is_directory(batch.outDir, error)) {
    std::cerr << "zarfileio: " << batch.outDir << ": the output folder cannot be made\n";
    return kExitFileProblem;
  }
  constexpr int kNotDone = -1;
  std::vector<int> statuses(jobs.size(), kNotDone);
  ProgressBar bar;
  std::size_t done = 0;
  const auto progress = [&] { bar.Show("convert", static_cast<int>(done * 100 / jobs.size())); };
  if (batch.jobs <= 1 || jobs.size() < 2) {
    for (; done < jobs.size() && !Interrupted(); ++done) {
      bar.Clear();
      statuses[done] = Convert(jobs[done]);
      progress();
    }
  } else {
    RunInChildren(
        jobs.size(), batch.jobs, ItemsPerChild(jobs.size(), batch.jobs, 64),
        [&](std::size_t i) { return Convert(jobs[i]); },
        [&](const RunOutput& run) {
          bar.Clear();
          std::cout << run.out << std::flush;
          std::cerr << run.err << std::flush;
          for (std::size_t k = 0; k < run.statuses.size(); ++k) {
            statuses[run.first + k] = run.statuses[k];
          }
          done += run.statuses.size();
          progress();
          return true;
        });
  }
  bar.End();
  std::vector<std::string> failed;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (statuses[i] != kExitOk) failed.push_back(jobs[i].in);
  }
  std::cerr << jobs.size() - failed.size() << " converted, " << failed.size() << " failed"
            << (failed.empty() ? "\n" : ":\n");
  for (const std::string& in : failed) std::cerr << "  " << in << "\n";
  return failed.empty() ? kExitOk : kExitFileProblem;
}

// True, after saying so, when an output would be written over an input (however either is
// spelled): a C3D file would lose what only its own format holds, such as analog data.
bool OutputIsAnInput(const ConvertBatch& batch) {
  const bool single = batch.outDir.empty();
  if (single && batch.files.size() != 2) return false;
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::string> inputs;
  for (std::size_t i = 0; i < (single ? 1 : batch.files.size()); ++i) {
    if (const auto identity = FileIdentity(batch.files[i]))
      inputs.emplace(*identity, batch.files[i]);
  }
  for (std::size_t i = 0; i < (single ? 1 : batch.files.size()); ++i) {
    const std::string out = single ? batch.files[1] : BatchOutput(batch, batch.files[i]);
    const auto identity = FileIdentity(out);
    const auto input = identity ? inputs.find(*identity) : inputs.end();
    if (input != inputs.end()) {
      std::cerr << "zarfileio: " << out << " is the input " << input->second
                << "; it would be replaced\n";
      return true;
    }
  }
  return false;
}

// True, after saying so, when the command line holds a flag that this run does not use: --jobs
// without --out-dir, --names without a C3D input, --node without a scene document.
bool UnusedFlagGiven(const CLI::App& command, const ConvertOptions& options,
                     const ConvertBatch& batch) {
  if (C3DTableFlagsUnused(command, options.table)) return true;
  if (!options.from && !options.to &&
      RefuseUnusedFlags(command, {"--keep-time"}, "without --from or --to")) {
    return true;
  }
  if (batch.outDir.empty() && RefuseUnusedFlags(command, {"--jobs"}, "without --out-dir")) {
    return true;
  }
  const auto inputs_end =
      batch.outDir.empty() && !batch.files.empty() ? batch.files.begin() + 1 : batch.files.end();
  const auto any_input = [&](const auto& is) {
    return std::any_of(batch.files.begin(), inputs_end, is);
  };
  const auto is_c3d = [](const std::string& in) {
    const MarkerFormat* format = exchange::FindMarkerFormat(in);
    return format != nullptr && format->extension == ".c3d";
  };
  if (!any_input(is_c3d) &&
      RefuseUnusedFlags(command, {"--names", "--lenient"}, "without a C3D input")) {
    return true;
  }
  const auto is_marker_file = [](const std::string& in) {
    const MarkerFormat* format = exchange::FindMarkerFormat(in);
    return format != nullptr && format->read != nullptr;
  };
  if (!any_input(is_marker_file) &&
      RefuseUnusedFlags(command, {"--points", "--markers", "--exclude"},
                        "without a marker file (C3D, TRC) as input")) {
    return true;
  }
  return !any_input([](const std::string& in) { return IsSceneDocument(in); }) &&
         RefuseUnusedFlags(command, {"--node"}, "without a scene document as input");
}

int RunConvert(const CLI::App& command, ConvertOptions& options, const ConvertBatch& batch) {
  if (UnusedFlagGiven(command, options, batch) || OutputIsAnInput(batch)) return kExitUsage;
  if (!batch.outDir.empty()) return ConvertFiles(options, batch);
  if (batch.files.size() != 2) {
    std::cerr << "zarfileio: convert takes IN OUT, or IN... --out-dir DIR --format EXT\n";
    return kExitUsage;
  }
  options.in = batch.files[0];
  options.out = batch.files[1];
  // A long read or write shows its bar; each ends its line when done, before any message or the
  // 'wrote' line comes.
  ProgressBar bar;
  const exchange::ProgressListener before =
      exchange::ListenToProgress([&bar](std::string_view work, int percent) {
        bar.Show(work, percent);
        if (percent == 100) bar.End();
      });
  const int status = Convert(options);
  exchange::ListenToProgress(before);
  bar.End();
  return status;
}

void AddConvertBatchOptions(CLI::App& convert, ConvertBatch& batch) {
  convert.description(convert.get_description() +
                      " With --out-dir, each IN is converted to DIR/<its name>.EXT, one 'wrote' "
                      "line per file in input order, then 'N converted, M failed:' and the "
                      "failed files. An output that would be an input is refused.");
  CLI::Option* out_dir =
      convert
          .add_option("--out-dir", batch.outDir, "folder of a batch's outputs (made when missing)")
          ->type_name("DIR");
  convert.add_option("--format", batch.format, "extension of a batch's outputs, e.g. csv")
      ->type_name("EXT")
      ->needs(out_dir);
  out_dir->needs("--format");
  convert
      .add_option("--jobs", batch.jobs,
                  "processes a batch runs in, 1 to 256 (default: the number of cores); what is "
                  "written and printed is that of --jobs 1. Only with --out-dir")
      ->check(JobCountCheck());
}

}  // namespace

void AddConvertCommand(CLI::App& app) {
  auto options = std::make_shared<ConvertOptions>();
  CLI::App* convert = app.add_subcommand(
      "convert",
      std::string("Read IN and write OUT, each in the format its extension names. Pairs: ")
          .append(Pairs())
          .append(". A skeleton's CSV holds its joints' world positions. A scene document's "
                  "skeleton or marker "
                  "cloud is written Y up (its Z-up world turned back), at the scene's frame rate, "
                  "over the frames its keys span; a marker without a key at a frame is missing "
                  "there. C3D to C3D keeps the whole file (every group, the analog samples, the "
                  "events) cut to --from/--to, unless an option changes the points. Prints "
                  "'wrote OUT (markers "
                  "or joints, frames and the first frame number, frame rate, units)'."));
  auto batch = std::make_shared<ConvertBatch>();
  convert
      ->add_option("files", batch->files,
                   "IN OUT: the file to read and the file to write (replaced only once "
                   "complete); with --out-dir, the files to read")
      ->required();
  convert
      ->add_option("--names", options->names,
                   "which C3D text names a marker: its label, or its description where it has "
                   "one (default labels); only with a C3D input")
      ->check(CLI::IsMember({"labels", "descriptions"}));
  convert->add_option("--from", options->from, "first frame number to write (default: the first)");
  convert->add_option("--to", options->to, "last frame number to write (default: the last)");
  convert
      ->add_option("--up-out", options->up_out,
                   "the up axis to write in, y or z (default: the source's); the capture is turned "
                   "a quarter turn about X. BVH, glTF and HTR are written Y up whatever the source")
      ->check(CLI::IsMember({"y", "z"}));
  AddLenientFlag(*convert, options->lenient);
  convert->add_flag("--keep-time", options->keep_time,
                    "after --from/--to, keep the source's frame numbers and clock (default: the "
                    "frames kept are numbered from 1 and start at 0 s)");
  convert
      ->add_option("--units", options->units,
                   "length unit to write: mm, cm, m, in, ft or yd (default: the source's)")
      ->check(CLI::IsMember(LengthUnitNames()));
  convert->add_option("--node", options->node,
                      "from a scene document, the node whose skeleton or marker cloud to convert: "
                      "a name or a path of names such as TRCCloud001/Head (default: the scene's "
                      "only skeleton or marker cloud)");
  convert
      ->add_option(
          "--up", options->up,
          "which axis of the source is up, y or z, where the source does not say (default y "
          "for TRC, z for C3D; HTR says it in GlobalAxisofGravity, C3D in POINT:Y_SCREEN); glTF "
          "is written Y up, as is BVH; TRC, CSV and C3D keep the source's axes")
      ->check(CLI::IsMember({"y", "z"}));
  AddPointsOption(*convert, options->points);
  AddMarkerNameOptions(*convert, options->markers, options->exclude);
  AddC3DTableOptions(*convert, options->table);
  AddConvertBatchOptions(*convert, *batch);
  convert->callback(
      [options, batch, convert] { FinishCommand(RunConvert(*convert, *options, *batch)); });
}

}  // namespace zar::cli
