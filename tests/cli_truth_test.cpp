// zarfileio as a user meets it: the paths it names, its verdicts, its exit statuses and messages,
// inputs that are no files, writes through links and over leftovers, help texts, and the
// README's example run as written.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "filelib_test_support.h"
#include "plugin_test_support.h"

namespace zar {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

using testing::Quoted;

const std::string kTool = std::string(ZAR_BINARY_DIR) + "/cli/zarfileio";

// Runs `shell` (where $T is the tool) in `folder`, with the registry kept there; a run that
// blocks is ended after 20 seconds (status 124) instead of hanging the suite.
Outcome Shell(const ScratchFolder& folder, const std::string& shell,
              const std::string& redirect_out = "") {
  const std::string out = folder.File(".out");
  const std::string err = folder.File(".err");
  std::string command =
      "cd " + Quoted(folder.Path().string()) + " && T=" + Quoted(kTool) +
      " ZARFILEIO_REGISTRY=${ZARFILEIO_REGISTRY:-registry.json} timeout 20 sh -c " + Quoted(shell);
  command.append(" >").append(redirect_out.empty() ? Quoted(out) : redirect_out);
  command.append(" 2>").append(Quoted(err));
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testing::ReadBytes(out), testing::ReadBytes(err)};
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A process id that no running process has: a child that has ended and been reaped.
pid_t DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

const std::string kFight = testing::SamplePath("htr/fight_a.htr");
const std::string kWalk = testing::BundledSamplePath("walk.htr");
const std::string kMarkers = testing::BundledSamplePath("markers.trc");

TEST(CliTruth, ConvertNamesTheFileWrittenAndRefusesWhatItCannotWrite) {
  ScratchFolder folder;
  const Outcome run = Shell(folder, "$T htr convert " + Quoted(kWalk) + " myout");
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(run.out.starts_with("wrote myout.htr (7 segments")) << run.out;
  EXPECT_TRUE(fs::exists(folder.File("myout.htr")));

  const struct {
    std::string target;
    std::string reason;
  } refused[] = {
      {"/dev/full", "/dev/full: The file could not be opened: not a regular file (a device)"},
      {"no/such/out.htr", "The file could not be opened: No such file or directory"},
  };
  for (const auto& row : refused) {
    const Outcome bad = Shell(folder, "$T htr convert " + Quoted(kWalk) + " " + row.target);
    EXPECT_EQ(1, bad.status) << row.target;
    EXPECT_TRUE(Has(bad.err, row.reason)) << bad.err;
    EXPECT_EQ("", bad.out);
  }
}

// A format error names the line of the file where the reader stopped, after the reader's own
// message.
TEST(CliTruth, FormatErrorsNameTheirLine) {
  ScratchFolder folder;
  std::ifstream in(kWalk, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t end = text.find("[EndOfFile]");
  ASSERT_NE(std::string::npos, end);
  const auto line =
      std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), '\n') + 1;
  // The frame line under an unknown segment's section is where the reader stops.
  folder.Write("bad.htr", text.substr(0, end) + "[Nope]\r\n1 0 0 0 0 0 0 1\r\n" + text.substr(end));
  folder.Write("bad.trc", "PathFileType\t4\tbad.trc\r\n");
  const Outcome htr = Shell(folder, "$T htr check bad.htr");
  EXPECT_EQ(1, htr.status);
  EXPECT_TRUE(
      Has(htr.out, "bad.htr: Segment name not found: Nope (line " + std::to_string(line + 1) + ")"))
      << htr.out;
  const Outcome trc = Shell(folder, "$T trc info bad.trc");
  EXPECT_EQ(1, trc.status);
  EXPECT_TRUE(Has(trc.err, " (line 1)")) << trc.err;
}

