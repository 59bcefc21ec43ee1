// zarfileio import-htr, import-trc, export-htr and mnm, run as a separate process the way a user
// runs them: entries their dialogs cannot take, remembered options, inputs that are not files,
// frame rates, the files they name, the MNM creator's steps, and their help.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "filelib_test_support.h"
#include "plugin_test_support.h"

namespace {

using zar::testing::Quoted;
using zar::testing::RunResult;

const std::string kTool = ZAR_TOOL_FILE;
const std::string kData = ZAR_TEST_DATA_DIR;
const std::string kThreeMarkers = kData + "/import_trc/three_markers.trc";  // 60 Hz
const std::string kTwoBones = kData + "/export_htr/two_bones.htr";

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class DialogCommandsTest : public zar::testing::RegistryTest {
 protected:
  std::string Path(const std::string& name) const { return (Folder() / name).string(); }
  // Standard output and error together.
  static RunResult Tool(const std::string& arguments) {
    return zar::testing::Run(Quoted(kTool) + " " + arguments + " 2>&1");
  }
  static RunResult StandardOutput(const std::string& arguments) {
    return zar::testing::Run(Quoted(kTool) + " " + arguments + " 2>/dev/null");
  }
  RunResult ImportTrc(const std::string& more, const std::string& scene = "s.json") {
    return Tool("import-trc " + Quoted(kThreeMarkers) + " --scene " + Quoted(Path(scene)) + " " +
                more);
  }
};

TEST_F(DialogCommandsTest, AnEntryTheDialogCannotTakeFailsNamingTheFlags) {
  struct Case {
    std::string arguments;
    std::string message;
  };
  const std::string trc = "import-trc " + Quoted(kThreeMarkers);
  const std::string htr = "import-htr " + Quoted(kTwoBones);
  for (const Case& c : {
           Case{trc + " --apply --size 5 --point --root-node",
                "--root-node and --point and --size cannot go with --apply: they are taken only "
                "in create mode"},
           Case{trc + " --apply --no-root-node", "--no-root-node cannot go with --apply"},
           Case{trc + " --selected-only", "--selected-only cannot be used in create mode"},
           Case{htr + " --apply --segment-size 2", "--segment-size cannot go with --apply"},
           Case{htr + " --no-animation --from 2", "--from cannot go with --no-animation"},
       }) {
    SCOPED_TRACE(c.arguments);
    const RunResult run = Tool(c.arguments + " --scene " + Quoted(Path("r.json")));
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run.output, "zarfileio: " + c.message)) << run.output;
    EXPECT_FALSE(std::filesystem::exists(Path("r.json")));
    EXPECT_TRUE(Values(ClassKey("ImportTRC")).empty());
    EXPECT_TRUE(Values(ClassKey("ImportHTR")).empty());
  }
  // A refused entry on an existing scene leaves the scene document as it was, byte for byte:
  // the refusal is known from the host's typed outcome, whatever words it is shown in.
  const std::string scene = Path("kept.json");
  ASSERT_EQ(Tool(htr + " --scene " + Quoted(scene)).status, 0);
  const std::string before = zar::testing::ReadBytes(scene);
  const RunResult refused =
      Tool(htr + " --scene " + Quoted(scene) + " --apply --select Hips --end-effectors");
  EXPECT_EQ(refused.status, 2) << refused.output;
  EXPECT_TRUE(Has(refused.output, "--end-effectors")) << refused.output;
  EXPECT_EQ(zar::testing::ReadBytes(scene), before);
  // Apply mode remembered from an earlier run disables the geometry as well.
  ASSERT_EQ(ImportTrc("").status, 0);
  ASSERT_EQ(ImportTrc("--apply").status, 0);
  const RunResult sized = ImportTrc("--size 5");
  EXPECT_EQ(sized.status, 2);
  EXPECT_TRUE(Has(sized.output,
                  "--size cannot be used in apply mode (the choice in force "
                  "without --create)"))
      << sized.output;
}

