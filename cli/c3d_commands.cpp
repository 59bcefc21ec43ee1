// zarfileio c3d check | info

#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/file_report.h"
#include "cli/marker_read_flags.h"
#include "exchange/c3d_analog.h"
#include "exchange/c3d_events.h"
#include "exchange/c3d_file.h"
#include "exchange/decimal_text.h"
#include "exchange/exchange_messages.h"

namespace zar::cli {
namespace {

using exchange::C3DFile;
using exchange::C3DParameter;
using exchange::MarkerSet;

struct C3DOptions {
  std::vector<std::string> files;
  bool lenient = false;
};

// The frames in which marker `m` is missing.
std::int64_t MissingSamples(const MarkerSet& set, std::size_t m) {
  std::int64_t missing = 0;
  for (std::int64_t k = 0; k < set.NumFrames(); ++k) missing += set.At(k, m).present ? 0 : 1;
  return missing;
}

std::int64_t MissingSamples(const MarkerSet& set) {
  std::int64_t missing = 0;
  for (std::size_t m = 0; m < set.NumMarkers(); ++m) missing += MissingSamples(set, m);
  return missing;
}

std::string Number(double value) {
  std::ostringstream out;
  out << std::setprecision(9) << value;
  return out.str();
}

std::string Storage(const C3DFile& file) {
  return std::string(exchange::C3DProcessorName(file.processor)) +
         (file.float_storage ? " real" : " integer");
}

// "26 points, 450 frames from 1, 50 frames/s, mm, Intel integer, 17 missing samples"
std::string Summary(const C3DFile& file) {
  const MarkerSet& set = file.points;
  return std::to_string(set.NumMarkers()) + " points, " + std::to_string(set.NumFrames()) +
         " frames from " + std::to_string(set.first_frame) + ", " + Number(set.rate) +
         " frames/s, " + std::string(LengthUnitText(set.units)) + ", " + Storage(file) + ", " +
         std::to_string(MissingSamples(set)) + " missing samples";
}

// Reads `path` after checking that it is a file that can be read (a FIFO or a device is refused
// without being opened); "" or the problem, with the system's reason where there is one, or
// what the file lacks (no points or no frames).
std::string ReadInput(const std::string& path, bool lenient, C3DFile& file) {
  if (std::string problem = InputProblem(path); !problem.empty()) return problem;
  const exchange::FileOutcome read = file.Read(path, exchange::C3DReadOptions{lenient});
  return read.Ok() ? NothingToConvert(file.Contents()) : ProblemText(read);
}

int Check(const C3DOptions& options) {
  int status = kExitOk;
  for (const std::string& path : options.files) {
    C3DFile file;
    const std::string message = ReadInput(path, options.lenient, file);
    if (message.empty()) {
      std::cout << path << ": ok (" << Summary(file) << ")\n";
      WarnAbout(path, file.warnings);
    } else {
      std::cout << path << ": " << message << "\n";
      status = kExitFileProblem;
    }
  }
  return status;
}

// A parameter's values on one line: strings in quotes, numbers as they are; long ones cut.
std::string Values(const C3DParameter& parameter) {
  std::string text;
  constexpr std::size_t kShown = 12;
  std::size_t count = 0;
  if (parameter.type == exchange::C3DType::kChar) {
    const std::vector<std::string> strings = parameter.Strings();
    for (; count < strings.size() && count < kShown; ++count) {
      text.append(count == 0 ? "'" : " '").append(strings[count]).append("'");
    }
    count = strings.size();
  } else {
    for (; count < parameter.numbers.size() && count < kShown; ++count) {
      text.append(count == 0 ? "" : " ").append(Number(parameter.numbers[count]));
    }
    count = parameter.numbers.size();
  }
  if (count > kShown) text.append(" ... (").append(std::to_string(count)).append(" values)");
  return text;
}

std::string TypeName(exchange::C3DType type) {
  switch (type) {
    case exchange::C3DType::kChar:
      return "char";
    case exchange::C3DType::kByte:
      return "byte";
    case exchange::C3DType::kInteger:
      return "int";
    case exchange::C3DType::kFloat:
      return "real";
  }
  return "?";
}

// The analog channels (label, description, units, scale, offset) and the events of `file`.
void PrintAnalogAndEvents(const C3DFile& file) {
  exchange::C3DAnalog analog;
  if (const std::string problem = exchange::C3DAnalogChannels(file, analog); !problem.empty()) {
    std::cout << "analog: " << problem << "\n";
  } else {
    std::cout << "analog: " << analog.NumChannels() << " channels";
    if (analog.NumChannels() > 0) {
      std::cout << " at " << Number(analog.rate) << " samples/s (" << analog.per_frame
                << " per frame), general scale " << Number(analog.gen_scale)
                << (analog.unsigned_data ? ", unsigned" : "");
    }
    std::cout << "\n";
    for (const exchange::C3DAnalogChannel& channel : analog.channels) {
      std::cout << "  '" << channel.label << "' '" << channel.description << "' '" << channel.units
                << "'  scale " << Number(channel.scale) << ", offset " << Number(channel.offset)
                << "\n";
    }
  }
  const std::vector<exchange::C3DEvent> events = exchange::C3DEvents(file.parameters);
  std::cout << "events: " << events.size() << "\n";
  for (const exchange::C3DEvent& event : events) {
    std::cout << "  '" << event.context << "' '" << event.label << "' at "
              << exchange::ShortestText(event.time) << " s, frame "
              << exchange::C3DEventFrame(event.time, file.points.rate) << "\n";
  }
}

int Info(const C3DOptions& options) {
  const std::string& path = options.files.front();
  C3DFile file;
  const std::string message = ReadInput(path, options.lenient, file);
  if (!message.empty()) {
    std::cerr << "zarfileio: " << path << ": " << message << "\n";
    return kExitFileProblem;
  }
  WarnAbout(path, file.warnings);
  const exchange::C3DHeader& h = file.header;
  const MarkerSet& set = file.points;
  std::cout << "file: " << path << "\n"
            << "processor: " << exchange::C3DProcessorName(file.processor) << "\n"
            << "storage: " << (file.float_storage ? "real" : "integer") << ", scale "
            << Number(file.scale) << "\n"
            << "header: " << h.points << " points, " << h.analog_words
            << " analog values per frame (" << h.analog_per_frame
            << " samples per channel), frames " << h.first_frame << " to " << h.last_frame
            << ", rate " << Number(h.rate) << ", scale " << Number(h.scale)
            << ", parameters at block " << h.parameter_block << ", data at block " << h.data_start
            << "\n"
            << "frames: " << set.NumFrames() << ", first frame " << set.first_frame << "\n"
            << "rate: " << Number(set.rate) << "\n"
            << "units: " << LengthUnitText(set.units) << "\n"
            << "groups: " << file.parameters.groups.size() << "\n";
  for (const exchange::C3DGroup& group : file.parameters.groups) {
    std::cout << "  " << group.name << " (" << group.id << ")";
    if (!group.description.empty()) std::cout << "  " << group.description;
    std::cout << "\n";
    for (const C3DParameter& parameter : group.parameters) {
      std::string dimensions;
      for (const int d : parameter.dimensions) {
        dimensions.append(dimensions.empty() ? "" : "x").append(std::to_string(d));
      }
      std::cout << "    " << parameter.name << "  " << TypeName(parameter.type) << "[" << dimensions
                << "]  " << Values(parameter) << "\n";
    }
  }
  std::cout << "points: " << set.NumMarkers();
  if (set.NumMarkers() > 0) std::cout << " (" << set.KindCounts() << ")";
  std::cout << "\n";
  for (std::size_t m = 0; m < set.NumMarkers(); ++m) {
    std::cout << "  '" << set.markers[m].name << "'";
    if (!set.markers[m].description.empty()) std::cout << " '" << set.markers[m].description << "'";
    if (set.markers[m].kind != exchange::PointKind::kMarker) {
      std::string kind(exchange::PointKindsText(set.markers[m].kind));
      kind.pop_back();  // "angles" -> "angle"
      std::cout << "  " << kind;
    }
    std::cout << "  " << MissingSamples(set, m) << " missing\n";
  }
  PrintAnalogAndEvents(file);
  return kExitOk;
}

}  // namespace

void AddC3DCommands(CLI::App& app) {
  CLI::App* c3d = app.add_subcommand("c3d", "C3D marker files");
  c3d->require_subcommand(1);

  auto check_options = std::make_shared<C3DOptions>();
  CLI::App* check = c3d->add_subcommand(
      "check",
      "Read each file. Prints one line per file: 'FILE: ok (points, frames and the first frame "
      "number, frame rate, units, processor format and storage, missing samples)' or 'FILE: ' "
      "and what is wrong with it. Exit status 1 when any file fails.");
  SetExamples(*check, {"zarfileio c3d check trial.c3d", "zarfileio c3d check session/*.c3d"});
  check->add_option("files", check_options->files, "C3D files")->required();
  AddLenientFlag(*check, check_options->lenient);
  check->callback([check_options] { FinishCommand(Check(*check_options)); });

  auto info_options = std::make_shared<C3DOptions>();
  CLI::App* info = c3d->add_subcommand(
      "info",
      "Print the header values, every group and parameter (type, dimensions, values), and one "
      "line per point: its label in quotes, its description when it has one, and how many of "
      "its samples are missing.");
  SetExamples(*info, {"zarfileio c3d info trial.c3d"});
  info->add_option("file", info_options->files, "C3D file")->required()->expected(1);
  AddLenientFlag(*info, info_options->lenient);
  info->callback([info_options] { FinishCommand(Info(*info_options)); });
}

}  // namespace zar::cli
