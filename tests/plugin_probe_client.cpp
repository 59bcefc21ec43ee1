// A second process for the option tests: loads the probe copy of the plug-in the way the host
// does and either saves options derived from a number or prints what the records load.
//
//   plugin_probe_client PROBE save N   ImportHTR Size = N + 0.5, Apply = N odd,
//                                      ImportTRC ScaleFactor = N / 4, ExportHTR Offset = -N
//   plugin_probe_client PROBE print    one line per record: the fields after Load

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/plugin_probe_loader.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: plugin_probe_client PROBE save N | print\n");
    return 2;
  }
  std::string error;
  auto probe = zar::testing::ProbePlugin::Load(argv[1], error);
  if (probe == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::string action = argv[2];
  if (action == "save" && argc == 4) {
    const int n = std::atoi(argv[3]);
    probe->import_htr().Size = static_cast<float>(n) + 0.5f;
    probe->import_htr().Apply = n % 2 != 0;
    probe->import_trc().ScaleFactor = n / 4.0;
    probe->export_htr().Offset = -n;
    const bool saved =
        probe->Save("ImportHTR") && probe->Save("ImportTRC") && probe->Save("ExportHTR");
    return saved ? 0 : 1;
  }
  if (action == "print") {
    probe->Load("ImportHTR");
    probe->Load("ImportTRC");
    probe->Load("ExportHTR");
    std::printf("ImportHTR Size=%g Apply=%d\n", static_cast<double>(probe->import_htr().Size),
                probe->import_htr().Apply ? 1 : 0);
    std::printf("ImportTRC ScaleFactor=%g\n", probe->import_trc().ScaleFactor);
    std::printf("ExportHTR Offset=%d\n", probe->export_htr().Offset);
    return 0;
  }
  std::fprintf(stderr, "unknown action %s\n", action.c_str());
  return 2;
}
