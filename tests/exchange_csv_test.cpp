// CSV written from every shared TRC sample, read back by plain splitting at commas.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exchange/csv_writer.h"
#include "exchange/trc_adapter.h"
#include "exchange_test_support.h"
#include "filelib/trc_file.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

std::vector<std::string> SplitAtCommas(const std::string& line) {
  std::vector<std::string> cells(1);
  for (const char c : line) {
    if (c == ',') {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

TEST(CsvWriter, EverySharedTrcSampleReadsBackToTheSameValues) {
  testing::ScratchFolder folder;
  int converted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::SamplePath("trc"))) {
    TRCFile trc;
    if (!trc.Read(entry.path().string(), false).empty()) continue;
    const exchange::MarkerSet original = exchange::FromTRC(trc);
    const std::string what = entry.path().filename().string();
    ASSERT_EQ("", exchange::WriteCSV(original, folder.File("a.csv")).message) << what;

    std::ifstream in(folder.File("a.csv"));
    std::string line;
    ASSERT_TRUE(std::getline(in, line)) << what;
    const std::vector<std::string> head = SplitAtCommas(line);
    ASSERT_EQ(head.size(), 2 + 3 * original.NumMarkers()) << what;
    EXPECT_EQ(head[0], "frame");
    EXPECT_EQ(head[1], "time");
    const std::vector<std::string> names = exchange::UniqueMarkerNames(original);
    for (std::size_t m = 0; m < names.size(); ++m) EXPECT_EQ(head[2 + 3 * m + 1], names[m] + "_y");

    exchange::MarkerSet back = original;
    back.SetFrames(original.NumFrames());
    std::int64_t k = 0;
    for (; std::getline(in, line); ++k) {
      const std::vector<std::string> cells = SplitAtCommas(line);
      ASSERT_EQ(cells.size(), head.size()) << what << " row " << k;
      ASSERT_LT(k, back.NumFrames()) << what;
      EXPECT_EQ(std::stoll(cells[0]), original.first_frame + k) << what;
      const double frame_from_one = static_cast<double>(
          original.first_frame + k - std::min<std::int64_t>(original.first_frame, 1));
      EXPECT_NEAR(std::strtod(cells[1].c_str(), nullptr), frame_from_one / original.rate, 1e-9)
          << what;
      for (std::size_t m = 0; m < back.NumMarkers(); ++m) {
        exchange::MarkerSample& sample = back.At(k, m);
        const std::string* xyz = &cells[2 + 3 * m];
        sample.present = !xyz[0].empty();
        EXPECT_EQ(sample.present, !xyz[1].empty() && !xyz[2].empty()) << what;
        if (!sample.present) continue;
        sample.x = std::strtod(xyz[0].c_str(), nullptr);
        sample.y = std::strtod(xyz[1].c_str(), nullptr);
        sample.z = std::strtod(xyz[2].c_str(), nullptr);
      }
    }
    EXPECT_EQ(k, original.NumFrames()) << what;
    testing::ExpectSameSamples(original, back, 0.0, what);
    ++converted;
  }
  EXPECT_GE(converted, 10);
}

}  // namespace
}  // namespace zar
