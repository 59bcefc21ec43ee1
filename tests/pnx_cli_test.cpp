// zarfileio pnx convert and mnm create, run as a person runs them: every readable sample TRC
// converted with and without an MNM file and read back number for number, the flags that
// become the panel's entries, exit statuses, and a mapping made by the creator and then used.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/filelib_test_support.h"
#include "tests/sample_oracle.h"
#include "tests/utilities_test_support.h"

namespace zar::testing {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted.append("'\\''");
    } else {
      quoted.push_back(c);
    }
  }
  quoted.push_back('\'');
  return quoted;
}

std::vector<std::string> PnxLines(const std::string& path) {
  std::vector<std::string> lines;
  const std::string text = ReadBytes(path);
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return lines;
}

bool HasBlank(const std::string& name) { return name.find_first_of(" \t") != std::string::npos; }

class PnxCliTest : public ::testing::Test {
 protected:
  Outcome Zarfileio(const std::vector<std::string>& arguments) {
    std::string command = "ZARFILEIO_REGISTRY=";
    command.append(Quote(folder_.File("registry.json"))).append(" ");
    command.append(Quote(std::string(ZAR_BINARY_DIR) + "/cli/zarfileio"));
    for (const std::string& argument : arguments) command.append(" ").append(Quote(argument));
    command.append(" >").append(Quote(folder_.File("stdout")));
    command.append(" 2>").append(Quote(folder_.File("stderr")));
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(folder_.File("stdout")),
            ReadBytes(folder_.File("stderr"))};
  }
  std::string Path(const std::string& name) const { return folder_.File(name); }
  std::string Write(const std::string& name, const std::string& text) {
    return folder_.Write(name, text);
  }
  // Copies of the shared sample TRC files, each with what it holds.
  std::vector<std::pair<std::string, const TrcSampleFacts*>> Samples() {
    std::filesystem::create_directories(Path("in"));
    std::vector<std::pair<std::string, const TrcSampleFacts*>> copies;
    for (const TrcSampleFacts& facts : TrcSamples()) {
      const std::string copy = Path(std::string("in/") + facts.file);
      std::filesystem::copy_file(SamplePath(std::string("trc/") + facts.file), copy);
      copies.emplace_back(copy, &facts);
    }
    return copies;
  }

  // Checks a PNX file against the text of its TRC file: the markers `mapping` selects (all when
  // empty) under their mapped names, `frames` frames from `start`, every coordinate as "%f" in
  // Modra's axes.
  void ExpectPnxOfTrc(const std::string& pnx, const std::string& trc,
                      const std::map<std::string, std::string>& mapping, int start, int frames) {
    SCOPED_TRACE(trc);
    const std::vector<SplitMarker> markers = SplitTrc(trc);
    std::vector<const SplitMarker*> selected;
    std::string names;
    for (const SplitMarker& marker : markers) {
      const auto mapped = mapping.find(marker.name);
      if (!mapping.empty() && mapped == mapping.end()) continue;
      selected.push_back(&marker);
      names.append(mapping.empty() ? marker.name : mapped->second).push_back(' ');
    }
    const std::vector<std::string> lines = PnxLines(pnx);
    ASSERT_EQ(lines.size(), 17 + 2 * static_cast<std::size_t>(frames));
    EXPECT_EQ(lines[9], "$NumMarkers " + std::to_string(selected.size()));
    EXPECT_EQ(lines[14], names);
    for (std::size_t k = 0; k < static_cast<std::size_t>(frames); ++k) {
      ASSERT_EQ(BlankJoined(lines[17 + 2 * k]),
                PnxFrameTokens(selected, start + static_cast<int>(k), k))
          << "frame " << k;
    }
  }
  // The batch's summary names every sample with nothing to convert as failed, and no PNX file
  // of it is written.
  void ExpectFailedSamplesNamed(
      const Outcome& run,
      const std::vector<std::pair<std::string, const TrcSampleFacts*>>& samples) {
    std::size_t failed = 0;
    for (const auto& [trc, facts] : samples) {
      if (facts->Convertible()) continue;
      ++failed;
      const std::string stem = std::filesystem::path(trc).stem().string();
      EXPECT_NE(run.err.find("  " + trc + ": The file "), std::string::npos) << run.err;
      EXPECT_FALSE(std::filesystem::exists(Path("out/" + stem + ".pnx"))) << trc;
    }
    EXPECT_NE(run.err.find(std::to_string(samples.size() - failed) + " converted, " +
                           std::to_string(failed) + " failed:"),
              std::string::npos)
        << run.err;
  }
  void ExpectPnxOfSample(const std::string& pnx, const std::string& trc,
                         const TrcSampleFacts& facts,
                         const std::map<std::string, std::string>& mapping) {
    ExpectPnxOfTrc(pnx, trc, mapping, facts.start_frame, facts.Frames());
  }

 private:
  ScratchFolder folder_;
};

