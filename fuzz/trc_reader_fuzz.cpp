// Fuzz entry point for the TRC reader: any bytes as a file, read with and without the markers
// whose names begin with "Unnamed"; a model that reads is converted and scaled.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "filelib/zar_filelib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const bool with_unnamed : {false, true}) {
    std::FILE* file = size == 0 ? std::fopen("/dev/null", "rb")
                                : fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (file == nullptr) return 0;
    zar::TRCFile model;
    const std::string message = model.Read(file, with_unnamed);
    std::fclose(file);
    model.ConvertUnits(zar::LengthUnit::kFeet);
    model.Scale(0.5);
    for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
      (void)model.Marker(i)->Sample(model.Marker(i)->NumSamples() - 1);
    }
    (void)message;
  }
  return 0;
}
