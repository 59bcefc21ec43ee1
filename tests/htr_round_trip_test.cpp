// HTR files imported onto a new skeleton and exported again give back the same header,
// hierarchy, base positions and frames: the real sample and generated skeletons with random base
// poses and motion in every length unit, with the saved and the current pose, and after moving
// the imported frames with an offset.
//
// The host keeps transforms in single precision, so values come back within single-precision
// rounding of their size rather than to the file's last written digit.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "export_htr_test_support.h"

namespace zar::test {
namespace {

// How an import and the export after it are run.
struct RoundTrip {
  bool currentPose = false;  // export the current pose (the import keys the base position)
  std::int32_t offset = 0;   // the import's offset; the export takes it back off
};

class HTRRoundTripTest : public PluginSession {
 protected:
  // Imports `file` onto a new skeleton, exports its root bone `root` to "out.htr" and answers
  // what was written.
  std::unique_ptr<HTRFile> ImportThenExport(const std::filesystem::path& file,
                                            const std::string& root, const RoundTrip& how,
                                            std::int32_t frames) {
    user().Tick(kImportSetFrameRate, true).Tick(kImportBasePosition, how.currentPose);
    user().FillEdit(kImportOffset, std::to_string(how.offset)).Press(kOk);
    EXPECT_EQ(Import(file), 1);
    Select(scene().FindByName(root));
    // The file's frames start at frame 1 + offset; the base key, one frame earlier, is the
    // current pose.
    scene().set_currentTime(how.offset * modra::GetTicksPerFrame());
    user().Tick(kCurrentPose, how.currentPose).Press(kRange);
    user().FillEdit(kFrom, std::to_string(1 + how.offset));
    user().FillEdit(kTo, std::to_string(frames + how.offset));
    user().FillEdit(kOffset, std::to_string(-how.offset)).Press(kOk);
    EXPECT_EQ(Export(Path("out.htr")), 1);
    EXPECT_EQ(Messages(), std::vector<std::string>{});
    return ReadHTR(Path("out.htr"));
  }

