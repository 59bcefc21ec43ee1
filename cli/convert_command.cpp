// zarfileio convert IN OUT: the reader chosen by IN's extension, the writer by OUT's, meeting in
// the marker set.

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "cli/commands.h"
#include "exchange/marker_formats.h"

namespace zar::cli {
namespace {

using exchange::MarkerFormat;

struct ConvertOptions {
  std::string in;
  std::string out;
  std::string names = "labels";
  std::optional<std::int64_t> from;
  std::optional<std::int64_t> to;
};

// ".c3d -> .c3d .trc; .trc -> .c3d .trc"
std::string Pairs() {
  std::string pairs;
  for (const MarkerFormat& source : exchange::MarkerFormats()) {
    if (source.read == nullptr) continue;
    if (!pairs.empty()) pairs += "; ";
    pairs.append(source.extension).append(" ->");
    for (const MarkerFormat& target : exchange::MarkerFormats()) {
      if (target.write != nullptr) pairs.append(" ").append(target.extension);
    }
  }
  return pairs;
}

int Convert(const ConvertOptions& options) {
  const MarkerFormat* source = exchange::FindMarkerFormat(options.in);
  const MarkerFormat* target = exchange::FindMarkerFormat(options.out);
  if (source == nullptr || source->read == nullptr || target == nullptr ||
      target->write == nullptr) {
    std::cerr << "zarfileio: cannot convert " << options.in << " to " << options.out
              << "; convert can do: " << Pairs() << "\n";
    return kExitUsage;
  }
  if (options.from && options.to && *options.from > *options.to) {
    std::cerr << "zarfileio: --from " << *options.from << " is after --to " << *options.to
              << "\n";
    return kExitUsage;
  }
  exchange::MarkerReadOptions read_options;
  read_options.names_from_descriptions = options.names == "descriptions";
  exchange::MarkerSet set;
  if (const std::string message = source->read(options.in, read_options, set); !message.empty()) {
    std::cerr << "zarfileio: " << options.in << ": " << message << "\n";
    return kExitFileProblem;
  }
  if (options.from || options.to) {
    const std::int64_t first = set.first_frame;
    const std::int64_t last = first + set.NumFrames() - 1;
    const std::int64_t from = std::max(first, options.from.value_or(first));
    const std::int64_t to = std::min(last, options.to.value_or(last));
    if (from > to) {
      std::cerr << "zarfileio: the frames asked for are outside " << options.in << "'s frames "
                << first << " to " << last << "\n";
      return kExitUsage;
    }
    set.KeepFrames(from - first, to - from + 1);
  }
  if (const std::string message = target->write(set, options.out); !message.empty()) {
    std::cerr << "zarfileio: " << options.out << ": " << message << "\n";
    return kExitFileProblem;
  }
  std::ostringstream rate;
  rate << std::setprecision(9) << set.rate;
  std::cout << "wrote " << options.out << " (" << set.NumMarkers() << " markers, "
            << set.NumFrames() << " frames from " << set.first_frame << ", " << rate.str()
            << " frames/s, " << LengthUnitText(set.units) << ")\n";
  return kExitOk;
}

}  // namespace

void AddConvertCommand(CLI::App& app) {
  auto options = std::make_shared<ConvertOptions>();
  CLI::App* convert = app.add_subcommand(
      "convert",
      std::string("Read IN and write OUT, each in the format its extension names. Pairs: ")
          .append(Pairs())
          .append(". Prints 'wrote OUT (markers, frames and the first frame number, frame rate, "
                  "units)'."));
  convert->add_option("in", options->in, "file to read")->required();
  convert->add_option("out", options->out, "file to write (replaced only once complete)")
      ->required();
  convert
      ->add_option("--names", options->names,
                   "which C3D text names a marker: its label, or its description where it has "
                   "one (default labels)")
      ->check(CLI::IsMember({"labels", "descriptions"}));
  convert->add_option("--from", options->from, "first frame number to write (default: the first)");
  convert->add_option("--to", options->to, "last frame number to write (default: the last)");
  convert->callback([options] { FinishCommand(Convert(*options)); });
}

}  // namespace zar::cli