TEST(CliTruth, CheckCallsShortFilesIncompleteAndNamesTheOtherFormat) {
  ScratchFolder folder;
  std::ifstream in(kFight, std::ios::binary);
  std::string head(900000, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  folder.Write("t.htr", head);
  const struct {
    std::string command;
    std::string verdict;
  } rows[] = {
      {"$T htr check t.htr",
       "t.htr: incomplete: 11 of 22 segments hold fewer than the 1141 frames declared"},
      {"$T htr check " + Quoted(testing::SamplePath("trc/Gait.trc")),
       "The file holds no segments; it looks like a TRC file"},
      {"$T trc check " + Quoted(testing::SamplePath("trc/Empty.trc")), "The file is empty"},
      {"$T trc check " + Quoted(kFight), "; it looks like an HTR file"},
  };
  for (const auto& row : rows) {
    const Outcome run = Shell(folder, row.command);
    EXPECT_EQ(1, run.status) << row.command;
    EXPECT_TRUE(Has(run.out, row.verdict)) << run.out;
  }
}

TEST(CliTruth, StatusesAndMessagesOfBadInputsAndCommandLines) {
  ScratchFolder folder;
  ASSERT_EQ(0, ::mkfifo(folder.File("fifo.htr").c_str(), 0600));
  ASSERT_EQ(0, ::mkfifo(folder.File("fifo.trc").c_str(), 0600));
  fs::create_directory(folder.File("dir.htr"));
  const struct {
    std::string command;
    int status;
    std::string message;
  } rows[] = {
      // Inputs that are missing or no regular file: status 1 at once, with the reason.
      {"$T htr check nosuch.htr", 1, "nosuch.htr: The file could not be opened: No such file"},
      {"$T pnx convert nosuch.trc", 1, "nosuch.trc: The file could not be opened: No such file"},
      {"$T htr info fifo.htr", 1, "not a regular file (a FIFO)"},
      {"$T trc info fifo.trc", 1, "not a regular file (a FIFO)"},
      {"$T pnx convert fifo.trc", 1, "not a regular file (a FIFO)"},
      {"$T scene info fifo.trc", 1, "not a regular file (a FIFO)"},
      {"$T c3d check fifo.trc", 1, "not a regular file (a FIFO)"},
      {"$T c3d info dir.htr", 1, "not a regular file (a folder)"},
      {"$T c3d check nosuch.c3d", 1, "No such file or directory"},
      {"$T htr info dir.htr", 1, "not a regular file (a folder)"},
      {"$T trc check dir.htr", 1, "not a regular file (a folder)"},
      {"ZARFILEIO_REGISTRY=/dev/zero $T options show", 1, "not a regular file (a device)"},
      // Standard output that cannot be written.
      {"$T htr info " + Quoted(kWalk) + " >/dev/full", 1,
       "standard output could not be written: No space left on device"},
      // Command lines: unknown names are named, with the closest known one.
      {"$T htr chek x", 2, "htr: unknown command chek (did you mean check?)"},
      {"$T import-htr f --scnee x.json", 2,
       "import-htr: unknown flag --scnee (did you mean --scene?)"},
      {"$T htr", 2, "htr: a command is required: check, info, convert"},
  };
  for (const auto& row : rows) {
    const Outcome run = Shell(folder, row.command);
    EXPECT_EQ(row.status, run.status) << row.command << "\n" << run.err;
    EXPECT_TRUE(Has(run.out + run.err, row.message)) << row.command << "\n" << run.err;
  }
  const Outcome version = Shell(folder, "$T --version");
  EXPECT_EQ(0, version.status);
  EXPECT_TRUE(version.out.starts_with("zarfileio ")) << version.out;
}

TEST(CliTruth, WritesGoThroughSymbolicLinksAndClearLeftoversOfDeadWriters) {
  ScratchFolder folder;
  fs::create_directory(folder.File("real"));
  fs::create_symlink("real/out.htr", folder.File("out.htr"));
  fs::create_symlink("real/registry.json", folder.File("registry.json"));
  const std::string dead = std::to_string(DeadPid());
  const std::string alive = std::to_string(::getpid());
  for (const std::string& name :
       {"real/out.htr.~" + dead + ".0123456789ab.tmp",
        "real/out.htr.~" + alive + ".ba9876543210.tmp", "real/registry.json.tmp." + dead,
        std::string("real/out.htr.notes")}) {
    folder.Write(name, "left over");
  }

  const Outcome convert = Shell(folder, "$T htr convert " + Quoted(kWalk) + " out.htr");
  ASSERT_EQ(0, convert.status) << convert.err;
  const Outcome import =
      Shell(folder, "$T import-trc " + Quoted(kMarkers) + " --scene s.json --create");
  ASSERT_EQ(0, import.status) << import.err;

  EXPECT_TRUE(fs::is_symlink(folder.File("out.htr")));
  EXPECT_TRUE(fs::is_symlink(folder.File("registry.json")));
  EXPECT_TRUE(testing::ReadBytes(folder.File("real/out.htr")).starts_with("#"));
  EXPECT_TRUE(Has(testing::ReadBytes(folder.File("real/registry.json")), "zarfileio-registry"));
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder.File("real")))
    left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  const std::vector<std::string> expected = {
      "out.htr", "out.htr.notes", "out.htr.~" + alive + ".ba9876543210.tmp", "registry.json"};
  EXPECT_EQ(expected, left);
}

