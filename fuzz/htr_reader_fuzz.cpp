// Fuzz entry point for the HTR reader: any bytes as a file, read with and without frames; a
// model that reads is also transformed, searched and written out and read again.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "filelib/zar_filelib.h"

namespace {

std::FILE* OpenBytes(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return std::fopen("/dev/null", "rb");
  return fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
}

const std::string& ScratchFile() {
  static const std::string file = [] {
    const auto folder =
        std::filesystem::temp_directory_path() / ("zar_htr_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return (folder / "written.htr").string();
  }();
  return file;
}

void Exercise(zar::HTRFile& model) {
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    const zar::HTRSegment* segment = model.Segment(i);
    (void)segment->FindInSubtree("none");
    (void)segment->AbsoluteRotation(0);
    (void)segment->AbsoluteTranslation(segment->NumStoredFrames() - 1);
  }
  model.ConvertUnits(zar::LengthUnit::kInches);
  model.Scale(2.0);
  // Padding makes the written file NumFrames lines per segment: keep it small.
  const std::int64_t lines = static_cast<std::int64_t>(model.NumSegments()) * model.NumFrames();
  if (model.NumFrames() >= 0 && lines <= 20000) {
    if (model.Write(ScratchFile()).empty()) {
      zar::HTRFile again;
      (void)again.Read(ScratchFile(), true);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const bool frames : {true, false}) {
    std::FILE* file = OpenBytes(data, size);
    if (file == nullptr) return 0;
    zar::HTRFile model;
    const std::string message = model.Read(file, frames);
    std::fclose(file);
    if (frames) Exercise(model);
    (void)message;
  }
  return 0;
}
