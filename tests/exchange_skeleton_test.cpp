// The skeleton read from HTR: world positions of every joint against a composition of the file's
// values written out independently here.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/bvh_reader.h"
#include "exchange/bvh_writer.h"
#include "exchange/htr_skeleton_adapter.h"
#include "exchange/skeleton.h"
#include "filelib/htr_file.h"
#include "filelib_test_support.h"
#include "rotation_rows_test_support.h"

namespace zar {
namespace {

using testing::BundledSamplePath;
using testing::EulerRows;
using testing::Rows;
using testing::ScratchFolder;
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

// Reading straight into the skeleton gives what FromHTR gives after the file model's reading, for
// every HTR file at hand and for layouts no writer makes: frame sections in another order than the
// hierarchy, children named before their parents, fewer or more frame lines than declared, a
// segment without frames, a segment's frames in two sections, a header or hierarchy line after the
// frames, a frame section before the segments, lines too short for the room made, a file that
// fails.
TEST(SkeletonFromHtr, ReadingStraightIntoTheSkeletonGivesWhatTheModelGives) {
  std::vector<std::string> files = {BundledSamplePath("walk.htr"),
                                    std::string(ZAR_TEST_DATA_DIR) + "/filelib/layout.htr",
                                    std::string(ZAR_TEST_DATA_DIR) + "/export_htr/two_bones.htr"};
  for (const auto& entry : std::filesystem::directory_iterator(testing::SamplePath("htr"))) {
    files.push_back(entry.path().string());
  }
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(ZAR_SOURCE_DIR) + "/fuzz/corpus/htr")) {
    files.push_back(entry.path().string());
  }
  const std::string head =
      "[Header]\nFileType htr\nDataType HTRS\nFileVersion 1\nNumSegments 3\nNumFrames 3\n"
      "RotationUnits Degrees\n";
  const std::string hierarchy = "[SegmentNames&Hierarchy]\nArm Chest\nChest GLOBAL\nHand Arm\n";
  const std::string base =
      "[BasePosition]\nChest 1 2 3 10 20 30 5\nArm 0 4 0 0 0 90 3\nHand 0 3 0 5 0 0 1\n";
  const auto frames = [](std::string_view name, int count, int from = 1) {
    std::string text = "[";
    text.append(name).append("]\n");
    for (int k = from; k < from + count; ++k) {
      const std::string n = std::to_string(k);
      text.append(n).append(" ").append(n).append(" -").append(std::to_string(name.size()));
      text.append(" 0.5 ").append(std::to_string(3 * k)).append(" 7 -").append(n);
      text.append(" 1.").append(n).append("\n");
    }
    return text;
  };
  const std::string all = frames("Hand", 3) + frames("Chest", 3) + frames("Arm", 3);
  std::string short_lines = "[Chest]\n";
  for (int k = 0; k < 40; ++k) short_lines.append(std::to_string(k % 10)).append(" 1\n");
  const std::vector<std::string> texts = {
      head + hierarchy + base + all,
      head + hierarchy + base + frames("Hand", 2) + frames("Chest", 3) + frames("Arm", 4),
      head + hierarchy + base + frames("Hand", 3) + frames("Arm", 3),
      head + hierarchy + base + frames("Hand", 3) + frames("Chest", 1) + frames("Arm", 3) +
          frames("Chest", 2, 2),
      head + hierarchy + base + all + "[Header]\nNumFrames 2\n",
      head + hierarchy + base + all + "[SegmentNames&Hierarchy]\nTail Hand\n",
      "[Header]\nNumSegments 1\nNumFrames 40\n[SegmentNames&Hierarchy]\nChest GLOBAL\n"
      "[BasePosition]\nChest 0 0 0 0 0 0 1\n" +
          short_lines,
      head + "[Chest]\n" + hierarchy + base + all,
      head + hierarchy + base + all + frames("Foot", 1),
      head + hierarchy + base,
  };
  ScratchFolder folder;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    files.push_back(folder.Write("case" + std::to_string(i) + ".htr", texts[i]));
  }
  int read = 0;
  for (const std::string& file : files) {
    HTRFile model;
    std::string message = model.Read(file, true);
    if (message.empty()) {
      // What a reader for conversions gives: nothing to convert fails.
      FileContents contents = model.Contents();
      contents.frames = exchange::FromHTR(model).NumFrames();
      message = NothingToConvert(contents);
    }
    exchange::Skeleton direct;
    ASSERT_EQ(message, exchange::ReadHTR(file, direct).message) << file;
    if (!message.empty()) continue;
    ++read;
    const exchange::Skeleton expected = exchange::FromHTR(model);
    ASSERT_EQ(expected.NumJoints(), direct.NumJoints()) << file;
    ASSERT_EQ(expected.NumFrames(), direct.NumFrames()) << file;
    EXPECT_EQ(expected.rate, direct.rate) << file;
    EXPECT_EQ(expected.units, direct.units) << file;
    EXPECT_EQ(expected.up, direct.up) << file;
    EXPECT_EQ(expected.first_frame, direct.first_frame) << file;
    for (std::size_t j = 0; j < expected.NumJoints(); ++j) {
      const exchange::SkeletonJoint& a = expected.joints[j];
      const exchange::SkeletonJoint& b = direct.joints[j];
      EXPECT_EQ(a.name, b.name) << file;
      EXPECT_EQ(a.parent, b.parent) << file;
      EXPECT_EQ(a.bone_length, b.bone_length) << file;
      for (std::int64_t k = 0; k < expected.NumFrames(); ++k) {
        // Every field, bit for bit.
        ASSERT_EQ(0,
                  std::memcmp(&expected.At(k, j), &direct.At(k, j), sizeof(exchange::JointMotion)))
            << file << " frame " << k << " joint " << a.name;
      }
    }
  }
  EXPECT_GE(read, 12);
}

