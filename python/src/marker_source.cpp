#include "marker_source.h"

#include <stdexcept>

#include "errors.h"
#include "exchange/c3d_copy.h"
#include "exchange/c3d_file.h"
#include "exchange/up_axis.h"
#include "exchange/write_steps.h"
#include "filelib/file_contents.h"

namespace zar::python {

exchange::MarkerSet ReadMarkers(const std::string& path, const Choices& choices, Notes& notes) {
  const exchange::MarkerFormat* format = exchange::FindMarkerFormat(path);
  exchange::MarkerReadOptions options;
  options.names_from_descriptions = choices.descriptions;
  options.point_kinds = exchange::PointKindsNamed(choices.points);
  options.lenient = choices.lenient;
  options.markers = choices.markers;
  options.exclude = choices.exclude;
  exchange::MarkerSet set;
  ThrowIfFailed(format->read(path, options, set), path);
  if (set.up_known) NoteSourceUp(choices, path, set.up, notes);
  std::optional<Axis> given;
  if (choices.up) given = AxisFromText(*choices.up);
  set.up = exchange::SourceUp(*format, set, given);
  for (const std::string& warning : set.warnings) notes.push_back(path + ": " + warning);
  NoteFewerFrames(path, set.NumFrames(), set.declared_frames, notes);
  return set;
}

void EditMarkers(exchange::MarkerSet& set, const Choices& choices, const std::string& source) {
  if (const std::string problem = exchange::KeepFrameRange(set, choices.range, source);
      !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  if (choices.units) exchange::ConvertLengths(set, LengthUnitFromText(*choices.units));
}

void WriteMarkers(exchange::MarkerSet& set, const std::string& path, const Choices& choices,
                  Notes& notes) {
  const exchange::MarkerFormat& target = *exchange::FindMarkerFormat(path);
  if (const std::string nothing =
          exchange::NothingToWrite(set.NumMarkers(), "markers", set.NumFrames());
      !nothing.empty()) {
    throw FileProblem{exchange::FileOutcome::NotWritable(nothing), path};
  }
  if (choices.up_out) {
    if (const std::string refused =
            exchange::TurnForFormat(target, AxisFromText(*choices.up_out), set);
        !refused.empty()) {
      throw std::invalid_argument(refused + "; up_out='" + *choices.up_out + "' cannot be done");
    }
  }
  if (choices.units) exchange::ConvertLengths(set, LengthUnitFromText(*choices.units));
  for (std::string& said : exchange::BeforeWriting(target, path, set)) {
    notes.push_back(std::move(said));
  }
  ThrowIfFailed(target.write(set, path), path);
  for (std::string& said : exchange::AfterWriting(target, path, set)) {
    notes.push_back(std::move(said));
  }
}

bool CopyC3DWhole(const std::string& in, const std::string& out, const Choices& choices,
                  Notes& notes) {
  exchange::PointChangesAsked asked;
  asked.names_from_descriptions = choices.descriptions;
  asked.kinds = !choices.points.empty();
  asked.names = !choices.markers.empty() || !choices.exclude.empty();
  asked.units = choices.units.has_value();
  asked.up_out = choices.up_out.has_value();
  if (!exchange::CopiesC3DWhole(asked)) return false;
  exchange::C3DFile file;
  ThrowIfFailed(file.Read(in, exchange::C3DReadOptions{choices.lenient}), in);
  if (std::string nothing = NothingToConvert(file.Contents()); !nothing.empty()) {
    ThrowFormatProblem(std::move(nothing), in);
  }
  for (const std::string& warning : file.warnings) notes.push_back(in + ": " + warning);
  if (file.points.up_known) NoteSourceUp(choices, in, file.points.up, notes);
  std::optional<Axis> given;
  if (choices.up) given = AxisFromText(*choices.up);
  const std::optional<exchange::C3DCopyOptions> cut = exchange::C3DCut(file, choices.range, given);
  if (!cut) {
    throw std::invalid_argument(
        exchange::FramesOutside(in, file.points.first_frame, file.points.NumFrames()));
  }
  exchange::C3DCopyReport report;
  ThrowIfFailed(exchange::CopyC3DFrames(in, file, *cut, out, report), out);
  for (const std::string& warning : report.warnings) notes.push_back(out + ": " + warning);
  return true;
}

}  // namespace zar::python
