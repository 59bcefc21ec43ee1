// The MNM creator of the loaded plug-in, driven by scripted answers, picks and button presses:
// the step sequence, Skip and Back, the wrist-stick variants, repeats, abort, the host's exit,
// the node filter and saving.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "plugin_description/marker_table.h"
#include "tests/utilities_test_support.h"

namespace zar::testing {
namespace {

constexpr std::uint32_t kPicked = 0xCC1919;
constexpr std::uint32_t kUnpicked = 0x3333CC;
const std::set<int> kOptionalSteps = {9, 14, 18, 24, 26, 28, 31, 33, 35, 37, 38, 39, 40, 41, 42};

std::vector<std::string> FileLines(const std::string& path) {
  const std::string text = ReadBytes(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return lines;
}

// The PNX names of an MNM file, in order.
std::vector<std::string> PnxNames(const std::string& path) {
  std::vector<std::string> names;
  for (const std::string& line : FileLines(path)) names.push_back(line.substr(0, line.find('\t')));
  return names;
}

class MnmCreatorTest : public UtilitiesSession {
 protected:
  void SetUp() override {
    UtilitiesSession::SetUp();
    if (HasFatalFailure()) return;
    // One marker node per standard name, "m_" and the name, in both wrist variants.
    for (int step = 0; step <= kLastMarkerStep; ++step) {
      for (const bool stick : {false, true}) {
        const MarkerStep s = StandardMarkerStep(step, stick, stick);
        for (std::size_t i = 0; i < s.count; ++i) {
          const std::string name = "m_" + std::string(s.markers[i].pnx_name);
          if (scene().FindByName(name) == nullptr) Sphere(name);
        }
      }
    }
    OpenPanel();
  }

  // Presses Create and answers the two wrist-stick questions.
  void StartCreator(bool left, bool right) {
    user().Press(kCreate, kPage);
    user().Answer(left ? modra::kAnswerYes : modra::kAnswerNo);
    user().Answer(right ? modra::kAnswerYes : modra::kAnswerNo);
  }
  // Records the creator dialog's state (Escape does nothing in it).
  void Probe() { user().CloseDialog(kCreator); }
  // Queues, for steps `from` to 42, a pick of "m_<name>" for every marker, or Skip on the
  // optional steps when `skip_optional`; with `probe`, a probe before each step.
  void QueueSteps(int from, bool left, bool right, bool skip_optional, bool probe = false) {
    for (int step = from; step <= kLastMarkerStep; ++step) {
      if (probe) Probe();
      const MarkerStep s = StandardMarkerStep(step, left, right);
      for (std::size_t i = 0; i < s.count; ++i) {
        if (skip_optional && kOptionalSteps.count(step) != 0) {
          user().Press(kSkip, kCreator);
        } else {
          user().PickNode("m_" + std::string(s.markers[i].pnx_name));
        }
      }
    }
  }
  // The creator dialog's states recorded by probes, in order.
  std::vector<DialogState> Probes() const {
    std::vector<DialogState> out;
    for (const ShownEvent& e : Shown(ShownEvent::Kind::kDialogAction)) {
      if (e.dialog.templateId == kCreator &&
          e.action == modra::host::UserAction::Kind::kCloseDialog) {
        out.push_back(e.dialog);
      }
    }
    return out;
  }
  std::uint32_t Colour(const std::string& node) {
    modra::host::Node* n = scene().FindByName(node);
    return n != nullptr ? n->DisplayColour() : 0xFFFFFFFF;
  }
  bool CreatorClosed() const { return !Shown(ShownEvent::Kind::kDialogClosed).empty(); }
};

TEST_F(MnmCreatorTest, EveryOptionalMarkerSkippedWithoutWristSticks) {
  StartCreator(false, false);
  QueueSteps(0, false, false, true, true);
  user().ChooseFile(Path("body.mnm"));
  Run();

  const std::vector<std::string> lines = FileLines(Path("body.mnm"));
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines.front(), "LFHD\tm_LFHD\t");
  EXPECT_EQ(lines.back(), "RTOE\tm_RTOE\t");
  const std::vector<std::string> names = PnxNames(Path("body.mnm"));
  const std::vector<std::string> expected = {
      "LFHD", "LBHD", "RBHD", "RFHD", "C7",   "CLAV", "STRN", "LSHO", "LELB", "LWRA",
      "LWRB", "LFIN", "RSHO", "RELB", "RWRA", "RWRB", "RFIN", "T10",  "LFWT", "LBWT",
      "RBWT", "RFWT", "LKNE", "LANK", "LMT5", "LTOE", "RKNE", "RANK", "RMT5", "RTOE"};
  EXPECT_EQ(names, expected);

  // The questions, then the outcome.
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Pick optional markers?: Are you using a left wrist stick?",
                                      "Pick optional markers?: Are you using a right wrist stick?",
                                      "MNM File Creation Status: MNM File Creation Successful"}));
  EXPECT_EQ(PageControl(kMappingPath).text, Path("body.mnm"));

  // Skip only on the optional steps, Back everywhere but step 0.
  const std::vector<DialogState> probes = Probes();
  ASSERT_EQ(probes.size(), 43u);
  for (int step = 0; step <= kLastMarkerStep; ++step) {
    const DialogState& s = probes[static_cast<std::size_t>(step)];
    EXPECT_EQ(s.Find(kSkip)->enabled, kOptionalSteps.count(step) == 1) << step;
    EXPECT_EQ(s.Find(kBack)->enabled, step != 0) << step;
  }
  EXPECT_EQ(probes[0].title, "MNM Creator / Marker Selection");
  EXPECT_EQ(probes[0].Find(kDescription)->text, "Left front head marker (LFHD)");
  EXPECT_EQ(probes[10].Find(kDescription)->text, "Left wrist inner (near thumb) marker (LWRA)");
  EXPECT_EQ(probes[42].Find(kDescription)->text, "Right prop top (RPRPT)");

  // Picks are undone: colours back to the marker colour, skipped markers never coloured.
  EXPECT_EQ(Colour("m_LFHD"), kUnpicked);
  EXPECT_EQ(Colour("m_LILB"), 0u);
  EXPECT_TRUE(CreatorClosed());
  EXPECT_TRUE(host().exitWatchers().empty());
  EXPECT_FALSE(host().pickModeActive());
  ClosePanel();
  EXPECT_EQ(StoredString("MNMPath"), Path("body.mnm"));
}