// A BVH file's frame time is the exact rate's, to twelve significant digits, when the rate is
// not a whole number (rounding it would make a long take drift against its source).
TEST(BvhWriter, FrameTimeComesFromTheExactRate) {
  exchange::Skeleton skeleton;
  skeleton.joints = {{"Root", -1, {}, exchange::RotationFromAngles(0, 0, 0), 1.0}};
  skeleton.SetFrames(3);
  ScratchFolder folder;
  for (const double rate : {70.588, 119.88, 29.97002997, 250.0}) {
    skeleton.rate = rate;
    ASSERT_EQ("", exchange::WriteBVH(skeleton, folder.File("x.bvh")).message);
    const std::string text = testing::ReadBytes(folder.File("x.bvh"));
    const std::size_t at = text.find("Frame Time: ");
    ASSERT_NE(std::string::npos, at);
    const double frame_time = std::strtod(text.c_str() + at + 12, nullptr);
    EXPECT_NEAR(1.0, frame_time * rate, 1e-11) << rate;
  }
}

// The BVH's rest pose is the HTR's base pose: with every channel of a frame set to zero (the
// root's position too), each joint stands where the base pose puts it relative to the root, in
// the file's Y-up world. (That every frame's joints are where the forward kinematics puts them
// is the three.js peer check's.)
TEST(BvhWriter, ZeroChannelsStandInTheBasePose) {
  ScratchFolder folder;
  const exchange::Rotation z_up_to_y_up(exchange::Vector3(1, 0, 0), exchange::Vector3(0, 0, -1),
                                        exchange::Vector3(0, 1, 0));
  for (const auto& [file, z_up] : {std::pair{testing::SamplePath("htr/fight_a.htr"), false},
                                   {BundledSamplePath("walk.htr"), false},
                                   {BundledSamplePath("walk.htr"), true}}) {
    SCOPED_TRACE(file + (z_up ? " as Z up" : ""));
    HTRFile model;
    ASSERT_EQ("", model.Read(file, true));
    exchange::Skeleton skeleton = exchange::FromHTR(model);
    if (z_up) skeleton.up = Axis::kZ;  // the writer turns the world to Y up
    const std::string bvh = folder.File("rest.bvh");
    ASSERT_EQ("", exchange::WriteBVH(skeleton, bvh).message);
    // Every number of the first motion line becomes 0.
    std::string text = testing::ReadBytes(bvh);
    const std::size_t line = text.find('\n', text.find("Frame Time:")) + 1;
    const std::size_t end = text.find('\n', line);
    std::string zeros;
    for (std::size_t at = line; at < end; at = text.find_first_of(" \n", at) + 1) {
      zeros += zeros.empty() ? "0" : " 0";
      if (text.find_first_of(" \n", at) >= end) break;
    }
    text.replace(line, end - line, zeros);
    const std::string edited = folder.Write("zero.bvh", text);
    exchange::Skeleton back;
    ASSERT_EQ("", exchange::ReadBVH(edited, back, skeleton.units).message);
    std::vector<exchange::Pose> zeroed;
    exchange::WorldPoses(back, 0, zeroed);

    exchange::Skeleton rest = skeleton;
    rest.SetFrames(1);  // every joint at its base pose
    std::vector<exchange::Pose> base;
    exchange::WorldPoses(rest, 0, base);
    const exchange::Rotation turn =
        skeleton.up == Axis::kZ ? z_up_to_y_up : exchange::RotationFromAngles(0, 0, 0);
    int compared = 0;
    for (std::size_t j = 0; j < skeleton.NumJoints(); ++j) {
      const auto found = std::find_if(
          back.joints.begin(), back.joints.end(),
          [&](const exchange::SkeletonJoint& b) { return b.name == skeleton.joints[j].name; });
      ASSERT_NE(found, back.joints.end()) << skeleton.joints[j].name;
      const exchange::Vector3 from_root =
          exchange::Turned(exchange::Vector3(base[j].translation.x - base[0].translation.x,
                                             base[j].translation.y - base[0].translation.y,
                                             base[j].translation.z - base[0].translation.z),
                           turn);
      const exchange::Vector3& got =
          zeroed[static_cast<std::size_t>(found - back.joints.begin())].translation;
      EXPECT_NEAR(from_root.x, got.x, 1e-6) << skeleton.joints[j].name;
      EXPECT_NEAR(from_root.y, got.y, 1e-6) << skeleton.joints[j].name;
      EXPECT_NEAR(from_root.z, got.z, 1e-6) << skeleton.joints[j].name;
      ++compared;
    }
    EXPECT_GE(compared, 7);
  }
}

}  // namespace
}  // namespace zar
