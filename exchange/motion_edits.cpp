#include "exchange/motion_edits.h"

#include <algorithm>

namespace zar::exchange {

namespace {

template <typename Model>
std::string KeepRange(Model& model, const FrameRange& range, std::string_view name) {
  if (!range.Asked()) return std::string();
  const auto kept = FrameIndices(range, model.first_frame, model.NumFrames());
  if (!kept) return FramesOutside(name, model.first_frame, model.NumFrames());
  model.KeepFrames(kept->first, kept->second);
  if (!range.keep_time) model.first_frame = 1;
  return std::string();
}

}  // namespace

std::optional<std::pair<std::int64_t, std::int64_t>> FrameIndices(const FrameRange& range,
                                                                  std::int64_t first,
                                                                  std::int64_t frames) {
  const std::int64_t last = first + frames - 1;
  const std::int64_t from = std::max(first, range.from.value_or(first));
  const std::int64_t to = std::min(last, range.to.value_or(last));
  if (from > to) return std::nullopt;
  return std::pair{from - first, to - from + 1};
}

std::string FramesOutside(std::string_view name, std::int64_t first, std::int64_t frames) {
  return "the frames asked for are outside " + std::string(name) + "'s frames " +
         std::to_string(first) + " to " + std::to_string(first + frames - 1);
}

std::string KeepFrameRange(MarkerSet& set, const FrameRange& range, std::string_view name) {
  return KeepRange(set, range, name);
}

std::string KeepFrameRange(Skeleton& skeleton, const FrameRange& range, std::string_view name) {
  return KeepRange(skeleton, range, name);
}

void ConvertLengths(MarkerSet& set, LengthUnit unit) {
  const double factor = LengthConversionFactor(set.units, unit);
  for (std::int64_t k = 0; k < set.NumFrames(); ++k) {
    MarkerSample* sample = set.Frame(k);
    for (std::size_t m = 0; m < set.NumMarkers(); ++m, ++sample) {
      if (set.markers[m].kind != PointKind::kMarker) continue;
      sample->x *= factor;
      sample->y *= factor;
      sample->z *= factor;
    }
  }
  set.units = unit;
}

void ConvertLengths(Skeleton& skeleton, LengthUnit unit) {
  skeleton.ScaleLengths(LengthConversionFactor(skeleton.units, unit));
  skeleton.units = unit;
}

std::string NothingToWrite(std::size_t items, std::string_view kind, std::int64_t frames) {
  if (items == 0) return "holds no " + std::string(kind) + "; nothing to write";
  if (frames <= 0) return "holds no frames; nothing to write";
  return std::string();
}

}  // namespace zar::exchange
