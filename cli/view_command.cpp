// zarfileio view IN... [-o OUT.html]: one HTML page that plays the inputs together, each read by
// the exchange library's reader for its extension.

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/file_report.h"
#include "cli/load_scene.h"
#include "cli/marker_read_flags.h"
#include "exchange/c3d_file.h"
#include "exchange/marker_formats.h"
#include "exchange/skeleton_formats.h"
#include "scene/scene_source.h"
#include "viewer/page_motion.h"
#include "viewer/page_writer.h"

namespace zar::cli {

using scene::ContentsText;
using scene::FindSceneContents;
using scene::IsSceneDocument;
using scene::kTopLevelCloud;
using scene::SceneContents;
using scene::SceneMarkers;
using scene::SceneSkeleton;
namespace {

using exchange::MarkerFormat;
using exchange::SkeletonFormat;

struct ViewOptions {
  std::vector<std::string> inputs;
  std::string out;                   // empty: the first input's name with ".html"
  std::vector<std::string> points;   // --points: the kinds of point to show (default markers)
  std::vector<std::string> markers;  // --markers: patterns of the points to show by name
  std::vector<std::string> exclude;  // --exclude: patterns of the points to leave out
  std::string up;        // --up: "y" or "z", the up axis of marker files that do not say
  bool lenient = false;  // --lenient: read past a C3D's damaged parameter section
};

// The readable extensions with what people call them: ".c3d (C3D), .trc (TRC), .htr (HTR)".
std::string Readable() {
  std::string list;
  const auto add = [&list](std::string_view extension, std::string_view title) {
    if (!list.empty()) list += ", ";
    list.append(extension).append(" (").append(title).append(")");
  };
  for (const MarkerFormat& format : exchange::MarkerFormats()) {
    if (format.read != nullptr) add(format.extension, format.title);
  }
  for (const SkeletonFormat& format : exchange::SkeletonFormats()) {
    if (format.read != nullptr) add(format.extension, format.title);
  }
  add(".json", "scene document: every skeleton and marker cloud in it");
  return list;
}

const MarkerFormat* MarkerReader(const std::string& path) {
  const MarkerFormat* format = exchange::FindMarkerFormat(path);
  return format != nullptr && format->read != nullptr ? format : nullptr;
}

const SkeletonFormat* SkeletonReader(const std::string& path) {
  const SkeletonFormat* format = exchange::FindSkeletonFormat(path);
  return format != nullptr && format->read != nullptr ? format : nullptr;
}

bool Viewable(const std::string& path) {
  return MarkerReader(path) != nullptr || SkeletonReader(path) != nullptr || IsSceneDocument(path);
}

// Every skeleton and marker cloud of the scene document at `path`, each shown as an input of its
// own named after the document and its node; a message, empty on success.
std::string ReadScene(const std::string& path, const std::string& file,
                      std::vector<viewer::PageMotion>& motions) {
  modra::host::Scene scene;
  if (std::string problem = LoadScene(path, scene); !problem.empty()) return problem;
  SceneContents contents;
  if (std::string problem = FindSceneContents(scene, "", contents); !problem.empty()) {
    return problem;
  }
  if (contents.skeletons.empty() && contents.clouds.empty()) {
    return "incomplete: holds " + ContentsText(contents) + "; nothing to show";
  }
  for (const std::string& root : contents.skeletons) {
    exchange::Skeleton skeleton;
    if (std::string problem = SceneSkeleton(scene, root, skeleton); !problem.empty()) {
      return problem;
    }
    motions.push_back(viewer::SkeletonMotion(skeleton, file + " " + root));
  }
  for (const std::string& cloud : contents.clouds) {
    // Markers at the top of the scene are its only cloud when no node holds them.
    const std::string node = cloud == kTopLevelCloud ? "" : cloud;
    exchange::MarkerSet set;
    if (std::string problem = SceneMarkers(scene, node, set); !problem.empty()) return problem;
    motions.push_back(viewer::MarkerMotion(set, file + " " + cloud, Axis::kY));
  }
  return "";
}

// Reads the input at `path` (of a viewable kind) and adds what it shows to `motions`: one
// motion for a file, one per skeleton and marker cloud for a scene document.
exchange::FileOutcome ReadInput(const std::string& path, const ViewOptions& options,
                                std::vector<viewer::PageMotion>& motions) {
  const std::string file = std::filesystem::path(path).filename().string();
  if (IsSceneDocument(path)) {
    return exchange::FileOutcome::Unless(exchange::FileFault::kBadFormat,
                                         ReadScene(path, file, motions));
  }
  if (const MarkerFormat* format = MarkerReader(path)) {
    exchange::MarkerSet set;
    exchange::MarkerReadOptions read_options;
    read_options.point_kinds = PointKindsFrom(options.points);
    read_options.lenient = options.lenient;
    read_options.markers = options.markers;
    read_options.exclude = options.exclude;
    exchange::FileOutcome read = format->read(path, read_options, set);
    if (!read.Ok()) return read;
    WarnAbout(path, set.warnings);
    WarnAboutFewerFrames(path, set.NumFrames(), set.declared_frames);
    motions.push_back(
        viewer::MarkerMotion(set, file, exchange::SourceUp(*format, set, UpAxisFlag(options.up))));
    // A C3D's force plates and events are drawn with its points.
    if (format->extension == ".c3d") {
      exchange::C3DFile c3d;
      if (c3d.Read(path, exchange::C3DReadOptions{options.lenient}).Ok()) {
        if (const std::string plates = viewer::AddPlatesAndEvents(path, c3d, motions.back());
            !plates.empty()) {
          std::cerr << "zarfileio: warning: " << path << ": force plates not shown: " << plates
                    << "\n";
        }
      }
    }
    return read;
  }
  exchange::Skeleton skeleton;
  exchange::FileOutcome read = SkeletonReader(path)->read(path, skeleton);
  if (!read.Ok()) return read;
  WarnAboutFewerFrames(path, skeleton.NumFrames(), skeleton.declared_frames);
  motions.push_back(viewer::SkeletonMotion(skeleton, file));
  return read;
}

// What an input read without a message lacks to be shown ("no markers", "no frames"), or "".
std::string Lacking(const viewer::PageMotion& motion) {
  if (motion.names.empty()) {
    return motion.kind == viewer::PageMotion::Kind::kSkeleton ? "no joints" : "no markers";
  }
  return motion.frames == 0 ? "no frames" : "";
}

std::string Summary(const viewer::PageMotion& motion) {
  const bool skeleton = motion.kind == viewer::PageMotion::Kind::kSkeleton;
  return motion.file + ": " + std::to_string(motion.names.size() - motion.ends) +
         (skeleton ? " joints, " : " markers, ") + std::to_string(motion.frames) + " frames";
}

int View(const ViewOptions& options) {
  for (const std::string& in : options.inputs) {
    if (!Viewable(in)) {
      std::cerr << "zarfileio: cannot view " << in << "; view reads " << Readable() << "\n";
      return kExitUsage;
    }
  }
  const std::string out =
      options.out.empty()
          ? std::filesystem::path(options.inputs.front()).replace_extension(".html").string()
          : options.out;
  for (const std::string& in : options.inputs) {
    if (SameFile(in, out)) {
      std::cerr << "zarfileio: " << out << " is an input; the page would replace it\n";
      return kExitUsage;
    }
  }
  if (const std::string problem = OutputProblem(out); !problem.empty()) {
    std::cerr << "zarfileio: " << out << ": " << problem << "\n";
    return kExitFileProblem;
  }

  std::vector<viewer::PageMotion> motions;
  for (const std::string& in : options.inputs) {
    // A folder, a FIFO or a device is refused before any reader opens it (a FIFO would block).
    if (const std::string problem = InputProblem(in); !problem.empty()) {
      std::cerr << "zarfileio: " << in << ": " << problem << "\n";
      return kExitFileProblem;
    }
    const std::size_t first = motions.size();
    if (const exchange::FileOutcome read = ReadInput(in, options, motions); !read.Ok()) {
      std::cerr << "zarfileio: " << in << ": " << ProblemText(read) << "\n";
      return kExitFileProblem;
    }
    for (std::size_t i = first; i < motions.size(); ++i) {
      if (const std::string lacking = Lacking(motions[i]); !lacking.empty()) {
        std::cerr << "zarfileio: " << in << ": incomplete: " << lacking << "; nothing to show\n";
        return kExitFileProblem;
      }
    }
  }

  if (const exchange::FileOutcome written = viewer::WritePage(motions, out); !written.Ok()) {
    std::cerr << "zarfileio: " << out << ": " << ProblemText(written) << "\n";
    return kExitFileProblem;
  }
  std::cout << "wrote " << out << " (";
  for (const viewer::PageMotion& motion : motions) {
    std::cout << (&motion == motions.data() ? "" : "; ") << Summary(motion);
  }
  std::cout << ")\n";
  return kExitOk;
}

}  // namespace

void AddViewCommand(CLI::App& app) {
  auto options = std::make_shared<ViewOptions>();
  CLI::App* view = app.add_subcommand(
      "view",
      "Write one HTML page that plays the inputs together in a web browser, with no network: "
      "markers as points, skeletons as sticks, each input in its own colour. Reads " +
          Readable() + ". Prints 'wrote OUT (what each input holds)'.");
  view->add_option("in", options->inputs, "motion files to show")->required();
  view->add_option("-o,--out", options->out,
                   "page to write (replaced only once complete; default: the first input's name "
                   "with .html)");
  AddPointsOption(*view, options->points);
  AddMarkerNameOptions(*view, options->markers, options->exclude);
  AddLenientFlag(*view, options->lenient);
  view->add_option("--up", options->up,
                   "which axis of a marker file is up, y or z, where the file does not say "
                   "(default y for TRC, z for C3D; a C3D says it in POINT:Y_SCREEN)")
      ->check(CLI::IsMember({"y", "z"}));
  view->callback([options] { FinishCommand(View(*options)); });
}

}  // namespace zar::cli
