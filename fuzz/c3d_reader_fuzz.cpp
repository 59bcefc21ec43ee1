// Fuzz entry point for the C3D reader: any bytes as a file. A file that reads must keep the
// model's promises: present samples have finite coordinates, missing ones are at 0, parameter
// strings carry no trailing blanks, and every marker gets a unique non-empty name.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "exchange/c3d_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = size == 0 ? std::fopen("/dev/null", "rb")
                              : fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  zar::exchange::C3DFile model;
  const std::string message = model.Read(file);
  std::fclose(file);
  if (!message.empty()) return 0;
  for (const zar::exchange::C3DGroup& group : model.parameters.groups) {
    for (const zar::exchange::C3DParameter& parameter : group.parameters) {
      for (const std::string& text : parameter.Strings()) {
        if (!text.empty() && (text.back() == ' ' || text.back() == '\0')) std::abort();
      }
    }
  }
  const zar::exchange::MarkerSet& set = model.points;
  for (std::int64_t k = 0; k < set.NumFrames(); ++k) {
    for (std::size_t m = 0; m < set.NumMarkers(); ++m) {
      const zar::exchange::MarkerSample& s = set.At(k, m);
      const bool finite = std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.z);
      const bool zero = s.x == 0 && s.y == 0 && s.z == 0;
      if (s.present ? !finite : !zero) std::abort();
    }
  }
  model.points.NameByDescriptions();
  for (const std::string& name : zar::exchange::UniqueMarkerNames(model.points)) {
    if (name.empty()) std::abort();
  }
  return 0;
}
