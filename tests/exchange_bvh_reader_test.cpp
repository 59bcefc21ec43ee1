// The BVH reader: what our writer writes comes back with every joint where it was, hand-made
// files with other rotation orders and channel sets put their joints where the arithmetic done
// here by hand puts them, the shared samples read, and every malformed file gets its message.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "exchange/bvh_reader.h"
#include "exchange/bvh_writer.h"
#include "exchange/exchange_messages.h"
#include "exchange/htr_skeleton_adapter.h"
#include "filelib/file_messages.h"
#include "filelib/htr_file.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using exchange::Skeleton;
using testing::ScratchFolder;

// HTR samples written as BVH by our writer and read back: every joint of every frame where the
// source's forward kinematics put it (a Z-up source turned to Y up, as the writer turns it).
TEST(BvhReader, WhatOurWriterWritesComesBackInPlace) {
  ScratchFolder folder;
  int checked = 0;
  for (const std::string& source :
       {testing::SamplePath("htr/fight_a.htr"), testing::BundledSamplePath("walk.htr")}) {
    HTRFile model;
    ASSERT_EQ("", model.Read(source, true)) << source;
    const Skeleton original = exchange::FromHTR(model);
    ASSERT_EQ("", exchange::WriteBVH(original, folder.File("x.bvh")).message) << source;
    Skeleton read;
    exchange::BVHFacts facts;
    ASSERT_EQ("", exchange::ReadBVH(folder.File("x.bvh"), read, original.units, &facts).message)
        << source;
    ASSERT_EQ(original.NumJoints(), read.NumJoints()) << source;
    ASSERT_EQ(original.NumFrames(), read.NumFrames()) << source;
    EXPECT_EQ(original.NumFrames(), facts.declared_frames) << source;
    EXPECT_NEAR(original.rate, read.rate, 1e-9 * original.rate) << source;
    std::vector<exchange::Pose> a;
    std::vector<exchange::Pose> b;
    for (std::int64_t k = 0; k < original.NumFrames(); ++k) {
      exchange::WorldPoses(original, k, a);
      exchange::WorldPoses(read, k, b);
      for (std::size_t j = 0; j < a.size(); ++j) {
        exchange::Vector3 p = a[j].translation;
        if (original.up == Axis::kZ) p = exchange::Vector3(p.x, p.z, -p.y);
        const exchange::Vector3& q = b[j].translation;
        const double allowed = 1e-6 * (1 + std::abs(p.x) + std::abs(p.y) + std::abs(p.z));
        ASSERT_NEAR(p.x, q.x, allowed) << source << " frame " << k << " " << read.joints[j].name;
        ASSERT_NEAR(p.y, q.y, allowed) << source << " frame " << k << " " << read.joints[j].name;
        ASSERT_NEAR(p.z, q.z, allowed) << source << " frame " << k << " " << read.joints[j].name;
      }
    }
    ++checked;
  }
  EXPECT_EQ(checked, 2);
}

// Quarter turns about one axis after another, worked out by hand: a root at (1, 2, 3) whose
// channels turn it 90 degrees about Y; its child one unit along X (so at (1, 2, 2)), turned
// about X then Z with the rotation channels listed Xrotation Zrotation; a grandchild one unit
// along Y, moved by a position channel of its own. CR LF, tabs, a short frame time.
TEST(BvhReader, OtherRotationOrdersAndChannelSets) {
  const std::string text =
      "HIERARCHY\r\nROOT Hips\r\n{\r\n\tOFFSET 0 0 0\r\n"
      "\tCHANNELS 4 Xposition Yposition Zposition Yrotation\r\n"
      "\tJOINT Upper Arm\r\n\t{\r\n\t\tOFFSET 1 0 0\r\n\t\tCHANNELS 2 Xrotation Zrotation\r\n"
      "\t\tJOINT Hand {\r\n\t\t\tOFFSET 0 1 0   \r\n\t\t\tCHANNELS 1 Yposition\r\n"
      "\t\t\tEnd Site\r\n\t\t\t{\r\n\t\t\t\tOFFSET 0 0 2\r\n\t\t\t}\r\n\t\t}\r\n\t}\r\n}\r\n"
      "MOTION\r\nFrames: 2\r\nFrame Time: .0083333\r\n"
      "1 2 3 90 0 0 0\r\n"
      "1 2 3 90 90 90 0.5\r\n";
  ScratchFolder folder;
  Skeleton skeleton;
  exchange::BVHFacts facts;
  ASSERT_EQ(
      "", exchange::ReadBVH(folder.Write("x.bvh", text), skeleton, LengthUnit::kCentimetres, &facts)
              .message);
  ASSERT_EQ(3U, skeleton.NumJoints());
  EXPECT_EQ("Upper Arm", skeleton.joints[1].name);
  EXPECT_EQ(0, skeleton.joints[1].parent);
  EXPECT_EQ(1, skeleton.joints[2].parent);
  EXPECT_EQ(2.0, skeleton.joints[2].bone_length);
  EXPECT_EQ(120.0, skeleton.rate);
  EXPECT_EQ(LengthUnit::kCentimetres, skeleton.units);
  EXPECT_EQ(Axis::kY, skeleton.up);
  ASSERT_EQ(2, skeleton.NumFrames());
  // Frame 1: Ry(90) takes X to -Z and leaves Y: the child at (1, 2, 2), the hand one up.
  // Frame 2: the child turns Rx(90) then Rz(90) (listed X, Z: the matrix Rx·Rz) and the hand
  // sits 1.5 along the child's Y: Rz(90) takes Y to -X, Rx(90) leaves X, Ry(90) takes -X to Z.
  const std::vector<std::vector<exchange::Vector3>> expected = {
      {{1, 2, 3}, {1, 2, 2}, {1, 3, 2}}, {{1, 2, 3}, {1, 2, 2}, {1, 2, 3.5}}};
  std::vector<exchange::Pose> world;
  for (std::int64_t k = 0; k < 2; ++k) {
    exchange::WorldPoses(skeleton, k, world);
    for (std::size_t j = 0; j < 3; ++j) {
      const auto& p = world[j].translation;
      const auto& e = expected[static_cast<std::size_t>(k)][j];
      EXPECT_NEAR(e.x, p.x, 1e-12) << k << " " << j;
      EXPECT_NEAR(e.y, p.y, 1e-12) << k << " " << j;
      EXPECT_NEAR(e.z, p.z, 1e-12) << k << " " << j;
    }
  }
}