TEST(CliTruth, BatchEndsWithASummaryAndKeysNameNodesByPath) {
  ScratchFolder folder;
  fs::create_directory(folder.File("in"));
  fs::copy_file(kMarkers, folder.File("in/good.trc"));
  folder.Write("in/bad.trc", "[Header]\n");
  const Outcome batch =
      Shell(folder, "$T pnx convert in/good.trc in/bad.trc --no-filter --out pnx");
  EXPECT_EQ(1, batch.status);
  EXPECT_TRUE(fs::exists(folder.File("pnx/good.pnx")));
  EXPECT_TRUE(Has(batch.err, "1 converted, 1 failed:\n  " + folder.File("in/bad.trc") + ": "))
      << batch.err;
  EXPECT_FALSE(Has(batch.err, "\r")) << batch.err;

  // Two clouds: the second one's nodes repeat the first one's names.
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(0, Shell(folder,
                       "$T import-trc " + Quoted(kMarkers) + " --scene s.json --create --root-node")
                     .status);
  }
  const Outcome keys = Shell(folder, "$T scene keys s.json TRCCloud001/Head --seconds");
  EXPECT_EQ(0, keys.status) << keys.err;
  EXPECT_EQ("node TRCCloud001/Head, units 1 mm, 4800 ticks per second, times in seconds\n",
            keys.err);
  EXPECT_TRUE(keys.out.starts_with("P 0.033333 ")) << keys.out;
  const Outcome by_name = Shell(folder, "$T scene keys s.json Head");
  EXPECT_TRUE(Has(by_name.err, "2 nodes are named Head; showing TRCCloud/Head")) << by_name.err;
}

TEST(CliTruth, EveryHelpHasUsageDescriptionExamplesWithinEightyColumns) {
  ScratchFolder folder;
  for (const char* command :
       {"htr check", "htr info", "htr convert", "trc check", "trc info", "scene info", "scene keys",
        "pnx convert", "plugin info", "options show", "options reset"}) {
    const Outcome help = Shell(folder, "$T " + std::string(command) + " --help");
    EXPECT_EQ(0, help.status) << command;
    EXPECT_TRUE(help.out.starts_with("Usage: zarfileio " + std::string(command))) << help.out;
    EXPECT_TRUE(Has(help.out, "\nExamples:\n  zarfileio " + std::string(command))) << help.out;
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80U) << line;
  }
}

// The block under "A complete example" in README.md, run as written from a folder laid out as
// a fresh clone after its build (the tool and the bundled samples where the README expects them).
// A copy of `sample` in `folder` with its text edited: each `from` replaced by its `to`.
std::string EditedCopy(const ScratchFolder& folder, const std::string& sample,
                       const std::string& name,
                       const std::vector<std::pair<std::string, std::string>>& edits) {
  std::string text = testing::ReadBytes(sample);
  for (const auto& [from, to] : edits) {
    const std::size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
  }
  return folder.Write(name, text);
}

// An HTR file whose header declares 5 frames while each segment holds 3.
std::string ShortHtr(const ScratchFolder& folder) {
  std::istringstream in(testing::ReadBytes(kWalk));
  std::string text;
  std::string line;
  std::string section;
  int frames = 0;
  while (std::getline(in, line)) {
    if (line.starts_with("[")) {
      section = line;
      frames = 0;
    }
    const bool frame_line = !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]));
    const bool segment = section != "[Header]" && section != "[SegmentNames&Hierarchy]" &&
                         section != "[BasePosition]";
    if (frame_line && segment && ++frames > 3) continue;
    text += line.starts_with("NumFrames") ? "NumFrames 5\r" : line;
    text += "\n";
  }
  return folder.Write("short.htr", text);
}