TEST_F(MnmCreatorTest, WristSticksAskForStickMarkers) {
  StartCreator(true, false);
  QueueSteps(0, true, false, false);
  user().ChooseFile(Path("sticks.mnm"));
  Run();
  const std::vector<std::string> names = PnxNames(Path("sticks.mnm"));
  ASSERT_EQ(names.size(), 45u);
  EXPECT_EQ(names[9], "LILB");
  EXPECT_EQ(names[10], "LWRE");
  EXPECT_EQ(names[11], "LWRI");
  EXPECT_EQ(names[16], "RWRA");
  EXPECT_EQ(names[17], "RWRB");
  EXPECT_EQ(names.back(), "RPRPT");
}

TEST_F(MnmCreatorTest, SkipAtStepNineLeavesNoEntryAndSkipIsRefusedAtStepEight) {
  StartCreator(false, true);
  for (int step = 0; step <= kLastMarkerStep; ++step) {
    // Skip at step 8 is refused and the pick goes on; at step 9 it ends the step.
    if (step == 8 || step == 9) user().Press(kSkip, kCreator);
    if (step == 9) continue;
    const MarkerStep s = StandardMarkerStep(step, false, true);
    for (std::size_t i = 0; i < s.count; ++i) {
      user().PickNode("m_" + std::string(s.markers[i].pnx_name));
    }
  }
  user().ChooseFile(Path("skip.mnm"));
  Run();
  const std::vector<std::string> names = PnxNames(Path("skip.mnm"));
  ASSERT_EQ(names.size(), 44u);
  EXPECT_EQ(names[8], "LELB");
  EXPECT_EQ(names[9], "LWRA");
  EXPECT_EQ(names[15], "RWRE");
  int refused = 0;
  for (const ShownEvent& e : Shown(ShownEvent::Kind::kNote)) {
    refused += e.refusal == modra::host::Refusal::kDisabled ? 1 : 0;
  }
  EXPECT_EQ(refused, 1);
}