TEST(BvhReader, SharedSamplesRead) {
  int read = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::SamplePath("bvh"))) {
    if (entry.path().extension() != ".bvh") continue;
    Skeleton skeleton;
    exchange::BVHFacts facts;
    ASSERT_EQ("",
              exchange::ReadBVH(entry.path().string(), skeleton, LengthUnit::kCentimetres, &facts)
                  .message)
        << entry.path();
    EXPECT_GT(skeleton.NumJoints(), 5U) << entry.path();
    EXPECT_EQ(facts.declared_frames, skeleton.NumFrames()) << entry.path();
    EXPECT_EQ(120.0, skeleton.rate) << entry.path();
    ++read;
  }
  EXPECT_EQ(3, read);
}

// Each malformed file gets its own message, naming the line; a file with fewer frame lines than
// it declares reads the lines it has.
TEST(BvhReader, MalformedFilesNameTheFaultAndTheLine) {
  const std::string head =
      "HIERARCHY\nROOT A\n{\nOFFSET 0 0 0\nCHANNELS 3 Xrotation Yrotation Zrotation\n";
  const std::string tail = "}\nMOTION\nFrames: 1\nFrame Time: 0.01\n";
  struct Case {
    std::string text;
    std::string message;  // follows the malformed prefix, or the whole message
  };
  const std::string m(exchange::messages::kBVHMalformed);
  const Case cases[] = {
      {"", std::string(exchange::messages::kBVHHierarchy)},
      {"ROOT A\n", std::string(exchange::messages::kBVHHierarchy)},
      {head, m + "the file ends inside the hierarchy (line 5)"},
      {"HIERARCHY\nROOT A\nOFFSET 0 0 0\n", m + "expected { after a joint's name (line 3)"},
      {"HIERARCHY\nJOINT A\n{\n", m + "a JOINT outside every ROOT (line 2)"},
      {"HIERARCHY\nROOT\n{\n", m + "a joint without a name (line 2)"},
      {"HIERARCHY\nROOT A\n{\nOFFSET 0 x 0\n", m + "an OFFSET needs three numbers (line 4)"},
      {"HIERARCHY\nROOT A\n{\nCHANNELS 7\n", m + "CHANNELS needs a count from 0 to 6 (line 4)"},
      {"HIERARCHY\nROOT A\n{\nCHANNELS 2 Xrotation Wrotation\n",
       m + "a channel that is not Xposition, Yposition, Zposition, Xrotation, Yrotation or "
           "Zrotation, or fewer channels than counted (line 4)"},
      {head + "End Site\n{\nJOINT B\n", m + "a JOINT inside an End Site (line 8)"},
      {head + "}\n}\n", m + "a } that closes nothing (line 7)"},
      {"HIERARCHY\nMOTION\n", m + "no joint before MOTION (line 2)"},
      {head + "MOTION\n", m + "MOTION inside a joint (line 6)"},
      {head + "Hello\n", m + "unexpected \"Hello\" (line 6)"},
      {head + "}\nMOTION\nFrames 1\n", m + "expected \"Frames: <count>\" after MOTION (line 8)"},
      {head + "}\nMOTION\nFrames: -1\n", m + "expected \"Frames: <count>\" after MOTION (line 8)"},
      {head + "}\nMOTION\nFrames: 1\nFrame Time: 0\n",
       m + "expected \"Frame Time: <seconds above 0>\" after the frame count (line 9)"},
      {head + tail + "1 2\n",
       m + "frame 1 has 2 values where the hierarchy has 3 channels (line 10)"},
      {head + tail + "1 2 3 4\n",
       m + "frame 1 has 4 values where the hierarchy has 3 channels (line 10)"},
      {head + tail + "1 2 nan\n", m + "frame 1 holds \"nan\", which is not a number (line 10)"},
      {head + tail + "1 2 3x\n", m + "frame 1 holds \"3x\", which is not a number (line 10)"},
  };
  ScratchFolder folder;
  for (const Case& c : cases) {
    Skeleton skeleton;
    EXPECT_EQ(c.message,
              exchange::ReadBVH(folder.Write("bad.bvh", c.text), skeleton, LengthUnit::kMillimetres)
                  .message)
        << c.text;
  }
  Skeleton skeleton;
  exchange::BVHFacts facts;
  const std::string shorter = head + "}\nMOTION\nFrames: 2147483647\nFrame Time: 0.01\n1 2 3\n\n";
  EXPECT_EQ("", exchange::ReadBVH(folder.Write("short.bvh", shorter), skeleton,
                                  LengthUnit::kMillimetres, &facts)
                    .message);
  EXPECT_EQ(1, skeleton.NumFrames());
  EXPECT_EQ(2147483647, facts.declared_frames);
  EXPECT_EQ(100.0, skeleton.rate);
  EXPECT_EQ(messages::kCannotOpen,
            exchange::ReadBVH(folder.File("none.bvh"), skeleton, LengthUnit::kMillimetres).message);
}

}  // namespace
}  // namespace zar
