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

namespace zar {
namespace {

using Rows = std::array<std::array<double, 3>, 3>;

// Row-vector products: p·A, A·B.
std::array<double, 3> Times(const std::array<double, 3>& p, const Rows& m) {
  std::array<double, 3> out{};
  for (std::size_t c = 0; c < 3; ++c) out[c] = p[0] * m[0][c] + p[1] * m[1][c] + p[2] * m[2][c];
  return out;
}
Rows Times(const Rows& a, const Rows& b) {
  Rows out{};
  for (std::size_t r = 0; r < 3; ++r) out[r] = Times(a[r], b);
  return out;
}

// Static X Y Z angles: the turn about X, then about Y, then about Z.
Rows EulerRows(double x, double y, double z) {
  const Rows rx = {{{1, 0, 0}, {0, std::cos(x), std::sin(x)}, {0, -std::sin(x), std::cos(x)}}};
  const Rows ry = {{{std::cos(y), 0, -std::sin(y)}, {0, 1, 0}, {std::sin(y), 0, std::cos(y)}}};
  const Rows rz = {{{std::cos(z), std::sin(z), 0}, {-std::sin(z), std::cos(z), 0}, {0, 0, 1}}};
  return Times(Times(rx, ry), rz);
}

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