// Every flag the tool's help says a dialog takes only in one of its states is, run against the
// loaded plug-in, refused in the other state and taken in that one: the tool's account of which
// state enables which control cannot drift from the dialogs themselves.
TEST_F(DialogCommandsTest, FlagsTakenInOneStateAreRefusedByTheDialogInTheOther) {
  struct State {
    std::string said;  // as the help says it
    std::string enabling;
    std::string opposite;
  };
  const State states[] = {{"(only in create mode)", "--create", "--apply"},
                          {"(only in apply mode)", "--apply", "--create"},
                          {"(only with animation on)", "--animation", "--no-animation"}};
  struct Command {
    std::string run;  // the command and its input
    std::string help;
  };
  const Command commands[] = {{"import-htr " + Quoted(kTwoBones), "import-htr --help"},
                              {"import-trc " + Quoted(kThreeMarkers), "import-trc --help"},
                              {"export-htr " + Quoted(Path("e.htr")), "export-htr --help"}};
  ASSERT_EQ(
      Tool("import-htr " + Quoted(kTwoBones) + " --scene " + Quoted(Path("bones.json"))).status, 0);
  int checked = 0;
  for (const Command& command : commands) {
    // The help's options, each with its continuation lines, on one line.
    std::vector<std::string> options;
    std::istringstream help(StandardOutput(command.help).output);
    for (std::string line; std::getline(help, line);) {
      if (line.starts_with("  -")) {
        options.push_back(line);
      } else if (!options.empty() && line.starts_with("      ")) {
        options.back() += " " + line.substr(line.find_first_not_of(' '));
      }
    }
    for (const std::string& option : options) {
      for (const State& state : states) {
        if (!Has(option, state.said)) continue;
        std::istringstream words(option);
        std::string flag, type;
        words >> flag >> type;
        const std::string value = type == "INT" ? " 1" : (type == "NUMBER" ? " 2" : "");
        const std::string scene = command.run.starts_with("export")
                                      ? " --select Hips --scene " + Quoted(Path("bones.json"))
                                      : " --scene " + Quoted(Path("fresh.json"));
        SCOPED_TRACE(command.run + " " + flag);
        const RunResult refused =
            Tool(command.run + scene + " " + state.opposite + " " + flag + value);
        EXPECT_EQ(refused.status, 2) << refused.output;
        EXPECT_TRUE(Has(refused.output, flag)) << refused.output;
        const RunResult taken =
            Tool(command.run + scene + " " + state.enabling + " " + flag + value);
        EXPECT_NE(taken.status, 2) << taken.output;
        std::filesystem::remove(Path("fresh.json"));
        ++checked;
      }
    }
  }
  // create/apply and animation flags of the three dialogs: a help that lost its notes would
  // check nothing.
  EXPECT_GE(checked, 12);
}

TEST_F(DialogCommandsTest, RememberedOptionsAreNamedAndFailedRunsStoreNone) {
  ASSERT_EQ(ImportTrc("--scale -1 --root-node").status, 0);
  const RunResult again = ImportTrc("--no-root-node");
  EXPECT_EQ(again.status, 0);
  EXPECT_TRUE(Has(again.output,
                  "zarfileio: using remembered options: scale -1 (options reset clears them)\n"))
      << again.output;
  // --defaults sets the remembered options aside; that run's options are remembered instead.
  const RunResult fresh = ImportTrc("--defaults");
  EXPECT_EQ(fresh.status, 0);
  EXPECT_FALSE(Has(fresh.output, "remembered")) << fresh.output;
  EXPECT_FALSE(Has(ImportTrc("").output, "remembered"));

  // The dialog accepted --apply, then the import failed: nothing of it is stored.
  const RunResult failed =
      Tool("import-htr " + Quoted(kTwoBones) + " --apply --scene " + Quoted(Path("h.json")));
  EXPECT_EQ(failed.status, 1) << failed.output;
  EXPECT_TRUE(Values(ClassKey("ImportHTR")).empty());
}

