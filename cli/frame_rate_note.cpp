#include "cli/frame_rate_note.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "cli/input_file.h"
#include "filelib/htr_file.h"
#include "sdk/modra_types.h"

namespace zar::cli {
namespace {

std::vector<std::string> TabFields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t')) fields.push_back(field);
  return fields;
}

std::string Rate(double rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", rate);
  return text;
}

}  // namespace

int HtrFileRate(const std::string& path) {
  const std::string file = WithDefaultExtension(path, ".htr");
  if (!CheckInputFile(file).empty()) return 0;
  HTRFile header;
  if (!header.Read(file, false).empty()) return 0;
  return header.DataFrameRate();
}

int TrcFileRate(const std::string& path) {
  const std::string file = WithDefaultExtension(path, ".TRC");
  if (!CheckInputFile(file).empty()) return 0;
  // The second line names the header values, the third holds them.
  std::ifstream in(file);
  std::string names, values;
  std::getline(in, names);
  std::getline(in, names);
  std::getline(in, values);
  const std::vector<std::string> keys = TabFields(names);
  const std::vector<std::string> numbers = TabFields(values);
  for (std::size_t i = 0; i < keys.size() && i < numbers.size(); ++i)
    if (keys[i] == "DataRate") return std::atoi(numbers[i].c_str());
  return 0;
}

void WarnAboutFrameRates(std::ostream& out, const std::string& file, int fileRate, int sceneRate) {
  if (fileRate <= 0 || sceneRate <= 0) return;
  if (fileRate != sceneRate) {
    out << "zarfileio: warning: " << file << " was recorded at " << fileRate
        << " frames per second and the scene runs at " << sceneRate << ", so the motion plays at "
        << Rate(static_cast<double>(sceneRate) / fileRate)
        << " times its speed (--set-frame-rate gives the scene the file's rate)\n";
    return;
  }
  const int ticks = static_cast<int>(modra::kTicksPerSecond) / sceneRate;
  if (ticks * sceneRate != modra::kTicksPerSecond) {
    out << "zarfileio: warning: the scene can only approximate " << fileRate
        << " frames per second: a frame of " << ticks << " ticks plays "
        << Rate(static_cast<double>(modra::kTicksPerSecond) / ticks) << " frames per second\n";
  }
}

}  // namespace zar::cli