  // Compares an exported model with the original, converted to millimetres. `length` is the
  // size of the skeleton: single-precision rounding of the host grows with it.
  static void ExpectSameAnimation(HTRFile& original, const HTRFile& exported, double length) {
    original.ConvertUnits(LengthUnit::kMillimetres);
    const double near = 5e-7 * length;  // translations and bone lengths
    const double turn = 2e-6;           // rotation matrix entries
    ASSERT_EQ(exported.NumSegments(), original.NumSegments());
    // The exporter writes the bones depth first, children in order.
    std::vector<std::string> preorder;
    const auto visit = [&preorder](const HTRSegment& s, const auto& self) -> void {
      preorder.push_back(s.Name());
      for (std::int32_t c = 0; c < s.NumChildren(); ++c) self(*s.Child(c), self);
    };
    visit(*original.FindRootSegment(), visit);
    ASSERT_EQ(preorder.size(), static_cast<std::size_t>(original.NumSegments()));
    EXPECT_EQ(exported.NumFrames(), original.NumFrames());
    EXPECT_EQ(exported.StartFrame(), original.StartFrame());
    EXPECT_EQ(exported.DataFrameRate(), original.DataFrameRate());
    EXPECT_EQ(exported.CalibrationUnits(), LengthUnit::kMillimetres);
    for (std::int32_t i = 0; i < original.NumSegments(); ++i) {
      const HTRSegment& b = *exported.Segment(i);
      ASSERT_EQ(b.Name(), preorder[static_cast<std::size_t>(i)]);
      const HTRSegment& a = *original.FindSegment(b.Name());
      SCOPED_TRACE(a.Name());
      EXPECT_EQ(b.Parent() != nullptr ? b.Parent()->Name() : "GLOBAL",
                a.Parent() != nullptr ? a.Parent()->Name() : "GLOBAL");
      const auto at = a.BaseTranslation();
      const auto bt = b.BaseTranslation();
      EXPECT_NEAR(bt.X(), at.X(), near);
      EXPECT_NEAR(bt.Y(), at.Y(), near);
      EXPECT_NEAR(bt.Z(), at.Z(), near);
      EXPECT_LT(RotationDistance(MatrixOf(b.BaseRotation()), MatrixOf(a.BaseRotation())), turn);
      EXPECT_NEAR(b.BoneLength(), a.BoneLength(), near);
      double worstMove = 0.0;
      double worstTurn = 0.0;
      double worstScale = 0.0;
      for (std::int32_t k = 0; k < original.NumFrames(); ++k) {
        const auto af = a.FrameTranslation(k);
        const auto bf = b.FrameTranslation(k);
        worstMove = std::max({worstMove, std::fabs(af.X() - bf.X()), std::fabs(af.Y() - bf.Y()),
                              std::fabs(af.Z() - bf.Z())});
        worstTurn = std::max(worstTurn, RotationDistance(MatrixOf(a.FrameRotation(k)),
                                                         MatrixOf(b.FrameRotation(k))));
        worstScale = std::max(worstScale, std::fabs(a.FrameScaleFactor(k) - b.FrameScaleFactor(k)));
      }
      EXPECT_LT(worstMove, near);
      EXPECT_LT(worstTurn, turn);
      EXPECT_LT(worstScale, 1e-6);
    }
  }
};

class SampleRoundTrip : public HTRRoundTripTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(SampleRoundTrip, GivesBackTheFile) {
  const std::filesystem::path sample =
      std::filesystem::path(ZAR_SAMPLES_DIR) / "htr" / "fight_a.htr";
  auto original = ReadHTR(sample);
  auto exported = ImportThenExport(sample, "LowerTorso", GetParam(), original->NumFrames());
  ExpectSameAnimation(*original, *exported, 2000.0);
}

INSTANTIATE_TEST_SUITE_P(Poses, SampleRoundTrip,
                         ::testing::Values(RoundTrip{false, 0}, RoundTrip{true, 0},
                                           RoundTrip{false, 10}, RoundTrip{true, 6}));

// "Current Pose" takes each bone's base position at the scene's current time: the frame the
// exported file holds for that time is then no motion at all (zero translation and rotation for
// every segment), and the first frame, elsewhere in the walk, is not.
TEST_F(HTRRoundTripTest, CurrentPoseIsThePoseAtTheCurrentTime) {
  const std::filesystem::path sample =
      std::filesystem::path(ZAR_SAMPLES_DIR) / "htr" / "fight_a.htr";
  auto original = ReadHTR(sample);
  user().Tick(kImportSetFrameRate, true).Tick(kImportBasePosition, false);
  user().FillEdit(kImportOffset, "0").Press(kOk);
  ASSERT_EQ(Import(sample), 1);
  Select(scene().FindByName("LowerTorso"));
  constexpr int kCurrentFrame = 40;  // the file's frame 40, row 39
  scene().set_currentTime(kCurrentFrame * modra::GetTicksPerFrame());
  user().Tick(kCurrentPose, true).Press(kRange);
  user().FillEdit(kFrom, "1").FillEdit(kTo, std::to_string(original->NumFrames()));
  user().FillEdit(kOffset, "0").Press(kOk);
  ASSERT_EQ(Export(Path("out.htr")), 1);
  auto exported = ReadHTR(Path("out.htr"));
  ASSERT_EQ(exported->NumSegments(), original->NumSegments());
  const auto size = [](const HTRSegment& s, std::int32_t k) {
    const auto t = s.FrameTranslation(k);
    return std::abs(t.X()) + std::abs(t.Y()) + std::abs(t.Z()) +
           RotationDistance(MatrixOf(s.FrameRotation(k)), MatrixOf(0, 0, 0));
  };
  double first = 0.0;
  for (std::int32_t i = 0; i < exported->NumSegments(); ++i) {
    const HTRSegment& s = *exported->Segment(i);
    EXPECT_LT(size(s, kCurrentFrame - 1), 1e-2) << s.Name();
    first += size(s, 0);
  }
  EXPECT_GT(first, 1.0);
}

// A random skeleton in `unit`: base poses anywhere, 12 frames of motion with unit bone scale.
std::unique_ptr<HTRFile> RandomSkeleton(std::mt19937& random, LengthUnit unit, double extent) {
  std::uniform_real_distribution<double> length(0.05 * extent, 0.3 * extent);
  std::uniform_real_distribution<double> place(-0.3 * extent, 0.3 * extent);
  std::uniform_real_distribution<double> move(-0.05 * extent, 0.05 * extent);
  std::uniform_real_distribution<double> angle(-3.1, 3.1);
  std::uniform_real_distribution<double> tilt(-1.4, 1.4);  // clear of gimbal lock
  auto model = std::make_unique<HTRFile>();
  model->SetCalibrationUnits(unit);
  model->SetDataFrameRate(std::vector<int>{24, 30, 60, 120}[random() % 4]);
  model->SetNumFrames(12);
  const int count = 2 + static_cast<int>(random() % 9);
  for (int i = 0; i < count; ++i) {
    HTRSegment segment("Seg" + std::to_string(i));
    segment.SetRoot(i == 0);
    segment.SetBaseTranslation(place(random), place(random), place(random));
    segment.SetBaseRotation(angle(random), tilt(random), angle(random));
    segment.SetBoneLength(length(random));
    for (int k = 0; k < 12; ++k) {
      segment.AppendFrame(move(random), move(random), move(random), angle(random), tilt(random),
                          angle(random), 1.0);
    }
    HTRSegment* stored = model->AddSegment(segment);
    if (i > 0) {
      stored->SetParent(
          model->Segment(static_cast<std::int32_t>(random() % static_cast<unsigned>(i))));
    }
  }
  return model;
}

struct GeneratedCase {
  LengthUnit unit;
  double unitSize;            // millimetres in that unit
  double millimetresPerUnit;  // the scene's system unit
  bool currentPose;
};

class GeneratedRoundTrip : public HTRRoundTripTest,
                           public ::testing::WithParamInterface<GeneratedCase> {};

TEST_P(GeneratedRoundTrip, GivesBackTheFile) {
  const GeneratedCase& c = GetParam();
  // Skeletons about two metres tall, whatever the unit.
  const double extent = 2000.0 / c.unitSize;
  std::mt19937 random(static_cast<unsigned>(c.unit) * 7919U + 17U);
  for (int trial = 0; trial < 3; ++trial) {
    SCOPED_TRACE(trial);
    host().ReplaceScene(std::make_unique<modra::host::Scene>());
    scene().set_millimetresPerUnit(c.millimetresPerUnit);
    user().ClearShown();
    auto model = RandomSkeleton(random, c.unit, extent);
    const std::filesystem::path file = Path("random" + std::to_string(trial) + ".htr");
    ASSERT_EQ(model->Write(file.string()), "");
    auto original = ReadHTR(file);
    auto exported = ImportThenExport(file, "Seg0", RoundTrip{c.currentPose, 0}, 12);
    ExpectSameAnimation(*original, *exported, 8000.0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Units, GeneratedRoundTrip,
    ::testing::Values(GeneratedCase{LengthUnit::kMillimetres, 1.0, 1.0, false},
                      GeneratedCase{LengthUnit::kCentimetres, 10.0, 10.0, true},
                      GeneratedCase{LengthUnit::kMetres, 1000.0, 1000.0, false},
                      GeneratedCase{LengthUnit::kInches, 25.4, 25.4, true},
                      GeneratedCase{LengthUnit::kFeet, 304.8, 1.0, false},
                      GeneratedCase{LengthUnit::kYards, 914.4, 304.8, true}));

}  // namespace
}  // namespace zar::test