TEST_F(MnmCreatorTest, BackAtStepOneAsksForTheFirstMarkerAgain) {
  Point("other_head");
  StartCreator(false, false);
  Probe();
  user().Press(kBack, kCreator);  // disabled at step 0: refused, the pick goes on
  user().PickNode("m_LFHD");
  Probe();
  user().Press(kBack, kCreator);
  Probe();
  user().PickNode("other_head");
  QueueSteps(1, false, false, false);
  user().ChooseFile(Path("back.mnm"));
  Run();
  const std::vector<DialogState> probes = Probes();
  ASSERT_EQ(probes.size(), 3u);
  EXPECT_FALSE(probes[0].Find(kBack)->enabled);
  EXPECT_TRUE(probes[1].Find(kBack)->enabled);
  EXPECT_EQ(probes[1].Find(kDescription)->text, "Left back head marker (LBHD)");
  EXPECT_EQ(probes[2].Find(kDescription)->text, "Left front head marker (LFHD)");
  EXPECT_FALSE(probes[2].Find(kBack)->enabled);
  const std::vector<std::string> lines = FileLines(Path("back.mnm"));
  ASSERT_EQ(lines.size(), 45u);
  EXPECT_EQ(lines[0], "LFHD\tother_head\t");
  EXPECT_EQ(lines[1], "LBHD\tm_LBHD\t");
  EXPECT_EQ(Colour("m_LFHD"), kUnpicked);
}

TEST_F(MnmCreatorTest, BackUndoesTheWholePreviousStepAndNothingBeforeIt) {
  // Step 9 skipped, step 10 picked, Back at step 11: step 10 runs again and step 8 keeps LELB.
  Sphere("again_LWRA");
  Sphere("again_LWRB");
  StartCreator(false, false);
  for (int step = 0; step <= 8; ++step) {
    user().PickNode("m_" + std::string(StandardMarkerStep(step, false, false).markers[0].pnx_name));
  }
  user().Press(kSkip, kCreator);
  user().PickNode("m_LWRA").PickNode("m_LWRB");
  user().Press(kBack, kCreator);
  user().PickNode("again_LWRA").PickNode("again_LWRB");
  QueueSteps(11, false, false, false);
  user().ChooseFile(Path("back2.mnm"));
  Run();
  const std::vector<std::string> lines = FileLines(Path("back2.mnm"));
  ASSERT_EQ(lines.size(), 44u);
  EXPECT_EQ(lines[8], "LELB\tm_LELB\t");
  EXPECT_EQ(lines[9], "LWRA\tagain_LWRA\t");
  EXPECT_EQ(lines[10], "LWRB\tagain_LWRB\t");
  EXPECT_EQ(lines[11], "LFIN\tm_LFIN\t");
}

TEST_F(MnmCreatorTest, BackDuringTheSecondWristPickRedoesThePreviousStep) {
  Sphere("again_LILB");
  StartCreator(true, false);
  for (int step = 0; step <= 9; ++step) {
    user().PickNode("m_" + std::string(StandardMarkerStep(step, true, false).markers[0].pnx_name));
  }
  user().PickNode("m_LWRE");
  user().Press(kBack, kCreator);  // during the LWRI pick: LWRE and LILB are undone
  user().PickNode("again_LILB");
  QueueSteps(10, true, false, false);
  user().ChooseFile(Path("wrist.mnm"));
  Run();
  const std::vector<std::string> lines = FileLines(Path("wrist.mnm"));
  ASSERT_EQ(lines.size(), 45u);
  EXPECT_EQ(lines[9], "LILB\tagain_LILB\t");
  EXPECT_EQ(lines[10], "LWRE\tm_LWRE\t");
  EXPECT_EQ(lines[11], "LWRI\tm_LWRI\t");
  EXPECT_EQ(Colour("m_LILB"), kUnpicked);
}