TEST(CliTruth, WroteLinesAndSummariesDescribeTheFileAsWritten) {
  ScratchFolder folder;
  ShortHtr(folder);
  for (const std::string command :
       {"$T htr convert short.htr out1.htr", "$T convert short.htr out2.htr"}) {
    const Outcome run = Shell(folder, command);
    ASSERT_EQ(0, run.status) << command << "\n" << run.err;
    EXPECT_TRUE(Has(run.out, "7 segments, 3 frames")) << run.out;
  }
  for (const char* written : {"out1.htr", "out2.htr"}) {
    EXPECT_TRUE(Has(testing::ReadBytes(folder.File(written)), "NumFrames 3")) << written;
  }
  // A rate with a fraction is shown as the file gives it.
  EditedCopy(folder, kMarkers, "ntsc.trc", {{"60.00\t60.00\t20", "119.88\t119.88\t20"}});
  const Outcome check = Shell(folder, "$T trc check ntsc.trc");
  EXPECT_TRUE(Has(check.out, ", 119.88 frames/s,")) << check.out;
  const Outcome info = Shell(folder, "$T trc info ntsc.trc");
  EXPECT_TRUE(Has(info.out, "data rate: 119.88\ncamera rate: 119.88\n")) << info.out;
}

// Each flag that a command, or the way it runs, does not use is refused, naming the flag, and
// nothing is written.
TEST(CliTruth, FlagsThatARunDoesNotUseAreRefused) {
  ScratchFolder folder;
  fs::copy_file(kMarkers, folder.File("m.trc"));
  fs::copy_file(kWalk, folder.File("w.htr"));
  const struct {
    std::string command;
    std::string refused;
  } rows[] = {
      {"$T pnx convert m.trc --no-filter --jobs 2", "--jobs is not used with one TRC file"},
      {"$T pnx convert m.trc --no-filter --batch --ask-name --out o --jobs 2",
       "--jobs is not used with --ask-name"},
      {"$T convert m.trc o.csv --jobs 2", "--jobs is not used without --out-dir"},
      {"$T convert m.trc o.csv --names descriptions", "--names is not used without a C3D"},
      {"$T convert m.trc o.csv --node Head", "--node is not used without a scene document"},
      {"$T convert m.trc --out-dir o --format csv --node Head", "--node is not used"},
      {"$T import-trc m.trc --scene o.json --create --select Head", "--select excludes --create"},
      {"$T import-htr w.htr --scene o.json --create --select Pelvis", "--select excludes --create"},
      {"$T import-htr w.htr --scene o.json --no-prompts --defaults", "--defaults"},
      {"$T import-trc m.trc --scene o.json --no-prompts --defaults", "--defaults"},
      {"$T export-htr o.htr --scene o.json --select Pelvis --no-prompts --defaults", "--defaults"},
      {"$T export-htr o.htr --scene o.json --select Pelvis --no-animation --from 3",
       "--no-animation excludes --from"},
      {"$T export-htr o.htr --scene o.json --select Pelvis --no-animation --offset 5",
       "--no-animation excludes --offset"},
  };
  for (const auto& row : rows) {
    const Outcome run = Shell(folder, row.command);
    EXPECT_EQ(2, run.status) << row.command << "\n" << run.err;
    EXPECT_TRUE(Has(run.err, row.refused)) << row.command << "\n" << run.err;
    for (const char* output : {"o", "o.csv", "o.json", "o.htr", "m.pnx"}) {
      EXPECT_FALSE(fs::exists(folder.File(output))) << row.command << " wrote " << output;
    }
  }
}

