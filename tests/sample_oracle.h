#ifndef ZAR_TESTS_SAMPLE_ORACLE_H_
#define ZAR_TESTS_SAMPLE_ORACLE_H_

// What the shared TRC sample files hold, known without the TRC reader: a table of counts
// written from the files' text, and the marker names and coordinates taken from the text by
// plain tab splitting. Tests that run the samples through the tool compare the output with
// this, so a fault in the reader cannot hide by moving the expected values with it.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace zar::testing {

struct TrcSampleFacts {
  const char* file;
  int markers;          // names other than "Unnamed…" and repeats
  int rows;             // data lines: samples per marker
  int declared_frames;  // NumFrames of the header
  int start_frame;
  double mm_per_unit;

  // Frames the outputs (scene keys, PNX lines) cover: no more than the data lines.
  int Frames() const { return std::min(rows, declared_frames); }
  // Whether a conversion has anything to take: markers and data lines. Conversions of the
  // others fail instead of writing an empty file.
  bool Convertible() const { return markers > 0 && rows > 0; }
};

// Test names show the file.
inline void PrintTo(const TrcSampleFacts& facts, std::ostream* out) { *out << facts.file; }

inline const std::vector<TrcSampleFacts>& TrcSamples() {
  static const std::vector<TrcSampleFacts> samples = {
      {"10002-20130731010438-Unnamed.trc", 0, 1313, 1313, 1, 1.0},
      {"Empty.trc", 0, 0, 0, 1, 1.0},
      {"Gait.trc", 33, 487, 487, 1, 1.0},
      {"Knee.trc", 71, 200, 200, 1, 1.0},
      {"SprintMotion.trc", 59, 788, 788, 1, 1.0},
      {"Truncated.trc", 0, 0, 0, 1, 1.0},
      {"abdbonepin.trc", 11, 1991, 3514, 1, 1.0},
      {"constraintTest.trc", 44, 2105, 2105, 1, 1.0},
      {"dataWithBlanksForMissingMarkers.trc", 40, 464, 464, 1, 1.0},
      {"dataWithEformat.trc", 14, 5, 5, 1, 1000.0},
      {"dataWithNaNsOfDifferentCases.trc", 14, 5, 5, 1, 1.0},
      {"dataWithNaNsWithSpaces.trc", 42, 427, 427, 1, 1.0},
      {"exampleFormat.trc", 3, 5, 5, 1, 1000.0},
      {"futureOrientationInverseKinematics.trc", 2, 1202, 1203, 1, 1.0},
      {"markers_walk.trc", 41, 238, 238, 1, 1.0},
      {"subject01_synthetic_marker_data.trc", 31, 73, 73, 1, 1000.0},
      {"temp_trc_file.trc", 40, 806, 806, 0, 1.0},
  };
  return samples;
}

struct SplitSample {
  bool present = false;
  double x = 0.0, y = 0.0, z = 0.0;
};

struct SplitMarker {
  std::string name;
  std::vector<SplitSample> samples;
};

inline std::vector<std::string> SplitTabs(std::string_view line) {
  std::vector<std::string> fields;
  for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos;) {
    fields.emplace_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  fields.emplace_back(line);
  return fields;
}

// The markers of a TRC file by splitting its lines at tabs: lines starting with '#' left out;
// line 3 names the markers (its non-empty fields after the first two, the i-th owning data
// fields 2 + 3i to 4 + 3i); data from line 5 on (line 5 only when it holds more than blanks).
// An empty X, or a coordinate that is no finite number, is a missing sample.
inline std::vector<SplitMarker> SplitTrc(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind('#', 0) != 0) lines.push_back(line);
  }
  std::vector<SplitMarker> markers;
  std::vector<std::size_t> first_field;  // of each kept marker's X
  std::set<std::string> seen;
  const std::vector<std::string> names =
      lines.size() > 3 ? SplitTabs(lines[3]) : std::vector<std::string>{};
  std::size_t owner = 0;
  for (std::size_t i = 2; i < names.size(); ++i) {
    if (names[i].empty()) continue;
    const std::size_t x = 2 + 3 * owner++;
    if (names[i].rfind("Unnamed", 0) == 0 || !seen.insert(names[i]).second) continue;
    markers.push_back({names[i], {}});
    first_field.push_back(x);
  }
  const bool blank_5 = lines.size() > 5 && lines[5].find_first_not_of(" \t") == std::string::npos;
  for (std::size_t row = blank_5 ? 6 : 5; row < lines.size(); ++row) {
    std::vector<std::string> fields = SplitTabs(lines[row]);
    fields.resize(std::max(fields.size(), 2 + 3 * owner));
    for (std::size_t m = 0; m < markers.size(); ++m) {
      const std::string* xyz = &fields[first_field[m]];
      SplitSample s;
      if (!xyz[0].empty()) {
        s = {true, std::strtod(xyz[0].c_str(), nullptr), std::strtod(xyz[1].c_str(), nullptr),
             std::strtod(xyz[2].c_str(), nullptr)};
      }
      if (!std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.z)) s = {};
      markers[m].samples.push_back(s);
    }
  }
  return markers;
}

// The blank-separated tokens of the PNX line of frame k (numbered `frame`) for these markers:
// the frame number, then each marker's "%f" coordinates in the host's axes (x, -z, y), or
// "DROPOUT" when its sample is missing.
inline std::string PnxFrameTokens(const std::vector<const SplitMarker*>& markers, int frame,
                                  std::size_t k) {
  std::string tokens = std::to_string(frame);
  for (const SplitMarker* marker : markers) {
    const SplitSample s = k < marker->samples.size() ? marker->samples[k] : SplitSample{};
    if (!s.present) {
      tokens += " DROPOUT";
      continue;
    }
    for (const double value : {s.x, -s.z, s.y}) {
      char text[400];
      std::snprintf(text, sizeof text, " %f", value);
      tokens += text;
    }
  }
  return tokens;
}

// A written line's blank-separated tokens, joined by single spaces.
inline std::string BlankJoined(const std::string& line) {
  std::istringstream in(line);
  std::string joined;
  for (std::string token; in >> token;) joined.append(joined.empty() ? "" : " ").append(token);
  return joined;
}

}  // namespace zar::testing

#endif  // ZAR_TESTS_SAMPLE_ORACLE_H_