TEST_F(DialogCommandsTest, ScenesAndRegistriesThatAreNotFilesAreRefused) {
  const std::string import = Quoted(kTool) + " import-trc " + Quoted(kThreeMarkers);
  const RunResult zeroRegistry = zar::testing::Run("ZARFILEIO_REGISTRY=/dev/zero " + import +
                                                   " --scene " + Quoted(Path("z.json")) + " 2>&1");
  EXPECT_EQ(zeroRegistry.status, 1);
  EXPECT_TRUE(Has(zeroRegistry.output, "registry file /dev/zero: not a regular file"))
      << zeroRegistry.output;
  const RunResult zeroScene = ImportTrc("", "/dev/zero");
  EXPECT_EQ(zeroScene.status, 1);
  EXPECT_TRUE(Has(zeroScene.output, "not a regular file")) << zeroScene.output;
  // FIFOs without a writer, as the scene and as the file to import, are never opened.
  ASSERT_EQ(::mkfifo(Path("fifo.json").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(Path("fifo.trc").c_str(), 0600), 0);
  for (const std::string& run : {import + " --scene " + Quoted(Path("fifo.json")),
                                 Quoted(kTool) + " import-trc " + Quoted(Path("fifo.trc")) +
                                     " --scene " + Quoted(Path("i.json"))}) {
    const RunResult fifo = zar::testing::Run("timeout 60 " + run + " 2>&1");
    EXPECT_EQ(fifo.status, 1);
    EXPECT_TRUE(Has(fifo.output, "FIFO")) << fifo.output;
  }

  // A corrupt registry: the run goes on with the built-in options and says so once.
  std::ofstream(RegistryFile()) << "{";
  const RunResult corrupt = ImportTrc("");
  EXPECT_EQ(corrupt.status, 0) << corrupt.output;
  const std::string warning = "warning: the remembered options could not be read or saved";
  EXPECT_TRUE(Has(corrupt.output, warning + " (registry file " + RegistryFile())) << corrupt.output;
  EXPECT_EQ(corrupt.output.find(warning), corrupt.output.rfind(warning));
}

TEST_F(DialogCommandsTest, FrameRatesThatDoNotMatchAreWarnedAbout) {
  const RunResult slow = ImportTrc("");
  EXPECT_TRUE(Has(slow.output,
                  "was recorded at 60 frames per second and the scene runs at 30, "
                  "so the motion plays at 0.5 times its speed (--set-frame-rate"))
      << slow.output;
  EXPECT_FALSE(Has(ImportTrc("--set-frame-rate", "t.json").output, "warning"));

  std::ifstream in(kThreeMarkers);
  std::stringstream text;
  text << in.rdbuf();
  std::string fast = text.str();
  fast.replace(fast.find("60.00\t60.00"), 11, "250.00\t250.00");
  std::ofstream(Path("fast.trc")) << fast;
  const RunResult approximated = Tool("import-trc " + Quoted(Path("fast.trc")) + " --scene " +
                                      Quoted(Path("f.json")) + " --set-frame-rate");
  EXPECT_EQ(approximated.status, 0) << approximated.output;
  EXPECT_TRUE(Has(approximated.output,
                  "can only approximate 250 frames per second: a frame of 19 ticks plays 252.6"))
      << approximated.output;
}

TEST_F(DialogCommandsTest, TheFilesWrittenAreNamedAndFailuresGiveTheReason) {
  const std::string scene = Path("bones.json");
  const RunResult imported =
      StandardOutput("import-htr " + Quoted(kTwoBones) + " --scene " + Quoted(scene));
  EXPECT_EQ(imported.status, 0);
  EXPECT_EQ(imported.output, "wrote " + scene + "\n");
  const RunResult none =
      Tool("import-htr " + Quoted(Path("none.htr")) + " --scene " + Quoted(scene));
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(Has(none.output, Path("none.htr") + ": No such file or directory")) << none.output;

  const std::string exportTo = "export-htr --scene " + Quoted(scene) + " --select Hips ";
  const RunResult exported = StandardOutput(exportTo + Quoted(Path("out")));
  EXPECT_EQ(exported.status, 0);
  EXPECT_EQ(exported.output, "wrote " + Path("out") + ".htr\n");
  EXPECT_TRUE(std::filesystem::exists(Path("out.htr")));
  const auto stored = Values(ClassKey("ExportHTR"));
  const RunResult device = Tool(exportTo + "/dev/full --scale 5");
  EXPECT_EQ(device.status, 1);
  EXPECT_TRUE(Has(device.output, "/dev/full: not a regular file")) << device.output;
  const RunResult nowhere = Tool(exportTo + Quoted(Path("no/such/x.htr")) + " --scale 5");
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_TRUE(Has(nowhere.output, "No such file or directory")) << nowhere.output;
  EXPECT_EQ(Values(ClassKey("ExportHTR")).size(), stored.size());
  for (std::size_t i = 0; i < stored.size(); ++i)
    EXPECT_EQ(Values(ClassKey("ExportHTR"))[i].data, stored[i].data) << stored[i].name;
}

TEST_F(DialogCommandsTest, TheMnmCreatorFailsWhenThePicksRunOutAndEchoesEachStep) {
  const std::string scene = Path("cloud.json");
  ASSERT_EQ(ImportTrc("", "cloud.json").status, 0);
  // Every required marker picked (the same node for most of them), every optional one skipped.
  const std::vector<int> optional = {9, 14, 18, 24, 26, 28, 31, 33, 35, 37, 38, 39, 40, 41, 42};
  std::string picks = "LFHD";
  for (int step = 1; step <= 42; ++step) {
    const bool skip = std::find(optional.begin(), optional.end(), step) != optional.end();
    for (int i = 0; i < (step == 10 || step == 15 ? 2 : 1); ++i) picks += skip ? " skip" : " C7";
  }
  const std::string create = "mnm create --scene " + Quoted(scene) + " --out ";
  const RunResult made = Tool(create + Quoted(Path("made")) + " -- " + picks);
  EXPECT_EQ(made.status, 0) << made.output;
  EXPECT_TRUE(Has(made.output, "step 0, Left front head marker (LFHD): picked LFHD\n"));
  EXPECT_TRUE(Has(made.output, "step 9, Left inner elbow marker (LILB): skip\n"));
  EXPECT_TRUE(Has(made.output, "warning: node C7 was picked for both LBHD and RBHD\n"));
  EXPECT_TRUE(Has(made.output, "wrote " + Path("made") + ".mnm\n")) << made.output;
  const auto stored = Values(ClassKey("ConvertPNX"));

  const RunResult short_run = Tool(create + Quoted(Path("short.mnm")) + " -- LFHD");
  EXPECT_EQ(short_run.status, 1);
  EXPECT_TRUE(Has(short_run.output, "the picks ran out at step 1, Left back head marker (LBHD)"))
      << short_run.output;
  const RunResult skipped = Tool(create + Quoted(Path("short.mnm")) + " -- skip " + picks);
  EXPECT_EQ(skipped.status, 2);
  EXPECT_TRUE(Has(skipped.output, "skip cannot be used at step 0, Left front head marker"))
      << skipped.output;
  EXPECT_FALSE(std::filesystem::exists(Path("short.mnm")));
  EXPECT_EQ(Values(ClassKey("ConvertPNX")).size(), stored.size());
  for (std::size_t i = 0; i < stored.size(); ++i)
    EXPECT_EQ(Values(ClassKey("ConvertPNX"))[i].data, stored[i].data) << stored[i].name;

  const RunResult steps = Tool("mnm steps");
  EXPECT_EQ(steps.status, 0);
  for (const char* line : {"9     LILB   Left inner elbow marker (LILB)", "42    RPRPT",
                           "10    LWRE   Left wrist stick end marker (LWRE)",
                           "10    LWRB   Left wrist outer (near pinky) marker (LWRB)"}) {
    EXPECT_TRUE(Has(steps.output, line)) << line;
  }
}

TEST_F(DialogCommandsTest, HelpHasUsageDescriptionAndExamplesWithoutDialogJargon) {
  for (const char* command :
       {"import-htr", "import-trc", "export-htr", "mnm create", "mnm steps"}) {
    SCOPED_TRACE(command);
    const RunResult help = Tool(std::string(command) + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Has(help.output, "Usage: ")) << help.output;
    EXPECT_TRUE(Has(help.output, "Example")) << help.output;
    EXPECT_FALSE(Has(help.output, "then OK")) << help.output;
    EXPECT_FALSE(Has(help.output, "dialog")) << help.output;
    // Up to the tool's common footer.
    std::istringstream lines(help.output.substr(0, help.output.find("Exit status")));
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  }
}

// The 64-bit FNV-1a digest of a text.
std::uint64_t Digest(const std::string& bytes) {
  std::uint64_t digest = 0xcbf29ce484222325U;
  for (const char c : bytes) {
    digest = (digest ^ static_cast<unsigned char>(c)) * 0x100000001b3U;
  }
  return digest;
}

// Exports of a real capture, byte for byte, so that a change to how the exporter samples and
// writes cannot pass unseen. The sizes and digests are those of the files the exporter wrote
// when it held all the frames in memory before writing any, taken again when the host came to
// evaluate Euler rotations straight from their angles (values then moved by float rounding
// only: within 3e-4 of the units and 2e-5 degrees, and no further from the file imported).
TEST_F(DialogCommandsTest, ExportsOfARealCaptureKeepEveryByte) {
  const std::string scene = Path("fight.json");
  ASSERT_EQ(Tool("import-htr " + Quoted(zar::testing::SamplePath("htr/fight_a.htr")) + " --scene " +
                 Quoted(scene))
                .status,
            0);
  struct Case {
    std::string options;
    std::size_t size;
    std::uint64_t digest;
  };
  for (const Case& c : {
           Case{"", 1804759, 0xdc510977657b500fU},
           Case{"--current-pose --no-parent-transforms --scale 2.54 --offset 5 --from 10 --to 900",
                1409187, 0x2ed1b17c619d9e13U},
           Case{"--no-animation", 5653, 0x4a16e0518f9f68a7U},
       }) {
    const RunResult exported = Tool("export-htr --defaults --scene " + Quoted(scene) +
                                    " --select LowerTorso " + c.options + " " + Quoted(Path("x")));
    ASSERT_EQ(exported.status, 0) << exported.output;
    std::ifstream in(Path("x.htr"), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().size(), c.size) << c.options;
    EXPECT_EQ(Digest(text.str()), c.digest) << c.options;
  }
}

}  // namespace