TEST(CliTruth, PnxConvertOfOneFileWritesIntoTheOutFolder) {
  ScratchFolder folder;
  fs::copy_file(kMarkers, folder.File("m.trc"));
  const Outcome single = Shell(folder, "$T pnx convert m.trc --no-filter --out single");
  ASSERT_EQ(0, single.status) << single.err;
  EXPECT_TRUE(Has(single.out, "m.trc -> " + folder.File("single/m.pnx"))) << single.out;
  EXPECT_TRUE(fs::exists(folder.File("single/m.pnx")));
  EXPECT_FALSE(fs::exists(folder.File("m.pnx")));
  const Outcome batch = Shell(folder, "$T pnx convert m.trc --no-filter --out batch --batch");
  ASSERT_EQ(0, batch.status) << batch.err;
  EXPECT_TRUE(fs::exists(folder.File("batch/m.pnx")));
  EXPECT_FALSE(fs::exists(folder.File("m.pnx")));
  // Without --out the file goes beside its TRC file, as before: --out left no trace.
  const Outcome beside = Shell(folder, "$T pnx convert m.trc --no-filter");
  ASSERT_EQ(0, beside.status) << beside.err;
  EXPECT_TRUE(fs::exists(folder.File("m.pnx")));
}

TEST(CliTruth, ConvertNeverWritesOverItsInput) {
  ScratchFolder folder;
  fs::create_directory(folder.File("d"));
  fs::copy_file(kMarkers, folder.File("d/m.trc"));
  fs::create_symlink("d/m.trc", folder.File("link.trc"));
  const std::string before = testing::ReadBytes(folder.File("d/m.trc"));
  for (const std::string command :
       {"$T convert d/m.trc d/m.trc", "$T convert d/m.trc ./d/../d/m.trc",
        "$T convert d/m.trc \"$PWD/d/m.trc\"", "$T convert link.trc d/m.trc",
        "$T convert d/m.trc --out-dir d --format trc",
        "$T convert d/m.trc --out-dir ./d/../d/ --format trc"}) {
    const Outcome run = Shell(folder, command);
    EXPECT_EQ(2, run.status) << command << "\n" << run.err;
    EXPECT_TRUE(Has(run.err, "it would be replaced")) << command << "\n" << run.err;
    EXPECT_EQ("", run.out) << command;
  }
  // A batch whose output is another input (here a hard link to it) is refused too.
  ASSERT_EQ(0, Shell(folder, "$T convert d/m.trc d/m.c3d").status);
  fs::create_hard_link(folder.File("d/m.trc"), folder.File("h.trc"));
  const Outcome other = Shell(folder, "$T convert d/m.c3d h.trc --out-dir d --format trc");
  EXPECT_EQ(2, other.status) << other.err;
  EXPECT_TRUE(Has(other.err, "d/m.trc is the input h.trc; it would be replaced")) << other.err;
  EXPECT_EQ(before, testing::ReadBytes(folder.File("d/m.trc")));
  EXPECT_EQ(0, Shell(folder, "$T convert d/m.trc d/copy.trc").status);
}

// Keys the offset would push past the host's time line: refused, nothing saved; the last
// offset that fits keeps every key.
TEST(CliTruth, ImportTrcRefusesAnOffsetThatPushesKeysOffTheTimeLine) {
  ScratchFolder folder;
  // 160 ticks a frame at 30 frames/s: frame 13421772 is the last a 32-bit tick count holds, and
  // the sample's 20 frames from frame 1 end there with an offset of 13421752.
  const Outcome past = Shell(folder, "$T import-trc " + Quoted(kMarkers) +
                                         " --scene past.json --create --offset 13421753");
  EXPECT_EQ(1, past.status) << past.err;
  EXPECT_TRUE(Has(past.err, "keys outside the scene's time range")) << past.err;
  EXPECT_FALSE(fs::exists(folder.File("past.json")));
  const Outcome last = Shell(folder, "$T import-trc " + Quoted(kMarkers) +
                                         " --scene last.json --create --offset 13421752");
  ASSERT_EQ(0, last.status) << last.err;
  const Outcome keys = Shell(folder, "$T scene keys last.json Head");
  EXPECT_EQ(20, std::count(keys.out.begin(), keys.out.end(), '\n')) << keys.out;
}

