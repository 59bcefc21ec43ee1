#include "skeleton_source.h"

#include <stdexcept>

#include "errors.h"
#include "exchange/htr_skeleton_adapter.h"
#include "exchange/skeleton_formats.h"
#include "exchange/write_steps.h"
#include "filelib/file_contents.h"
#include "filelib/htr_file.h"

namespace zar::python {

exchange::Skeleton ReadSkeleton(const std::string& path, const Choices& choices, Notes& notes) {
  const exchange::SkeletonFormat* format = exchange::FindSkeletonFormat(path);
  exchange::Skeleton skeleton;
  ThrowIfFailed(format->read(path, skeleton), path);
  NoteSourceUp(choices, path, skeleton.up, notes);
  NoteFewerFrames(path, skeleton.NumFrames(), skeleton.declared_frames, notes);
  return skeleton;
}

void EditSkeleton(exchange::Skeleton& skeleton, const Choices& choices, const std::string& source) {
  if (const std::string problem = exchange::KeepFrameRange(skeleton, choices.range, source);
      !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  if (choices.units) exchange::ConvertLengths(skeleton, LengthUnitFromText(*choices.units));
}

void WriteSkeleton(exchange::Skeleton& skeleton, const std::string& path, const Choices& choices,
                   Notes& notes) {
  const exchange::SkeletonFormat& target = *exchange::FindSkeletonFormat(path);
  if (const std::string nothing =
          exchange::NothingToWrite(skeleton.NumJoints(), "joints", skeleton.NumFrames());
      !nothing.empty()) {
    throw FileProblem{exchange::FileOutcome::NotWritable(nothing), path};
  }
  if (choices.up_out) {
    if (const std::string refused =
            exchange::TurnForFormat(target, AxisFromText(*choices.up_out), skeleton);
        !refused.empty()) {
      throw std::invalid_argument(refused + "; up_out='" + *choices.up_out + "' cannot be done");
    }
  }
  if (choices.units) exchange::ConvertLengths(skeleton, LengthUnitFromText(*choices.units));
  for (std::string& said : exchange::BeforeWriting(target, skeleton)) {
    notes.push_back(std::move(said));
  }
  ThrowIfFailed(target.write(skeleton, path), path);
}

void CopyHTR(const std::string& in, const std::string& out, const Choices& choices, Notes& notes) {
  HTRFile model;
  ThrowIfFailed(exchange::ReadOutcome(model.Read(in, true), model), in);
  if (std::string nothing = NothingToConvert(model.Contents()); !nothing.empty()) {
    ThrowFormatProblem(std::move(nothing), in);
  }
  const FileContents contents = model.Contents();
  NoteFewerFrames(in, contents.frames, contents.declared, notes);
  if (choices.units) model.ConvertUnits(LengthUnitFromText(*choices.units));
  ThrowIfFailed(exchange::WriteHTRFile(model, out), out);
}

}  // namespace zar::python
