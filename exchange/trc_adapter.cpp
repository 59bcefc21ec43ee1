#include "exchange/trc_adapter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "exchange/threaded_line_parsing.h"
#include "exchange/work_progress.h"

namespace zar::exchange {

namespace {

// The header values of the model: the rates as the file wrote them (119.88012, not the whole 119
// the host's translators use).
void TakeHeader(const TRCFile& trc, MarkerSet& set) {
  set.rate = trc.ExactDataRate();
  set.camera_rate = trc.ExactCameraRate();
  set.units = trc.Units();
  set.first_frame = trc.StartFrame();
}

// Each data line becomes a frame of the set as it is read; the lines' numbers are read on two
// threads.
class MarkerSetFiller : public TRCSampleSink {
 public:
  explicit MarkerSetFiller(MarkerSet& set) : set_(set) {}

  void Begin(const TRCFile& model, std::int64_t frames) override {
    for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
      set_.markers.push_back({model.Marker(i)->Name(), std::string()});
    }
    set_.ReserveFrames(frames);
    expected_ = frames;
  }

  // A set without markers holds no frames, as FromTRC gives it.
  bool Line(const TRCSample* samples) override {
    if (set_.NumMarkers() == 0) return true;
    MarkerSample* frame = set_.AddFrame();
    if (set_.NumFrames() % 1024 == 0) ReportProgress("reading", set_.NumFrames(), expected_);
    for (std::size_t i = 0; i < set_.NumMarkers(); ++i) {
      const TRCSample& s = samples[i];
      if (s.present) frame[i] = {s.x, s.y, s.z, true};
    }
    return true;
  }

  LineParsing* Parsing() override { return &parsing_; }

 private:
  MarkerSet& set_;
  std::int64_t expected_ = 0;  // the frames declared
  ThreadedLineParsing parsing_;
};

}  // namespace

FileOutcome ReadTRC(const std::string& path, MarkerSet& set) {
  set = MarkerSet();
  TRCFile header;
  MarkerSetFiller filler(set);
  FileOutcome outcome = ReadOutcome(header.Read(path, false, filler), header);
  ReportProgress("reading", 1, 1);
  if (!outcome.Ok()) return outcome;
  if (std::string nothing = NothingToConvert(header.Contents()); !nothing.empty()) {
    return FileOutcome::BadFormat(std::move(nothing));
  }
  TakeHeader(header, set);
  if (header.NumFrames() > set.NumFrames()) set.declared_frames = header.NumFrames();
  return outcome;
}

MarkerSet FromTRC(const TRCFile& trc) {
  MarkerSet set;
  TakeHeader(trc, set);
  std::int32_t frames = 0;
  for (std::int32_t i = 0; i < trc.NumMarkers(); ++i) {
    set.markers.push_back({trc.Marker(i)->Name(), std::string()});
    frames = std::max(frames, trc.Marker(i)->NumSamples());
  }
  set.SetFrames(frames);
  // The model keeps each marker's samples together, the set each frame's: copied a block of
  // frames at a time, so that the block being filled stays in the cache while every marker's
  // run is read.
  constexpr std::size_t kBlock = 128;
  const auto all = static_cast<std::size_t>(frames);
  for (std::size_t from = 0; from < all; from += kBlock) {
    for (std::int32_t i = 0; i < trc.NumMarkers(); ++i) {
      const std::vector<TRCSample>& samples = trc.Marker(i)->Samples();
      const std::size_t to = std::min({all, from + kBlock, samples.size()});
      for (std::size_t k = from; k < to; ++k) {
        const TRCSample& s = samples[k];
        if (s.present) {
          set.At(static_cast<std::int64_t>(k), static_cast<std::size_t>(i)) = {s.x, s.y, s.z, true};
        }
      }
    }
  }
  return set;
}

namespace {

std::int32_t WholeRate(double rate) {
  if (!std::isfinite(rate)) return 0;
  return static_cast<std::int32_t>(
      std::clamp(std::round(rate), 0.0, double{std::numeric_limits<std::int32_t>::max()}));
}

}  // namespace

TRCFile ToTRC(const MarkerSet& set) {
  TRCFile trc;
  trc.SetDataRate(WholeRate(set.rate));
  trc.SetCameraRate(WholeRate(set.camera_rate > 0 ? set.camera_rate : set.rate));
  trc.SetUnits(set.units);
  trc.SetStartFrame(static_cast<std::int32_t>(set.first_frame));
  trc.SetNumFrames(static_cast<std::int32_t>(set.NumFrames()));
  const std::vector<std::string> names = UniqueMarkerNames(set);
  for (std::size_t m = 0; m < names.size(); ++m) {
    TRCMarker* marker = trc.AddMarker(TRCMarker(names[m]));
    marker->ReserveSamples(set.NumFrames());
    for (std::int64_t k = 0; k < set.NumFrames(); ++k) {
      const MarkerSample& s = set.At(k, m);
      if (s.present) {
        marker->AppendSample(s.x, s.y, s.z);
      } else {
        marker->AppendMissingSample();
      }
    }
  }
  return trc;
}

}  // namespace zar::exchange