TEST_F(MnmCreatorTest, PickModeEndedByTheHostAsksForTheSameMarkerAgain) {
  StartCreator(false, false);
  Probe();
  user().RightClick();
  Probe();
  user().PickNode("m_LFHD");
  QueueSteps(1, false, false, false);
  user().ChooseFile(Path("repeat.mnm"));
  Run();
  const std::vector<DialogState> probes = Probes();
  ASSERT_EQ(probes.size(), 2u);
  EXPECT_EQ(probes[0].Find(kDescription)->text, "Left front head marker (LFHD)");
  EXPECT_EQ(probes[1].Find(kDescription)->text, "Left front head marker (LFHD)");
  EXPECT_FALSE(probes[1].Find(kBack)->enabled);
  const std::vector<std::string> lines = FileLines(Path("repeat.mnm"));
  ASSERT_EQ(lines.size(), 45u);
  EXPECT_EQ(lines[0], "LFHD\tm_LFHD\t");
  EXPECT_EQ(lines[1], "LBHD\tm_LBHD\t");
}

TEST_F(MnmCreatorTest, OnlyGeometryShapesAndHelpersCanBePicked) {
  Empty("no_object");
  Point("helper");
  StartCreator(false, false);
  user().PickNode("no_object");  // missed: the pick goes on
  user().PickNode("helper");
  QueueSteps(1, false, false, false);
  user().ChooseFile(Path("kinds.mnm"));
  Run();
  EXPECT_EQ(FileLines(Path("kinds.mnm")).at(0), "LFHD\thelper\t");
  const auto picks = Shown(ShownEvent::Kind::kPick);
  ASSERT_GE(picks.size(), 2u);
  EXPECT_EQ(picks[0].text, "no_object");
  EXPECT_EQ(picks[0].detail, "missed");
  EXPECT_EQ(picks[1].detail, "picked");
}

TEST_F(MnmCreatorTest, AbortUndoesEveryPick) {
  StartCreator(false, false);
  user().PickNode("m_LFHD").PickNode("m_LBHD").PickNode("m_RBHD");
  user().Press(kAbort, kCreator);
  user().ChooseFile(Path("never.mnm"));
  Run();
  EXPECT_TRUE(Shown(ShownEvent::Kind::kFileDialog).empty());
  EXPECT_FALSE(std::filesystem::exists(Path("never.mnm")));
  EXPECT_EQ(user().Pending(), 1u);
  EXPECT_TRUE(CreatorClosed());
  for (const char* node : {"m_LFHD", "m_LBHD", "m_RBHD"}) EXPECT_EQ(Colour(node), kUnpicked);
  EXPECT_EQ(PageControl(kMappingPath).text, "<none>");
  EXPECT_FALSE(host().pickModeActive());
  EXPECT_TRUE(host().exitWatchers().empty());
  EXPECT_EQ(Messages().size(), 2u);  // the two questions only
}

TEST_F(MnmCreatorTest, QuittingHostEndsTheCreator) {
  StartCreator(false, false);
  user().PickNode("m_LFHD").Quit();
  user().ChooseFile(Path("never.mnm"));
  Run();
  EXPECT_TRUE(host().quitting());
  EXPECT_TRUE(Shown(ShownEvent::Kind::kFileDialog).empty());
  EXPECT_TRUE(CreatorClosed());
  EXPECT_EQ(Colour("m_LFHD"), kUnpicked);
  EXPECT_TRUE(host().exitWatchers().empty());
  EXPECT_FALSE(host().pickModeActive());
}