// A run the importer fails after its options dialog accepted them leaves the stored options as
// they were, and says so after the failure.
TEST(CliTruth, AFailedImportSaysTheOptionsWereNotStored) {
  ScratchFolder folder;
  const Outcome run =
      Shell(folder, "$T import-htr " + Quoted(kWalk) + " --scene s.json --apply --scale 2");
  EXPECT_EQ(1, run.status) << run.err;
  const std::size_t failure = run.err.find("Please select the root of a skeleton");
  const std::size_t warning = run.err.find("zarfileio: options not stored: ");
  ASSERT_NE(std::string::npos, failure) << run.err;
  ASSERT_NE(std::string::npos, warning) << run.err;
  EXPECT_LT(failure, warning) << run.err;
  const Outcome stored = Shell(folder, "$T options show ImportHTR");
  EXPECT_TRUE(Has(stored.out, "no key")) << stored.out;
  // A run refused before the dialog saved anything has nothing to say about it.
  const Outcome missing = Shell(folder, "$T import-htr nosuch.htr --scene s.json --scale 2");
  EXPECT_EQ(1, missing.status);
  EXPECT_FALSE(Has(missing.err, "options not stored")) << missing.err;
}

TEST(CliTruth, MessagesGiveTheReasonAndTheRange) {
  ScratchFolder folder;
  fs::copy_file(kMarkers, folder.File("m.trc"));
  ASSERT_EQ(0, ::mkfifo(folder.File("fifo.mnm").c_str(), 0600));
  ASSERT_EQ(0, Shell(folder, "$T import-htr " + Quoted(kWalk) + " --scene w.json").status);
  // Every write beyond 512 bytes fails with "File too large" (the signal it would raise is
  // ignored).
  const std::string limited = "trap '' XFSZ; ulimit -f 1; ";
  const struct {
    std::string command;
    int status;
    std::string message;
  } rows[] = {
      {"$T pnx convert m.trc --batch --jobs 0", 2,
       "--jobs: takes a whole number of processes from 1 to 256, not 0"},
      {"$T convert m.trc --out-dir o --format csv --jobs 100000", 2, "from 1 to 256"},
      {"$T import-htr " + Quoted(kWalk) + " --scene s.json --scale inf", 2,
       "--scale: must be a finite, non-zero number, not inf"},
      {"$T import-trc m.trc --scene s.json --size nan", 2, "--size: must be a finite, non-zero"},
      {"$T htr convert " + Quoted(kWalk) + " o.htr --scale inf", 2, "must be a finite, non-zero"},
      {"$T pnx convert m.trc --mnm fifo.mnm", 1,
       "fifo.mnm: The file could not be opened: not "
       "a regular file (a FIFO)"},
      {limited + "$T convert m.trc o.csv", 1,
       "o.csv: The file could not be written: File too "
       "large"},
      {limited + "$T convert " + Quoted(kWalk) + " o.glb", 1, "File too large"},
      {limited + "$T htr convert " + Quoted(kWalk) + " o.htr", 1,
       "o.htr: The file could not be written: File too large"},
      {limited + "$T export-htr o.htr --scene w.json --select Pelvis", 1, "o.htr: File too large"},
      {limited + "$T import-htr " + Quoted(kWalk) + " --scene s.json", 1,
       "s.json: cannot be written: File too large"},
      {limited + "$T pnx convert m.trc --no-filter", 1, "not converted: File too large"},
  };
  for (const auto& row : rows) {
    const Outcome run = Shell(folder, row.command);
    EXPECT_EQ(row.status, run.status) << row.command << "\n" << run.err;
    EXPECT_TRUE(Has(run.err, row.message)) << row.command << "\n" << run.err;
  }
}

