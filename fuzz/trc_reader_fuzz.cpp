// Fuzz entry point for the TRC reader: any bytes as a file, read with and without the markers
// whose names begin with "Unnamed"; a model that reads is converted and scaled.
//
// Properties checked on every input:
// - the message is empty or one the reader may give ("Incorrect number of markers..." only when
//   the "Unnamed" markers were asked for);
// - every marker holds the same number of samples (each data line gives each marker one);
// - marker names are unique, and without the flag none begins with "Unnamed";
// - a missing sample is (0, 0, 0); converting units keeps every present flag;
// - read through a sample sink, the same message, markers and samples, line by line.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "filelib/file_messages.h"
#include "filelib/zar_filelib.h"
#include "fuzz/fuzz_property.h"

namespace {

using zar::fuzz::Require;

bool IsTrcReaderMessage(std::string_view message, bool with_unnamed) {
  namespace m = zar::messages;
  return message.empty() || message == m::kTrcHeaderState || message == m::kCannotRead ||
         message == m::kLineTooLong || (with_unnamed && message == m::kTrcMarkerCount);
}

void CheckModel(const zar::TRCFile& model, bool with_unnamed) {
  std::unordered_set<std::string_view> names;
  const std::int32_t samples =
      model.NumMarkers() > 0 ? model.Marker(0)->NumSamples() : std::int32_t{0};
  for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
    const zar::TRCMarker& marker = *model.Marker(i);
    Require(marker.NumSamples() == samples, "every marker holds the same number of samples",
            marker.Name());
    Require(names.insert(marker.Name()).second, "marker names are unique", marker.Name());
    Require(with_unnamed || marker.Name().rfind("Unnamed", 0) != 0,
            "\"Unnamed\" markers only when asked for", marker.Name());
    for (const zar::TRCSample& s : marker.Samples()) {
      Require(s.present || (s.x == 0.0 && s.y == 0.0 && s.z == 0.0),
              "a missing sample is (0, 0, 0)", marker.Name());
    }
  }
}

std::vector<bool> PresentFlags(const zar::TRCFile& model) {
  std::vector<bool> flags;
  for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
    for (const zar::TRCSample& s : model.Marker(i)->Samples()) flags.push_back(s.present);
  }
  return flags;
}

// Every line's samples, marker by marker, as the sink is given them.
class RecordingSink : public zar::TRCSampleSink {
 public:
  void Begin(const zar::TRCFile& model, std::int64_t /*frames*/) override {
    Require(!begun_, "Begin comes once");
    begun_ = true;
    samples.assign(static_cast<std::size_t>(model.NumMarkers()), {});
  }
  bool Line(const zar::TRCSample* line) override {
    Require(begun_, "Begin comes before every line");
    for (std::vector<zar::TRCSample>& marker : samples) marker.push_back(*line++);
    return true;
  }

  std::vector<std::vector<zar::TRCSample>> samples;

 private:
  bool begun_ = false;
};

bool SameSample(const zar::TRCSample& a, const zar::TRCSample& b) {
  return a.present == b.present && a.x == b.x && a.y == b.y && a.z == b.z;
}

// The same bytes read through a sink give what the model holds.
void CheckSinkReading(const std::uint8_t* data, std::size_t size, bool with_unnamed,
                      const zar::TRCFile& model, const std::string& message) {
  std::FILE* file = size == 0 ? std::fopen("/dev/null", "rb")
                              : fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (file == nullptr) return;
  zar::TRCFile header;
  RecordingSink sink;
  const std::string sink_message = header.Read(file, with_unnamed, sink);
  std::fclose(file);
  Require(sink_message == message, "a sink reading gives the same message", sink_message);
  Require(header.NumMarkers() == model.NumMarkers(), "a sink reading names the same markers");
  if (header.NumMarkers() == 0) return;
  Require(sink.samples.size() == static_cast<std::size_t>(model.NumMarkers()),
          "the sink hears of every marker");
  for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
    const std::vector<zar::TRCSample>& held = model.Marker(i)->Samples();
    const std::vector<zar::TRCSample>& heard = sink.samples[static_cast<std::size_t>(i)];
    Require(
        header.Marker(i)->Name() == model.Marker(i)->Name() && header.Marker(i)->NumSamples() == 0,
        "the sink reading's markers are named alike and hold no samples");
    Require(heard.size() == held.size(), "the sink hears every sample", model.Marker(i)->Name());
    for (std::size_t k = 0; k < held.size(); ++k) {
      Require(SameSample(held[k], heard[k]), "the sink hears each sample as the model holds it");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const bool with_unnamed : {false, true}) {
    std::FILE* file = size == 0 ? std::fopen("/dev/null", "rb")
                                : fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (file == nullptr) return 0;
    zar::TRCFile model;
    const std::string message = model.Read(file, with_unnamed);
    std::fclose(file);
    Require(IsTrcReaderMessage(message, with_unnamed), "the message is one the reader gives",
            message);
    CheckModel(model, with_unnamed);
    CheckSinkReading(data, size, with_unnamed, model, message);
    const std::vector<bool> present = PresentFlags(model);
    model.ConvertUnits(zar::LengthUnit::kFeet);
    model.Scale(0.5);
    Require(PresentFlags(model) == present, "converting keeps every present flag");
    for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
      (void)model.Marker(i)->Sample(model.Marker(i)->NumSamples() - 1);
    }
  }
  return 0;
}
