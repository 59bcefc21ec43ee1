// The skeleton read from HTR: world positions of every joint against a composition of the file's
// values written out independently here.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "exchange/htr_skeleton_adapter.h"
#include "exchange/skeleton.h"
#include "filelib/htr_file.h"
#include "filelib_test_support.h"
#include "rotation_rows_test_support.h"

namespace zar {
namespace {

using testing::EulerRows;
using testing::Rows;
using testing::Times;

TEST(SkeletonFromHtr, WorldPositionsOfFightAAtEveryFrame) {
  HTRFile model;
  ASSERT_EQ("", model.Read(testing::SamplePath("htr/fight_a.htr"), true));
  const exchange::Skeleton skeleton = exchange::FromHTR(model);
  ASSERT_EQ(skeleton.NumJoints(), 22U);
  ASSERT_EQ(skeleton.NumFrames(), model.NumFrames());
  EXPECT_EQ(skeleton.rate, model.DataFrameRate());
  EXPECT_EQ(skeleton.first_frame, model.StartFrame());

  std::vector<exchange::Pose> world;
  double worst = 0.0;
  for (int k = 0; k < model.NumFrames(); ++k) {
    exchange::WorldPoses(skeleton, k, world);
    // Base rotation composed with the frame's: the frame's turn first, then the base's.
    std::map<std::string, std::pair<Rows, std::array<double, 3>>> expected;
    for (int s = 0; s < model.NumSegments(); ++s) {
      const HTRSegment* segment = model.Segment(s);
      const auto base = segment->BaseRotation();
      const HTRFrame& f = segment->Frames()[static_cast<std::size_t>(k)];
      Rows rotation = Times(EulerRows(f.rx, f.ry, f.rz), EulerRows(base.X(), base.Y(), base.Z()));
      const auto b = segment->BaseTranslation();
      std::array<double, 3> position = {b.X() + f.tx, b.Y() + f.ty, b.Z() + f.tz};
      if (const HTRSegment* parent = segment->Parent(); parent != nullptr) {
        const auto& [parent_rotation, parent_position] = expected.at(parent->Name());
        const std::array<double, 3> moved = Times(position, parent_rotation);
        for (std::size_t c = 0; c < 3; ++c) position[c] = moved[c] + parent_position[c];
        rotation = Times(rotation, parent_rotation);
      }
      expected[segment->Name()] = {rotation, position};
    }
    for (std::size_t j = 0; j < skeleton.NumJoints(); ++j) {
      const std::array<double, 3>& p = expected.at(skeleton.joints[j].name).second;
      const exchange::Vector3& got = world[j].translation;
      worst =
          std::max({worst, std::abs(got.x - p[0]), std::abs(got.y - p[1]), std::abs(got.z - p[2])});
    }
  }
  EXPECT_LT(worst, 1e-9);  // millimetres; the same double arithmetic in another order
}

}  // namespace
}  // namespace zar
