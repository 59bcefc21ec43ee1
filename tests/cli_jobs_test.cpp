// Long work in zarfileio: convert batches on one and on two jobs, and the progress bar.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/progress_bar.h"
#include "tests/filelib_test_support.h"
#include "tests/plugin_test_support.h"
#include "tests/utilities_test_support.h"

namespace zar::testing {
namespace {

// The tool's exit status, then its standard output, then its standard error, with `folder`'s
// name taken out.
std::string Record(const ScratchFolder& folder, const std::vector<std::string>& arguments) {
  std::string command = Quoted(std::string(ZAR_BINARY_DIR) + "/cli/zarfileio");
  for (const std::string& argument : arguments) command.append(" ").append(Quoted(argument));
  command.append(" 2>").append(Quoted(folder.File("stderr")));
  RunResult run = Run(command);
  std::string record =
      std::to_string(run.status) + "\n" + run.output + "--\n" + ReadBytes(folder.File("stderr"));
  const std::string name = folder.File("");
  for (std::size_t at = record.find(name); at != std::string::npos; at = record.find(name, at)) {
    record.replace(at, name.size(), "");
  }
  return record;
}

TEST(CliJobs, ConvertBatchOnTwoJobsWritesAndPrintsWhatOneJobDoes) {
  ScratchFolder folder;
  std::vector<std::string> files;
  for (int i = 0; i < 11; ++i) {
    const std::string value = std::to_string(i);
    files.push_back(folder.Write(
        "f" + value + ".trc", i == 6
                                  ? "PathFileType\t4\t(X-Y-Z)\r\n"
                                  : TrcText(30, 0, 2, 1, {{"M" + value, {value + "\t2\t3", ""}}})));
  }
  std::string record[2];
  for (int jobs = 1; jobs <= 2; ++jobs) {
    std::vector<std::string> arguments = {"convert", "--out-dir", folder.File("out"),  "--format",
                                          "csv",     "--jobs",    std::to_string(jobs)};
    arguments.insert(arguments.end(), files.begin(), files.end());
    record[jobs - 1] = Record(folder, arguments);
    for (int i = 0; i < 11; ++i) {
      const std::string csv = folder.File("out/f" + std::to_string(i) + ".csv");
      record[jobs - 1].append(std::filesystem::exists(csv) ? ReadBytes(csv) : "none\n");
    }
    std::filesystem::remove_all(folder.File("out"));
  }
  EXPECT_EQ(record[0], record[1]);
  EXPECT_TRUE(record[1].starts_with("1\nwrote out/f0.csv (1 markers, 2 frames")) << record[1];
  // No progress bar when standard error is not a terminal.
  EXPECT_NE(record[1].find("\n--\nzarfileio: f6.trc: "), std::string::npos) << record[1];
  EXPECT_NE(record[1].find("\n10 converted, 1 failed:\n  f6.trc\n"), std::string::npos)
      << record[1];

  // Two inputs that would make one output: nothing is converted.
  const std::string other = folder.Write("other/f0.trc", ReadBytes(files[0]));
  const std::string refused = Record(
      folder, {"convert", "--out-dir", folder.File("out"), "--format", "csv", files[0], other});
  EXPECT_TRUE(refused.starts_with("2\n--\nzarfileio: f0.trc and other/f0.trc would both be "))
      << refused;
  EXPECT_FALSE(std::filesystem::exists(folder.File("out/f0.csv")));
}

TEST(CliJobs, ProgressBarOnlyOnATerminalAndOnlyForLongWork) {
  struct Case {
    bool terminal;
    std::chrono::milliseconds delay;
    std::string drawn;
  };
  const std::string half = std::string(20, '#') + std::string(20, ' ');
  const Case cases[] = {
      {false, std::chrono::milliseconds(0), ""},
      {true, std::chrono::hours(1), ""},
      {true, std::chrono::milliseconds(0),
       "\rwork [" + std::string(40, ' ') + "] 0%\rwork [" + half + "] 50%\r\033[K\rwork [" + half +
           "] 50%\rwork [" + std::string(40, '#') + "] 100%\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    cli::ProgressBar bar(out, c.terminal, c.delay);
    for (const int percent : {0, 50, 50, -1, 50, 120}) {
      // -1: a message is to be printed on the bar's line.
      if (percent < 0) {
        bar.Clear();
      } else {
        bar.Show("work", percent);
      }
    }
    bar.End();
    EXPECT_EQ(out.str(), c.drawn);
  }
}

}  // namespace
}  // namespace zar::testing
