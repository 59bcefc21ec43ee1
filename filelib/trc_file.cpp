#include "filelib/trc_file.h"

#include <algorithm>

namespace zar {

void TRCMarker::ReserveSamples(std::int64_t count) {
  if (count > 0) samples_.reserve(static_cast<std::size_t>(count));
}

TRCSample TRCMarker::Sample(std::int32_t k) const {
  if (k < 0 || static_cast<std::size_t>(k) >= samples_.size()) return {};
  return samples_[static_cast<std::size_t>(k)];
}

bool TRCMarker::SetSample(std::int32_t k, double x, double y, double z) {
  if (k < 0 || static_cast<std::size_t>(k) >= samples_.size()) return false;
  samples_[static_cast<std::size_t>(k)] = {true, x, y, z};
  return true;
}

void TRCFile::Clear() {
  markers_.clear();
  units_ = LengthUnit::kMillimetres;
  data_rate_ = 60;
  exact_data_rate_ = 60.0;
  num_frames_ = 0;
  start_frame_ = 1;
  data_lines_ = -1;
  no_lines_ = false;
  header_read_ = true;
  unnamed_ = 0;
  message_line_ = 0;
  system_error_ = 0;
}

FileContents TRCFile::Contents() const {
  FileContents contents;
  contents.items = FileContents::Items::kMarkers;
  contents.empty = no_lines_;
  contents.header = header_read_;
  contents.count = NumMarkers();
  contents.unnamed = unnamed_;
  contents.declared = num_frames_;
  if (data_lines_ >= 0) {
    contents.frames = data_lines_;
  } else {
    for (const TRCMarker& marker : markers_) {
      contents.frames = std::max<std::int64_t>(contents.frames, marker.NumSamples());
    }
  }
  return contents;
}

TRCMarker* TRCFile::Marker(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= markers_.size()) return nullptr;
  return &markers_[static_cast<std::size_t>(index)];
}

const TRCMarker* TRCFile::Marker(std::int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= markers_.size()) return nullptr;
  return &markers_[static_cast<std::size_t>(index)];
}

TRCMarker* TRCFile::AddMarker(const TRCMarker& marker) {
  for (const TRCMarker& held : markers_) {
    if (held.Name() == marker.Name()) return nullptr;
  }
  return &markers_.emplace_back(marker);
}

void TRCFile::ConvertUnits(LengthUnit unit) {
  if (unit == units_) return;
  Scale(LengthConversionFactor(units_, unit));
  units_ = unit;
}

void TRCFile::Scale(double factor) {
  for (TRCMarker& marker : markers_) {
    for (TRCSample& sample : marker.samples_) {
      sample.x *= factor;
      sample.y *= factor;
      sample.z *= factor;
    }
  }
}

}  // namespace zar