TEST_F(MnmCreatorTest, ExitRefusedElsewhereEndsOnlyThePickUnderWay) {
  // Another watcher keeps the host running, and notes the colour of the node picked before.
  class KeepRunning : public modra::ExitModraCallback {
   public:
    explicit KeepRunning(modra::host::Node* node) : node_(node) {}
    int HostExiting(modra::WindowHandle) override {
      colour = node_->DisplayColour();
      return 0;
    }
    std::uint32_t colour = 0;

   private:
    modra::host::Node* node_;
  } keep(scene().FindByName("m_LFHD"));
  host().WatchHostExit(&keep);
  StartCreator(false, false);
  user().PickNode("m_LFHD");
  user().Quit();  // at step 1: LBHD is left out, as if skipped
  QueueSteps(2, false, false, false);
  user().ChooseFile(Path("exit.mnm"));
  Run();
  EXPECT_FALSE(host().quitting());
  EXPECT_EQ(keep.colour, kPicked);
  const std::vector<std::string> names = PnxNames(Path("exit.mnm"));
  ASSERT_EQ(names.size(), 44u);
  EXPECT_EQ(names[0], "LFHD");
  EXPECT_EQ(names[1], "RBHD");
  EXPECT_EQ(host().exitWatchers().size(), 1u);
  host().UnwatchHostExit(&keep);
}

TEST_F(MnmCreatorTest, CancelledSaveWritesNothing) {
  StartCreator(false, false);
  QueueSteps(0, false, false, true);
  user().CancelFileDialog();
  Run();
  EXPECT_EQ(Shown(ShownEvent::Kind::kFileDialog).size(), 1u);
  EXPECT_EQ(Shown(ShownEvent::Kind::kFileDialog)[0].text, "Select Mapping File...");
  EXPECT_EQ(Shown(ShownEvent::Kind::kFileDialog)[0].caption, "save");
  EXPECT_EQ(Messages().size(), 2u);
  EXPECT_EQ(PageControl(kMappingPath).text, "<none>");
  EXPECT_EQ(Colour("m_LFHD"), kUnpicked);
}

TEST_F(MnmCreatorTest, FileThatCannotBeCreatedIsReported) {
  std::filesystem::create_directories(Path("taken.mnm"));
  StartCreator(false, false);
  QueueSteps(0, false, false, true);
  user().ChooseFile(Path("taken.mnm")).Answer(modra::kAnswerYes);
  Run();
  EXPECT_EQ(Messages().back(),
            "MNM File Creation Status: MNM File Creation Failed: Unable to open output file.");
  EXPECT_EQ(PageControl(kMappingPath).text, "<none>");
}

TEST_F(MnmCreatorTest, EntriesLoadedByAConversionComeFirst) {
  const std::string trc =
      folder().Write("walk.trc", TrcText(60, 120, 1, 1, {{"A", {"1\t2\t3"}}, {"C", {"4\t5\t6"}}}));
  ClosePanel();
  StoreString("MNMPath", std::string(ZAR_TEST_DATA_DIR) + "/utilities/rename.mnm");
  StoreBool("Batch", false);
  OpenPanel();
  user().Press(kConvert, kPage).ChooseFile(trc);
  Run();
  ASSERT_TRUE(std::filesystem::exists(Path("walk.pnx")));
  StartCreator(false, false);
  QueueSteps(0, false, false, true);
  user().ChooseFile(Path("merged.mnm"));
  Run();
  const std::vector<std::string> lines = FileLines(Path("merged.mnm"));
  ASSERT_EQ(lines.size(), 33u);
  EXPECT_EQ(lines[0], "LFHD\tA\t");
  EXPECT_EQ(lines[1], "RFHD\tC\t");
  EXPECT_EQ(lines[2], "LBHD\tc\t");
  EXPECT_EQ(lines[3], "LFHD\tm_LFHD\t");
}

TEST_F(MnmCreatorTest, NodeNamesWithBlanksAreWrittenWhole) {
  Sphere("left head");
  StartCreator(false, false);
  user().PickNode("left head");
  QueueSteps(1, false, false, true);
  user().ChooseFile(Path("blank.mnm"));
  Run();
  EXPECT_EQ(FileLines(Path("blank.mnm")).at(0), "LFHD\tleft head\t");
}

}  // namespace
}  // namespace zar::testing
