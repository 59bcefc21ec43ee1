#include "filelib/htr_file.h"

#include <algorithm>
#include <utility>

namespace zar {

void HTRFile::Clear() {
  segments_.clear();
  by_name_.clear();
  indexed_ = 0;
  calibration_units_ = LengthUnit::kMillimetres;
  rotation_units_ = RotationUnit::kDegrees;
  bone_length_axis_ = Axis::kY;
  global_axis_of_gravity_ = Axis::kY;
  data_frame_rate_ = 60;
  num_frames_ = 0;
  start_frame_ = 1;
  message_line_ = 0;
  system_error_ = 0;
  no_lines_ = false;
}

FileContents HTRFile::Contents() const {
  FileContents contents;
  contents.items = FileContents::Items::kSegments;
  contents.empty = no_lines_;
  contents.count = NumSegments();
  contents.declared = num_frames_;
  for (const HTRSegment& segment : segments_) {
    contents.frames = std::max<std::int64_t>(contents.frames, segment.NumStoredFrames());
  }
  return contents;
}

HTRSegment* HTRFile::Segment(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= segments_.size()) return nullptr;
  return &segments_[static_cast<std::size_t>(index)];
}

const HTRSegment* HTRFile::Segment(std::int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= segments_.size()) return nullptr;
  return &segments_[static_cast<std::size_t>(index)];
}

HTRSegment* HTRFile::AddSegment(const HTRSegment& segment) {
  if (segment.Name().find(' ') != std::string::npos || FindSegment(segment.Name()) != nullptr) {
    return nullptr;
  }
  HTRSegment& stored = segments_.emplace_back(segment);
  IndexNames();
  return &stored;
}

void HTRFile::IndexNames() {
  if (names_stamp_ != HTRSegment::NameChanges()) {
    by_name_.clear();
    indexed_ = 0;
    names_stamp_ = HTRSegment::NameChanges();
  }
  for (; indexed_ < segments_.size(); ++indexed_) {
    HTRSegment& segment = segments_[indexed_];
    segment.indexed_ = true;
    by_name_.emplace(segment.Name(), indexed_);
  }
}

const HTRSegment* HTRFile::FindSegment(std::string_view name) const {
  // A file whose index is behind (segments read in, or renamed) is searched in order; a file
  // that is being built indexes its names as it goes.
  if (indexed_ != segments_.size() || names_stamp_ != HTRSegment::NameChanges()) {
    for (const HTRSegment& segment : segments_) {
      if (segment.Name() == name) return &segment;
    }
    return nullptr;
  }
  const auto found = by_name_.find(std::string(name));
  return found == by_name_.end() ? nullptr : &segments_[found->second];
}

HTRSegment* HTRFile::FindSegment(std::string_view name) {
  IndexNames();
  return const_cast<HTRSegment*>(std::as_const(*this).FindSegment(name));
}

const HTRSegment* HTRFile::FindRootSegment() const {
  for (const HTRSegment& segment : segments_) {
    if (segment.IsRoot()) return &segment;
  }
  return nullptr;
}

HTRSegment* HTRFile::FindRootSegment() {
  for (HTRSegment& segment : segments_) {
    if (segment.IsRoot()) return &segment;
  }
  return nullptr;
}

void HTRFile::ConvertUnits(LengthUnit unit) {
  if (unit == calibration_units_) return;
  Scale(LengthConversionFactor(calibration_units_, unit));
  calibration_units_ = unit;
}

void HTRFile::Scale(double factor) {
  for (HTRSegment& segment : segments_) segment.ScaleLengths(factor, num_frames_);
}

std::string WithDefaultExtension(const std::string& name, std::string_view extension) {
  if (name.size() < 4 || name[name.size() - 4] != '.') return name + std::string(extension);
  return name;
}

}  // namespace zar
