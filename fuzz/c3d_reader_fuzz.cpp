// Fuzz entry point for the C3D reader: any bytes as a file. A file that reads must keep the
// model's promises: present samples have finite coordinates, missing ones are at 0, parameter
// strings carry no trailing blanks, and every marker gets a unique non-empty name. Its analog
// channels, force plates and events are read too (from a copy of the bytes in a file, as the
// analog reader reads the file again), and keep theirs: one value per channel per sample, one
// plate sample per analog sample. A file refused for a fault that a lenient read reads past is
// read leniently too. A copy of its middle frames (C3D to C3D, cut) reads back strictly with the
// same points.

#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "exchange/c3d_analog.h"
#include "exchange/c3d_copy.h"
#include "exchange/c3d_events.h"
#include "exchange/c3d_file.h"
#include "exchange/force_plates.h"

namespace {

// A copy of the middle third of the frames of `model` (read from `path`) reads back, strictly,
// as those frames.
void CopyTheMiddle(const std::string& path, const zar::exchange::C3DFile& model) {
  static const std::string copy = "/tmp/c3d_reader_fuzz." + std::to_string(::getpid()) + ".cut.c3d";
  const zar::exchange::MarkerSet& points = model.points;
  zar::exchange::C3DCopyOptions cut;
  cut.from = points.NumFrames() / 3;
  cut.count = points.NumFrames() - 2 * cut.from;
  zar::exchange::C3DCopyReport report;
  if (!zar::exchange::CopyC3DFrames(path, model, cut, copy, report).Ok()) return;
  zar::exchange::C3DFile back;
  const std::string message = back.Read(copy).message;
  std::remove(copy.c_str());
  if (!message.empty() || back.points.NumFrames() != cut.count ||
      back.points.NumMarkers() != points.NumMarkers()) {
    std::abort();
  }
  for (std::int64_t k = 0; k < cut.count; ++k) {
    for (std::size_t m = 0; m < points.NumMarkers(); ++m) {
      const zar::exchange::MarkerSample& a = points.At(k + cut.from, m);
      const zar::exchange::MarkerSample& b = back.points.At(k, m);
      if (a.present != b.present || (a.present && (a.x != b.x || a.y != b.y || a.z != b.z))) {
        std::abort();
      }
    }
  }
}

// The analog channels, plates and events of the file `model` was read from, whose bytes are
// `data`.
void ReadTheRest(const std::uint8_t* data, std::size_t size, const zar::exchange::C3DFile& model) {
  static const std::string path = "/tmp/c3d_reader_fuzz." + std::to_string(::getpid()) + ".c3d";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  zar::exchange::C3DAnalog analog;
  const std::string message = zar::exchange::ReadC3DAnalog(path, model, analog).message;
  CopyTheMiddle(path, model);
  std::remove(path.c_str());
  zar::exchange::C3DEvents(model.parameters);
  if (!message.empty()) return;
  if (analog.Values().size() !=
      static_cast<std::size_t>(analog.NumSamples()) * analog.NumChannels()) {
    std::abort();
  }
  std::vector<zar::exchange::ForcePlate> plates;
  if (!zar::exchange::C3DForcePlates(model, analog, {}, plates).empty()) return;
  for (const zar::exchange::ForcePlate& plate : plates) {
    if (plate.samples.size() != static_cast<std::size_t>(analog.NumSamples())) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = size == 0 ? std::fopen("/dev/null", "rb")
                              : fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  zar::exchange::C3DFile model;
  std::string message = model.Read(file).message;
  // A fault a lenient read reads past: the lenient read must keep the same promises.
  if (!message.empty() && model.lenient_would_read) {
    std::rewind(file);
    message = model.Read(file, zar::exchange::C3DReadOptions{true}).message;
  }
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
  ReadTheRest(data, size, model);
  model.points.NameByDescriptions();
  for (const std::string& name : zar::exchange::UniqueMarkerNames(model.points)) {
    if (name.empty()) std::abort();
  }
  return 0;
}
