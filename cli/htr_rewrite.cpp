#include "cli/htr_rewrite.h"

#include <iostream>

#include "cli/commands.h"
#include "cli/file_report.h"
#include "exchange/htr_skeleton_adapter.h"
#include "filelib/motion_units.h"

namespace zar::cli {

std::string HtrSummary(const HTRFile& model) {
  return std::to_string(model.NumSegments()) + " segments, " + std::to_string(model.NumFrames()) +
         " frames from " + std::to_string(model.StartFrame()) + ", " +
         std::to_string(model.DataFrameRate()) + " frames/s, " +
         std::string(LengthUnitText(model.CalibrationUnits())) + ", " +
         std::string(RotationUnitText(model.RotationUnits()));
}

int RewriteHtr(const std::string& in, const std::string& out, const HtrChanges& changes) {
  HTRFile model;
  const exchange::FileOutcome read = exchange::ReadOutcome(model.Read(in, true), model);
  const std::string problem =
      read.Ok() ? NothingToConvert(model.Contents()) : ProblemText(read, true);
  if (!problem.empty()) {
    std::cerr << "zarfileio: " << in << ": " << problem << "\n";
    return kExitFileProblem;
  }
  const FileContents contents = model.Contents();
  WarnAboutFewerFrames(in, contents.frames, contents.declared);
  if (!changes.units.empty()) model.ConvertUnits(LengthUnitFromText(changes.units));
  if (changes.scale != 1.0) model.Scale(changes.scale);
  if (!changes.rotation_units.empty()) {
    const bool radians = changes.rotation_units == "radians";
    model.SetRotationUnits(radians ? RotationUnit::kRadians : RotationUnit::kDegrees);
  }
  if (const exchange::FileOutcome written = exchange::WriteHTRFile(model, out); !written.Ok()) {
    std::cerr << "zarfileio: " << out << ": " << ProblemText(written) << "\n";
    return kExitFileProblem;
  }
  // Described as its header reads back: frames that no segment holds are not written.
  HTRFile written;
  std::cout << "wrote " << out;
  if (written.Read(out, false).empty()) std::cout << " (" << HtrSummary(written) << ")";
  std::cout << "\n";
  return kExitOk;
}

}  // namespace zar::cli
