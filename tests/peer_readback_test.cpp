// What zarfileio convert writes from every shared TRC sample reads back to the source's values:
// the TRC through our own reader, the CSV through Python's csv module.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/trc_adapter.h"
#include "exchange_test_support.h"
#include "filelib/trc_file.h"
#include "filelib_test_support.h"
#include "plugin_test_support.h"

namespace zar {
namespace {

testing::RunResult Convert(const std::string& in, const std::string& out) {
  return testing::Run(testing::Quoted(std::string(ZAR_BINARY_DIR) + "/cli/zarfileio") +
                      " convert " + testing::Quoted(in) + " " + testing::Quoted(out) + " 2>&1");
}

// The CSV as Python's csv module reads it (csv_cells.py): the header cells, then the rows as
// numbers, an empty cell as a missing (NaN) one.
struct CsvCells {
  std::vector<std::string> head;
  std::vector<std::vector<double>> rows;
};

CsvCells ReadWithPython(const std::string& csv) {
  const testing::RunResult run = testing::Run(
      "python3 " + testing::Quoted(std::string(ZAR_SOURCE_DIR) + "/js/peer/csv_cells.py") + " " +
      testing::Quoted(csv));
  EXPECT_EQ(0, run.status) << run.output;
  std::istringstream lines(run.output);
  CsvCells cells;
  std::string line;
  std::getline(lines, line);
  std::istringstream head(line);
  for (std::string cell; std::getline(head, cell, '\t');) cells.head.push_back(cell);
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    cells.rows.emplace_back();
    for (std::string word; words >> word;) {
      double value = std::nan("");
      std::from_chars(word.data(), word.data() + word.size(), value);
      cells.rows.back().push_back(value);
    }
  }
  return cells;
}

// The CSV's cells as a marker set with the source's frame numbering, checking the header and the
// time column on the way.
exchange::MarkerSet FromCells(const CsvCells& cells, const exchange::MarkerSet& source,
                              const std::string& what) {
  std::vector<std::string> head = {"frame", "time"};
  for (const std::string& name : exchange::UniqueMarkerNames(source)) {
    for (const char* axis : {"_x", "_y", "_z"}) head.push_back(name + axis);
  }
  EXPECT_EQ(head, cells.head) << what;
  exchange::MarkerSet set;
  set.markers = source.markers;
  set.SetFrames(static_cast<std::int64_t>(cells.rows.size()));
  set.first_frame =
      cells.rows.empty() ? source.first_frame : static_cast<std::int64_t>(cells.rows[0][0]);
  const double origin = static_cast<double>(std::min<std::int64_t>(source.first_frame, 1));
  for (std::size_t k = 0; k < cells.rows.size(); ++k) {
    const std::vector<double>& row = cells.rows[k];
    if (row.size() != head.size()) {
      ADD_FAILURE() << what << ": row " << k << " has " << row.size() << " cells";
      break;
    }
    EXPECT_NEAR(row[1], (row[0] - origin) / source.rate, 1e-12 * (1 + row[1])) << what;
    for (std::size_t m = 0; m < set.NumMarkers(); ++m) {
      const double* xyz = row.data() + 2 + 3 * m;
      set.At(static_cast<std::int64_t>(k), m) = {xyz[0], xyz[1], xyz[2], !std::isnan(xyz[0])};
    }
  }
  return set;
}

TEST(PeerReadBack, TrcAndCsvFromEverySharedTrcSample) {
  if (testing::Run("python3 -c 'import csv' 2>&1").status != 0) {
    const char* ci = std::getenv("CI");
    ASSERT_FALSE(ci != nullptr && std::string(ci) == "true") << "CI=true needs python3 here";
    GTEST_SKIP() << "python3 is not installed";
  }
  testing::ScratchFolder folder;
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::SamplePath("trc"))) {
    const std::string what = entry.path().filename().string();
    TRCFile trc;
    if (!trc.Read(entry.path().string(), false).empty()) continue;
    const exchange::MarkerSet source = exchange::FromTRC(trc);
    if (source.NumMarkers() == 0) continue;
    const testing::RunResult to_trc = Convert(entry.path().string(), folder.File("out.trc"));
    ASSERT_EQ(0, to_trc.status) << what << ": " << to_trc.output;
    TRCFile written;
    ASSERT_EQ("", written.Read(folder.File("out.trc"), false)) << what;
    const exchange::MarkerSet back = exchange::FromTRC(written);
    EXPECT_EQ(source.rate, back.rate) << what;
    testing::ExpectSameSamples(source, back, 0.0, what + " (TRC)");

    const testing::RunResult to_csv = Convert(entry.path().string(), folder.File("out.csv"));
    ASSERT_EQ(0, to_csv.status) << what << ": " << to_csv.output;
    testing::ExpectSameSamples(source,
                               FromCells(ReadWithPython(folder.File("out.csv")), source, what), 0.0,
                               what + " (CSV)");
    ++checked;
  }
  EXPECT_GE(checked, 10);
}

}  // namespace
}  // namespace zar