TEST_F(PnxCliTest, EverySampleWithoutAMappingFile) {
  const auto samples = Samples();
  std::vector<std::string> arguments = {"pnx",       "convert",     "--out",
                                        Path("out"), "--no-filter", "--quiet"};
  std::filesystem::create_directories(Path("out"));
  for (const auto& sample : samples) arguments.push_back(sample.first);
  const Outcome run = Zarfileio(arguments);
  // The samples without markers or data lines fail; the others are converted.
  ASSERT_EQ(run.status, 1) << run.err;
  ExpectFailedSamplesNamed(run, samples);
  for (const auto& [trc, facts] : samples) {
    if (!facts->Convertible()) continue;
    const std::string stem = std::filesystem::path(trc).stem().string();
    EXPECT_NE(run.out.find(trc + " -> " + Path("out/" + stem + ".pnx")), std::string::npos);
    ExpectPnxOfSample(Path("out/" + stem + ".pnx"), trc, *facts, {});
  }
}

TEST_F(PnxCliTest, EverySampleWithAMappingFile) {
  const auto samples = Samples();
  // Every other marker name of every sample, renamed; empty names and names with blanks cannot
  // be mapped (an MNM line holds two names separated by blanks or tabs).
  std::map<std::string, std::string> mapping;
  std::string mnm;
  for (const auto& sample : samples) {
    const std::vector<SplitMarker> markers = SplitTrc(sample.first);
    for (std::size_t m = 0; m < markers.size(); m += 2) {
      const std::string& name = markers[m].name;
      if (name.empty() || HasBlank(name) || mapping.count(name) != 0) continue;
      std::string pnx_name(1, 'P');
      pnx_name.append(std::to_string(mapping.size()));
      mapping[name] = pnx_name;
      mnm.append(pnx_name).append("\t").append(name).append("\t\r\n");
    }
  }
  ASSERT_GT(mapping.size(), 50u);
  const std::string map_file = Write("samples.mnm", mnm);
  std::vector<std::string> arguments = {"pnx",   "convert", "--out",  Path("out"),
                                        "--mnm", map_file,  "--quiet"};
  std::filesystem::create_directories(Path("out"));
  for (const auto& sample : samples) arguments.push_back(sample.first);
  const Outcome run = Zarfileio(arguments);
  ASSERT_EQ(run.status, 1) << run.err;
  ExpectFailedSamplesNamed(run, samples);
  for (const auto& [trc, facts] : samples) {
    if (!facts->Convertible()) continue;
    const std::string stem = std::filesystem::path(trc).stem().string();
    ExpectPnxOfSample(Path("out/" + stem + ".pnx"), trc, *facts, mapping);
  }
}

