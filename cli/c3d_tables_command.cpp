#include "cli/c3d_tables_command.h"

#include <fnmatch.h>

#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/file_report.h"
#include "exchange/c3d_analog.h"
#include "exchange/c3d_events.h"
#include "exchange/c3d_file.h"
#include "exchange/c3d_tables.h"
#include "exchange/exchange_messages.h"
#include "exchange/force_plates.h"
#include "exchange/marker_formats.h"

namespace zar::cli {

namespace {

bool HasExtension(const std::string& path, std::string_view extension) {
  const exchange::MarkerFormat* format = exchange::FindMarkerFormat(path);
  return format != nullptr && format->extension == extension;
}

// The channels whose labels match one of `globs` in any letter case, as C3D names are compared
// (every channel when there are none), in the file's order.
std::vector<std::size_t> ChosenChannels(const exchange::C3DAnalog& analog,
                                        const std::vector<std::string>& globs) {
  std::vector<std::size_t> chosen;
  for (std::size_t c = 0; c < analog.NumChannels(); ++c) {
    bool match = globs.empty();
    for (const std::string& glob : globs) {
      match = match || ::fnmatch(glob.c_str(), analog.channels[c].label.c_str(), FNM_CASEFOLD) == 0;
    }
    if (match) chosen.push_back(c);
  }
  return chosen;
}

int Fail(const std::string& file, const std::string& message) {
  std::cerr << "zarfileio: " << file << ": " << message << "\n";
  return kExitFileProblem;
}

int Written(const std::string& out, const exchange::FileOutcome& outcome,
            const std::string& summary) {
  if (!outcome.Ok()) return Fail(out, ProblemText(outcome));
  std::cout << "wrote " << out << " (" << summary << ")\n";
  return kExitOk;
}

}  // namespace

void AddC3DTableOptions(CLI::App& convert, C3DTableOptions& options) {
  CLI::Option* analog = convert.add_flag(
      "--analog", options.analog,
      "from a C3D file, write its analog channels to the CSV OUT instead of its points: "
      "sample,time,<label>,... at the analog rate, in the channels' units");
  CLI::Option* forces = convert.add_flag(
      "--forces", options.forces,
      "from a C3D file, write its force plates to the CSV OUT: "
      "sample,time,plate,Fx,Fy,Fz,Mx,My,Mz,COPx,COPy,COPz,Tz, the reaction on the subject in lab "
      "axes, the moment about the centre of the plate's surface, the centre of pressure and the "
      "free moment (empty under --cop-threshold)");
  CLI::Option* events = convert.add_flag(
      "--events", options.events,
      "from a C3D file, write its events to the CSV OUT: context,label,time,frame");
  analog->excludes(forces)->excludes(events);
  forces->excludes(events);
  convert
      .add_option("--channels", options.channels,
                  "with --analog, the channels to write: labels or patterns such as 'EMG*' "
                  "(repeatable; default every channel)")
      ->type_name("GLOB");
  convert.add_flag("--no-zero", options.no_zero,
                   "with --forces, do not subtract the baseline FORCE_PLATFORM:ZERO names");
  convert
      .add_option("--cop-threshold", options.cop_threshold,
                  "with --forces, the vertical force (N) under which no centre of pressure or "
                  "free moment is given (default 20)")
      ->check(CLI::NonNegativeNumber);
}

bool C3DTableFlagsUnused(const CLI::App& convert, const C3DTableOptions& options) {
  if (options.Asked() && RefuseUnusedFlags(convert,
                                           {"--from", "--to", "--units", "--up", "--up-out",
                                            "--points", "--names", "--node", "--keep-time"},
                                           "with --analog, --forces or --events")) {
    return true;
  }
  if (!options.analog && RefuseUnusedFlags(convert, {"--channels"}, "without --analog")) {
    return true;
  }
  return !options.forces &&
         RefuseUnusedFlags(convert, {"--no-zero", "--cop-threshold"}, "without --forces");
}

int ConvertC3DTable(const C3DTableOptions& options, bool lenient, const std::string& in,
                    const std::string& out) {
  if (!HasExtension(in, ".c3d") || !HasExtension(out, ".csv")) {
    std::cerr << "zarfileio: --analog, --forces and --events read a C3D file and write a CSV "
                 "file\n";
    return kExitUsage;
  }
  exchange::C3DFile file;
  if (const exchange::FileOutcome read = file.Read(in, exchange::C3DReadOptions{lenient});
      !read.Ok()) {
    return Fail(in, ProblemText(read));
  }
  WarnAbout(in, file.warnings);
  if (options.events) {
    const std::vector<exchange::C3DEvent> events = exchange::C3DEvents(file.parameters);
    if (events.empty()) return Fail(in, "The file has no events (EVENT:USED)");
    return Written(out, exchange::WriteEventsCSV(events, file.points.rate, out),
                   std::to_string(events.size()) + " events");
  }
  exchange::C3DAnalog analog;
  if (const exchange::FileOutcome read = exchange::ReadC3DAnalog(in, file, analog); !read.Ok()) {
    return Fail(in, ProblemText(read));
  }
  if (analog.NumChannels() == 0) return Fail(in, "The file has no analog channels (ANALOG:USED)");
  const std::string rate = RateText(analog.rate) + " samples/s";
  if (options.analog) {
    const std::vector<std::size_t> channels = ChosenChannels(analog, options.channels);
    if (channels.empty()) return Fail(in, "No analog channel has a label that --channels names");
    return Written(out, exchange::WriteAnalogCSV(analog, channels, out),
                   std::to_string(channels.size()) + " channels, " +
                       std::to_string(analog.NumSamples()) + " samples, " + rate);
  }
  exchange::ForcePlateOptions plate_options;
  plate_options.zero = !options.no_zero;
  plate_options.cop_threshold = options.cop_threshold;
  std::vector<exchange::ForcePlate> plates;
  if (const std::string message = exchange::C3DForcePlates(file, analog, plate_options, plates);
      !message.empty()) {
    return Fail(in, message);
  }
  if (plates.empty()) return Fail(in, "The file has no force plates (FORCE_PLATFORM:USED)");
  return Written(out, exchange::WriteForcesCSV(plates, analog.rate, out),
                 std::to_string(plates.size()) + " plates, " + std::to_string(analog.NumSamples()) +
                     " samples, " + rate);
}

}  // namespace zar::cli
