// The plug-in works on its caller's thread, as its host expects: every command of the tool that
// drives the plug-in is run under strace, which logs each clone the process and its children
// make, and none may make a thread. A conversion outside the plug-in, which reads on two
// threads, shows that the log does tell threads apart.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plugin_test_support.h"

namespace {

using zar::testing::Quoted;

const std::string kTool = ZAR_TOOL_FILE;
const std::string kSamples = std::string(ZAR_SOURCE_DIR) + "/samples";

bool HaveStrace() { return zar::testing::Run("strace -V >/dev/null 2>&1").status == 0; }

class PluginThreadsTest : public zar::testing::RegistryTest {
 protected:
  // Runs the tool with `arguments` under strace; the clone calls that made threads (empty when
  // none did). Fails the test when the tool fails.
  std::string ThreadClones(const std::string& arguments) {
    const std::string log = (Folder() / "clones.log").string();
    const std::string command = "cd " + Quoted(Folder().string()) +
                                // The leak checker of a sanitizer build cannot run under
                                // a tracer.
                                " && ASAN_OPTIONS=detect_leaks=0 strace -f -qq -e"
                                " trace=clone,clone3 -o " +
                                Quoted(log) + " " + Quoted(kTool) + " " + arguments + " 2>&1";
    const zar::testing::RunResult result = zar::testing::Run(command);
    EXPECT_EQ(0, result.status) << arguments << "\n" << result.output;
    std::ifstream in(log);
    EXPECT_TRUE(in.good()) << "no strace log for " << arguments;
    std::string line;
    std::string threads;
    while (std::getline(in, line)) {
      if (line.find("CLONE_THREAD") != std::string::npos) threads += line + "\n";
    }
    return threads;
  }
};

TEST_F(PluginThreadsTest, PluginCommandsStartNoThread) {
  if (!HaveStrace()) GTEST_SKIP() << "strace is not installed (scripts/deps.sh installs it)";
  // Copies, so that what is written beside an input stays in the scratch folder.
  std::filesystem::copy_file(kSamples + "/markers.trc", Folder() / "markers.trc");
  std::filesystem::copy_file(kSamples + "/walk.htr", Folder() / "walk.htr");
  const std::string trc = "markers.trc";
  const std::string htr = "walk.htr";
  const std::vector<std::string> commands = {
      "import-trc " + trc + " --scene cloud.json --create --root-node --all",
      "import-trc " + trc + " --scene plain.json --defaults",
      "import-htr " + htr + " --scene walk.json --create --all --set-frame-rate",
      "export-htr walk_out.htr --scene walk.json --select walk",
      "export-htr walk_part.htr --scene walk.json --select walk --from 2 --to 9 --current-pose",
      "pnx convert " + trc + " --no-filter --out pnx --batch",
      "pnx convert " + trc + " --no-filter --out pnx2",
  };
  for (const std::string& arguments : commands) {
    EXPECT_EQ("", ThreadClones(arguments)) << arguments;
  }
  EXPECT_TRUE(std::filesystem::exists(Folder() / "walk_out.htr"));
  EXPECT_TRUE(
      std::filesystem::exists(Folder() / "pnx2" / "markers.pnx"));  // --out names its folder
}

TEST_F(PluginThreadsTest, TheLogShowsTheThreadsOfAConversion) {
  if (!HaveStrace()) GTEST_SKIP() << "strace is not installed (scripts/deps.sh installs it)";
  EXPECT_NE("", ThreadClones("convert " + Quoted(kSamples + "/markers.trc") + " markers.csv"));
}

}  // namespace