// A scene whose animation range is longer than any file can hold is refused before anything is
// sampled: a count past the 32-bit one the file declares (it would be written short of it), and
// frames that cannot fit on the disk (they would be sampled and written for hours first).
TEST(CliTruth, ExportsOfRangesNoFileCanHoldAreRefusedAtOnce) {
  ScratchFolder folder;
  ASSERT_EQ(0, Shell(folder, "$T import-htr " + Quoted(kWalk) + " --scene w.json").status);
  const std::string scene = testing::ReadBytes(folder.File("w.json"));
  const std::string range = R"("animationRange": [160,1920])";
  ASSERT_TRUE(Has(scene, range) && Has(scene, R"("frameRate": 30)"));
  const auto with_range = [&](const std::string& name, const std::string& ticks) {
    std::string text = scene;
    text.replace(text.find(range), range.size(), R"("animationRange": )" + ticks);
    text.replace(text.find(R"("frameRate": 30)"), 15, R"("frameRate": 4800)");
    std::ofstream(folder.File(name), std::ios::binary) << text;
  };
  with_range("all.json", "[0,2147483647]");
  with_range("one_less.json", "[1,2147483647]");
  const struct {
    std::string scene;
    std::string message;
  } rows[] = {
      {"all.json", "holds 2147483648 frames (0 to 2147483647); an HTR file declares at most"},
      {"one_less.json", "The HTR file needs at least 992138 MB for its frames and its disk has"},
  };
  for (const auto& row : rows) {
    const Outcome run =
        Shell(folder, "$T export-htr o.htr --scene " + row.scene + " --select Pelvis --slider");
    EXPECT_EQ(1, run.status) << row.scene << "\n" << run.err;
    EXPECT_TRUE(Has(run.err, row.message)) << row.scene << "\n" << run.err;
    EXPECT_FALSE(fs::exists(folder.File("o.htr"))) << row.scene;
  }
  // A range that fits on the disk but not in the memory the run may take is a failure of the
  // export, said as such (it was "the input: too large to read"). The address sanitizer's
  // reservations allow no bound on the address space, and the disk must hold the frames.
#if !defined(__SANITIZE_ADDRESS__)
  std::error_code error;
  if (fs::space(folder.Path(), error).available > (std::uintmax_t{3} << 30) && !error) {
    with_range("long.json", "[1,3000000]");  // 3000000 frames of 7 segments
    const Outcome run = Shell(
        folder, "ulimit -v 300000; $T export-htr o.htr --scene long.json --select Pelvis --slider");
    EXPECT_EQ(1, run.status) << run.err;
    EXPECT_TRUE(Has(run.err, "There is not enough memory to export 3000000 frames of 7 segments"))
        << run.err;
    EXPECT_FALSE(fs::exists(folder.File("o.htr")));
  }
#endif
}

// A second run waiting for a scene document another run holds says so after a second, then
// goes on once it is free.
TEST(CliTruth, AWaitForAHeldSceneIsSaid) {
  ScratchFolder folder;
  const Outcome run = Shell(folder, "flock s.json.lock sleep 3 & sleep 0.3; $T import-trc " +
                                        Quoted(kMarkers) + " --scene s.json --create; wait");
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(Has(run.err, "zarfileio: waiting for s.json, locked by another run")) << run.err;
  EXPECT_TRUE(fs::exists(folder.File("s.json")));
}

TEST(CliTruth, ReadmeExampleRunsAsWritten) {
  std::ifstream readme(std::string(ZAR_SOURCE_DIR) + "/README.md");
  std::string line;
  std::string block;
  bool in_section = false;
  bool in_block = false;
  while (std::getline(readme, line)) {
    if (line.starts_with("## ")) in_section = line == "## A complete example";
    if (!in_section) continue;
    if (line.starts_with("```")) {
      if (in_block) break;
      in_block = line == "```sh";
      continue;
    }
    if (in_block) block += line + "\n";
  }
  ASSERT_TRUE(Has(block, "mnm create")) << block;

  ScratchFolder folder;
  fs::create_directories(folder.File("build/default/cli"));
  fs::create_symlink(kTool, folder.File("build/default/cli/zarfileio"));
  fs::create_directory_symlink(std::string(ZAR_SOURCE_DIR) + "/samples", folder.File("samples"));
  folder.Write("example.sh", "set -e\n" + block);
  const Outcome run = Shell(folder, "unset ZARFILEIO_REGISTRY; sh example.sh");
  EXPECT_EQ(0, run.status) << run.out << run.err;
  for (const char* written : {"example/walk_out.htr", "example/pnx/markers.pnx", "example/my.mnm"})
    EXPECT_GT(fs::file_size(folder.File(written)), 0U) << written;
}

}  // namespace
}  // namespace zar
