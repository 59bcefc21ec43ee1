// zarfileio scene info and scene keys, run on documents the stand-in saved.

#include <gtest/gtest.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "modra/host.h"
#include "modra/scene_document.h"

namespace zar::cli {
void AddSceneCommands(CLI::App& app);
}

namespace {

struct ToolRun {
  int code = 0;
  std::string out;
  std::string err;
};

ToolRun Zarfileio(std::vector<std::string> args) {
  CLI::App app;
  app.require_subcommand(1);
  zar::cli::AddSceneCommands(app);
  std::ostringstream out, err;
  std::streambuf* savedOut = std::cout.rdbuf(out.rdbuf());
  std::streambuf* savedErr = std::cerr.rdbuf(err.rdbuf());
  ToolRun run;
  std::reverse(args.begin(), args.end());
  try {
    app.parse(args);
  } catch (const zar::cli::CommandExit& e) {
    run.code = e.code;
  } catch (const CLI::ParseError& e) {
    run.code = zar::cli::kExitUsage;
  }
  std::cout.rdbuf(savedOut);
  std::cerr.rdbuf(savedErr);
  run.out = out.str();
  run.err = err.str();
  return run;
}

class SceneCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("modra_cmd_" + std::to_string(::getpid()) + ".json"))
                .string();
    modra::host::Host host;
    host.scene().set_frameRate(120);
    host.SetAnimationRange({40, 400});
    auto bone = [&](const char* name) {
      modra::SceneNode* n = host.MakeNodeForObject(
          host.MakeObject(modra::kGeometryClass, modra::kBoneObjectClassId)->AsObject());
      n->SetNodeName(name);
      return n;
    };
    modra::SceneNode* hips = bone("Hips");
    modra::SceneNode* spine = bone("Spine");
    hips->LinkChild(spine, 0);
    modra::AnimateOn();
    const modra::Point3 p0(1, -2, 3.5f), p1(0.25f, 0, -1);
    hips->TransformController()->PositionController()->SetControllerValue(40, &p0, 1, 1);
    hips->TransformController()->PositionController()->SetControllerValue(80, &p1, 1, 1);
    const float s = std::sin(0.25f), c = std::cos(0.25f);
    const modra::Quat q(s, 0, 0, -c);  // as the library hands it over
    auto* tcb = host.MakeObject(modra::kRotationControllerClass, modra::kTcbRotationClassId);
    hips->TransformController()->ReplaceRotationController(tcb->AsController());
    hips->TransformController()->RotationSubController()->SetControllerValue(40, &q, 1, 1);
    host.scene().Select(static_cast<modra::host::Node*>(spine), false);
    ASSERT_EQ(modra::host::SaveSceneDocument(host.scene(), path_), "");
  }
  void TearDown() override { std::filesystem::remove(path_); }
  std::string path_;
};

TEST_F(SceneCommandsTest, KeysListsPositionThenRotationKeys) {
  const ToolRun run = Zarfileio({"scene", "keys", path_, "Hips"});
  EXPECT_EQ(run.code, 0) << run.err;
  char expected[256];
  std::snprintf(expected, sizeof expected,
                "P 40 1.000000 -2.000000 3.500000\nP 80 0.250000 0.000000 -1.000000\n"
                "R 40 %.6f 0.000000 0.000000 %.6f\n",
                static_cast<double>(std::sin(0.25f)), static_cast<double>(-std::cos(0.25f)));
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.err, "node Hips, units 1 mm, 4800 ticks per second, times in ticks\n");
  EXPECT_EQ(Zarfileio({"scene", "keys", path_, "Spine"}).out, "");
}

TEST_F(SceneCommandsTest, InfoShowsTheTreeRangeAndRate) {
  const ToolRun run = Zarfileio({"scene", "info", path_});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("Frame rate     120 fps (40 ticks per frame)"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("ticks 40 to 400 (frames 1 to 10)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n  Hips  bone  position keys 2  rotation keys 1 (TCB)\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(
      run.out.find("\n    Spine  bone  position keys 0  rotation keys 0 (Euler)  [selected]\n"),
      std::string::npos)
      << run.out;
}

TEST_F(SceneCommandsTest, ProblemsExitWithOne) {
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* message;
  };
  const Case cases[] = {
      {{"scene", "keys", path_, "Nobody"}, zar::cli::kExitFileProblem, "has no node named Nobody"},
      {{"scene", "info", path_ + ".missing"}, zar::cli::kExitFileProblem, "cannot be opened"},
      {{"scene", "keys", path_}, zar::cli::kExitUsage, ""},
  };
  for (const Case& c : cases) {
    const ToolRun run = Zarfileio(c.args);
    EXPECT_EQ(run.code, c.code) << c.args.back();
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
}

}  // namespace