TEST_F(PnxCliTest, SingleFileWithOffsetInModraSpaceAndAskedName) {
  const std::string trc = Write("m.trc", TrcText(30, 0, 1, 1, {{"M", {"10\t20\t30"}}}));
  std::filesystem::create_directories(Path("out"));
  const Outcome run = Zarfileio({"pnx", "convert", trc, "--no-filter", "--offset", "1", "2", "3",
                                 "--modra-space", "--ask-name", "--out", Path("out")});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = PnxLines(Path("out/m.pnx"));
  ASSERT_EQ(lines.size(), 19u);
  EXPECT_EQ(lines[17], "1\t11.000000\t-28.000000\t23.000000\t");
  EXPECT_FALSE(std::filesystem::exists(Path("m.pnx")));
  // The settings stay for the next run: the offset applies again, now beside the TRC file.
  const Outcome again = Zarfileio({"pnx", "convert", trc});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(PnxLines(Path("m.pnx")).at(17), "1\t11.000000\t-28.000000\t23.000000\t");
  const Outcome plain = Zarfileio({"pnx", "convert", trc, "--no-offset"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(PnxLines(Path("m.pnx")).at(17), "1\t10.000000\t-30.000000\t20.000000\t");
}

TEST_F(PnxCliTest, ProblemsAndTheirExitStatuses) {
  const std::string bad = Write("bad.trc", "PathFileType\t4\t(X-Y-Z)\r\n");
  const std::string good = Write("good.trc", TrcText(30, 0, 1, 1, {{"M", {"1\t2\t3"}}}));
  std::filesystem::create_directories(Path("other"));
  const std::string elsewhere = Write("other/x.trc", TrcText(30, 0, 1, 1, {{"M", {"1\t2\t3"}}}));

  const Outcome unreadable = Zarfileio({"pnx", "convert", bad, "--no-filter"});
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_NE(
      unreadable.err.find("ConvertPNX Error: " + bad +
                          ": The file is does not have a compatible \"(X/Y/Z)\" header state"),
      std::string::npos)
      << unreadable.err;

  const Outcome no_mapping = Zarfileio({"pnx", "convert", good, "--filter"});
  EXPECT_EQ(no_mapping.status, 1);
  EXPECT_NE(no_mapping.err.find("ConvertPNX Error: <none>: The file could not be opened"),
            std::string::npos)
      << no_mapping.err;

  const Outcome missing_mnm = Zarfileio({"pnx", "convert", good, "--mnm", Path("none.mnm")});
  EXPECT_EQ(missing_mnm.status, 1);
  EXPECT_NE(missing_mnm.err.find("none.mnm: The file could not be opened: No such file"),
            std::string::npos)
      << missing_mnm.err;

  std::filesystem::create_directories(Path("out"));
  const Outcome batch =
      Zarfileio({"pnx", "convert", good, bad, "--out", Path("out"), "--no-filter", "--quiet"});
  EXPECT_EQ(batch.status, 1);
  EXPECT_TRUE(std::filesystem::exists(Path("out/good.pnx")));
  EXPECT_NE(batch.err.find("1 converted, 1 failed:\n  " + bad + ": The file is does not have"),
            std::string::npos)
      << batch.err;

  EXPECT_EQ(Zarfileio({"pnx", "convert", good, elsewhere, "--out", Path("out")}).status, 2);
  EXPECT_EQ(Zarfileio({"pnx", "convert", good, "--modra-space"}).status, 2);
  EXPECT_EQ(Zarfileio({"pnx", "convert", good, "--offset", "1", "x", "3"}).status, 2);
  EXPECT_EQ(Zarfileio({"pnx", "convert", Path("missing.trc")}).status, 1);
}

TEST_F(PnxCliTest, BatchEndsWithASummaryAndDrawsNoBarIntoALog) {
  const std::string a = Write("a.trc", TrcText(30, 0, 1, 1, {{"M", {"1\t2\t3"}}}));
  const std::string b = Write("b.trc", TrcText(30, 0, 1, 1, {{"M", {"1\t2\t3"}}}));
  const Outcome run = Zarfileio({"pnx", "convert", a, b, "--out", Path("out"), "--no-filter"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find('\r'), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("2 converted, 0 failed\n"), std::string::npos) << run.err;
}

// What a batch leaves and prints, with the output folder's name and the times taken out.
std::string BatchRecord(const Outcome& run, const std::string& out) {
  std::string record = std::to_string(run.status) + "\n" + run.out + run.err;
  for (std::size_t at = record.find(out); at != std::string::npos; at = record.find(out, at)) {
    record.replace(at, out.size(), "OUT");
  }
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    record.append("== ").append(name).append("\n");
    const std::vector<std::string> lines = PnxLines(out + "/" + name);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      // The log's second line and a PNX file's $DateTime line hold the time of the run.
      const bool time =
          (name == "ConvertPNXLog.txt" && i == 1) || lines[i].starts_with("$DateTime");
      if (!time) record.append(lines[i]).append("\n");
    }
  }
  return record;
}

TEST_F(PnxCliTest, BatchOnTwoJobsLeavesAndPrintsWhatOneJobDoes) {
  std::filesystem::create_directories(Path("in"));
  std::vector<std::string> files;
  for (int i = 0; i < 13; ++i) {
    const std::string value = std::to_string(i);
    const std::string text = i % 4 == 0 && i > 0
                                 ? "PathFileType\t4\t(X-Y-Z)\r\n"
                                 : TrcText(30, 0, 2, 1, {{"M" + value, {value + "\t2\t3", ""}}});
    files.push_back(Write("in/f" + std::to_string(10 + i) + ".trc", text));
  }
  // All of it, and a batch the user cancels after eight files.
  for (const std::string cancel : {"", "8"}) {
    SCOPED_TRACE("cancel after: " + cancel);
    std::string record[2];
    for (int jobs = 1; jobs <= 2; ++jobs) {
      const std::string out = Path("out" + cancel + "_" + std::to_string(jobs));
      std::vector<std::string> arguments = {
          "pnx", "convert", "--out", out, "--no-filter", "--jobs", std::to_string(jobs)};
      if (!cancel.empty()) arguments.insert(arguments.end(), {"--cancel-after", cancel});
      arguments.insert(arguments.end(), files.begin(), files.end());
      record[jobs - 1] = BatchRecord(Zarfileio(arguments), out);
    }
    EXPECT_EQ(record[0], record[1]);
    const std::string summary =
        (cancel.empty() ? "10 converted, 3 failed:\n  " : "7 converted, 6 failed:\n  ") + files[4] +
        ": The file is does not have";
    EXPECT_TRUE(record[1].starts_with("1\n")) << record[1];
    EXPECT_NE(record[1].find(summary), std::string::npos) << record[1];
    EXPECT_NE(record[1].find("  " + files[12] + (cancel.empty() ? ": The" : ": not converted")),
              std::string::npos)
        << record[1];
  }
}

TEST_F(PnxCliTest, MappingMadeByTheCreatorIsUsedByTheNextConversion) {
  // A scene with one sphere per marker, imported from a TRC file whose markers carry their own
  // names; the creator maps them to the standard names in the order it asks for them.
  const std::vector<std::string> standard = {
      "LFHD", "LBHD", "RBHD", "RFHD", "C7",   "CLAV", "STRN", "LSHO", "LELB", "LWRA",
      "LWRB", "LFIN", "RSHO", "RELB", "RWRA", "RWRB", "RFIN", "T10",  "LFWT", "LBWT",
      "RBWT", "RFWT", "LKNE", "LANK", "LMT5", "LTOE", "RKNE", "RANK", "RMT5", "RTOE"};
  std::vector<TrcColumn> columns;
  for (std::size_t i = 0; i < standard.size(); ++i) {
    const std::string v = std::to_string(i);
    columns.push_back({"own_" + standard[i], {v + "\t" + v + ".5\t-" + v}});
  }
  columns.push_back({"extra", {"9\t9\t9"}});
  const std::string trc = Write("body.trc", TrcText(60, 60, 1, 1, columns));
  const Outcome imported = Zarfileio({"import-trc", trc, "--scene", Path("body.scene")});
  ASSERT_EQ(imported.status, 0) << imported.err;

  const std::vector<int> optional = {9, 14, 18, 24, 26, 28, 31, 33, 35, 37, 38, 39, 40, 41, 42};
  std::vector<std::string> arguments = {"mnm",   "create",         "--scene", Path("body.scene"),
                                        "--out", Path("body.mnm"), "--"};
  std::size_t next = 0;
  for (int step = 0; step <= 42; ++step) {
    const int markers = step == 10 || step == 15 ? 2 : 1;
    for (int i = 0; i < markers; ++i) {
      const bool skip = std::find(optional.begin(), optional.end(), step) != optional.end();
      arguments.push_back(skip ? "skip" : "own_" + standard[next++]);
    }
  }
  const Outcome created = Zarfileio(arguments);
  ASSERT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.out, "wrote " + Path("body.mnm") + "\n");
  EXPECT_EQ(PnxLines(Path("body.mnm")).size(), 30u);
  EXPECT_EQ(PnxLines(Path("body.mnm")).at(0), "LFHD\town_LFHD\t");

  // The panel remembers the new file: the next conversion filters with it.
  const Outcome converted = Zarfileio({"pnx", "convert", trc, "--filter"});
  ASSERT_EQ(converted.status, 0) << converted.err;
  std::map<std::string, std::string> mapping;
  for (const std::string& name : standard) mapping["own_" + name] = name;
  ExpectPnxOfTrc(Path("body.pnx"), trc, mapping, 1, 1);

  // Picks that run out, an unknown node and an abort.
  const Outcome aborted = Zarfileio({"mnm", "create", "--scene", Path("body.scene"), "--out",
                                     Path("aborted.mnm"), "--", "nobody", "own_LFHD", "abort"});
  EXPECT_EQ(aborted.status, 1);
  EXPECT_NE(aborted.err.find("pick \"nobody\": missed"), std::string::npos) << aborted.err;
  EXPECT_FALSE(std::filesystem::exists(Path("aborted.mnm")));
  const Outcome short_run = Zarfileio({"mnm", "create", "--scene", Path("body.scene"), "--out",
                                       Path("short.mnm"), "--", "own_LFHD"});
  EXPECT_EQ(short_run.status, 1) << short_run.err;
  EXPECT_NE(short_run.err.find("the picks ran out"), std::string::npos) << short_run.err;
  EXPECT_FALSE(std::filesystem::exists(Path("short.mnm")));
  EXPECT_EQ(
      Zarfileio({"mnm", "create", "--scene", Path("none.scene"), "--out", Path("x.mnm")}).status,
      1);
}

}  // namespace
}  // namespace zar::testing
