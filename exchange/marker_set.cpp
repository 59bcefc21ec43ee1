#include "exchange/marker_set.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>

namespace zar::exchange {

void MarkerSet::SetFrames(std::int64_t frames) {
  frames_ = std::max<std::int64_t>(frames, 0);
  samples_.assign(static_cast<std::size_t>(frames_) * markers.size(), MarkerSample{});
}

void MarkerSet::ReserveFrames(std::int64_t frames) {
  if (frames > 0) samples_.reserve(static_cast<std::size_t>(frames) * markers.size());
}

MarkerSample* MarkerSet::AddFrame() {
  samples_.resize(samples_.size() + markers.size());
  return Frame(frames_++);
}

void MarkerSet::KeepFrames(std::int64_t from, std::int64_t count) {
  from = std::clamp<std::int64_t>(from, 0, frames_);
  count = std::clamp<std::int64_t>(count, 0, frames_ - from);
  const auto begin = samples_.begin() + static_cast<std::ptrdiff_t>(Offset(from));
  samples_.erase(begin + static_cast<std::ptrdiff_t>(Offset(count)), samples_.end());
  samples_.erase(samples_.begin(), begin);
  samples_.shrink_to_fit();
  frames_ = count;
  first_frame += from;
}

void MarkerSet::NameByDescriptions() {
  for (MarkerName& marker : markers) {
    if (!marker.description.empty()) marker.name = marker.description;
  }
}

void MarkerSet::KeepMarkers(const std::vector<bool>& keep) {
  const std::size_t before = markers.size();
  std::size_t kept = 0;
  // Frame by frame, each kept sample moves to its place in the narrower frames (never ahead of
  // where it was, so nothing is overwritten before it is moved).
  for (std::int64_t k = 0; k < frames_; ++k) {
    const std::size_t from = static_cast<std::size_t>(k) * before;
    for (std::size_t m = 0; m < before; ++m) {
      if (keep[m]) samples_[kept++] = samples_[from + m];
    }
  }
  samples_.resize(kept);
  std::size_t next = 0;
  for (std::size_t m = 0; m < before; ++m) {
    if (!keep[m]) continue;
    if (next != m) markers[next] = std::move(markers[m]);
    ++next;
  }
  markers.resize(next);
}

std::size_t MarkerSet::CountOf(PointKind kind) const {
  return static_cast<std::size_t>(std::count_if(
      markers.begin(), markers.end(), [kind](const MarkerName& m) { return m.kind == kind; }));
}

std::string MarkerSet::KindCounts() const {
  std::string text;
  for (const PointKind kind : kPointKinds) {
    const std::size_t count = CountOf(kind);
    if (count == 0) continue;
    if (!text.empty()) text += ", ";
    text += std::to_string(count) + " " + std::string(PointKindsText(kind));
  }
  return text;
}

std::string_view PointKindsText(PointKind kind) {
  switch (kind) {
    case PointKind::kMarker:
      return "markers";
    case PointKind::kAngle:
      return "angles";
    case PointKind::kForce:
      return "forces";
    case PointKind::kMoment:
      return "moments";
    case PointKind::kPower:
      return "powers";
    case PointKind::kScalar:
      return "scalars";
    case PointKind::kReaction:
      return "reactions";
  }
  return "points";
}

std::vector<std::string> UniqueMarkerNames(const MarkerSet& set) {
  std::vector<std::string> names;
  names.reserve(set.NumMarkers());
  std::unordered_set<std::string> taken;
  for (std::size_t i = 0; i < set.NumMarkers(); ++i) {
    std::string name = set.markers[i].name;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    if (name.find_first_not_of(' ') == std::string::npos) name = "Marker" + std::to_string(i + 1);
    std::string unique = name;
    for (int copy = 2; taken.count(unique) != 0; ++copy) {
      unique = name + "_" + std::to_string(copy);
    }
    taken.insert(unique);
    names.push_back(std::move(unique));
  }
  return names;
}

double ShortestDecimal(float value) {
  char text[64];
  const auto written = std::to_chars(text, text + sizeof text, value);
  double result = static_cast<double>(value);
  std::from_chars(text, written.ptr, result);
  return result;
}

}  // namespace zar::exchange
