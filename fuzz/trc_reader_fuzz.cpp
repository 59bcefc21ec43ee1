// Fuzz entry point for the TRC reader: any bytes as a file, read with and without the markers
// whose names begin with "Unnamed"; a model that reads is converted and scaled.
//
// Properties checked on every input:
// - the message is empty or one the reader may give ("Incorrect number of markers..." only when
//   the "Unnamed" markers were asked for);
// - every marker holds the same number of samples (each data line gives each marker one);
// - marker names are unique, and without the flag none begins with "Unnamed";
// - a missing sample is (0, 0, 0); converting units keeps every present flag.

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
         (with_unnamed && message == m::kTrcMarkerCount);
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
