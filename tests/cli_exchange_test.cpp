// zarfileio c3d and convert, run as a person runs them.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <numbers>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "c3d_bytes_test_support.h"
#include "exchange/c3d_analog.h"
#include "exchange/c3d_events.h"
#include "exchange/c3d_file.h"
#include "exchange/exchange_messages.h"
#include "exchange/force_plates.h"
#include "exchange/htr_skeleton_adapter.h"
#include "exchange/marker_formats.h"
#include "exchange/skeleton_formats.h"
#include "filelib/htr_file.h"
#include "filelib/motion_units.h"
#include "filelib/trc_file.h"
#include "filelib_test_support.h"
#include "plugin_test_support.h"

namespace zar {
namespace {

using testing::ScratchFolder;

// The tool's exit status and what it printed (standard output and error together).
testing::RunResult Zarfileio(const std::vector<std::string>& arguments) {
  std::string command = testing::Quoted(std::string(ZAR_BINARY_DIR) + "/cli/zarfileio");
  for (const std::string& argument : arguments)
    command.append(" ").append(testing::Quoted(argument));
  return testing::Run(command.append(" 2>&1"));
}

bool Has(const testing::RunResult& run, const std::string& text) {
  return run.output.find(text) != std::string::npos;
}

TEST(CliC3D, CheckAndInfo) {
  const std::string good = testing::SamplePath("c3d/Eb015vi.c3d");
  const std::string empty = testing::SamplePath("c3d/Empty.c3d");
  const testing::RunResult check = Zarfileio({"c3d", "check", good, empty});
  EXPECT_EQ(1, check.status);
  EXPECT_TRUE(
      Has(check, good + ": ok (26 points, 450 frames from 1, 50 frames/s, mm, DEC integer, "))
      << check.output;
  EXPECT_TRUE(Has(check, empty + ": " + std::string(exchange::messages::kC3DEmpty) + "\n"));
  EXPECT_EQ(0, Zarfileio({"c3d", "check", good}).status);

  const testing::RunResult info = Zarfileio({"c3d", "info", testing::SamplePath("c3d/Gait.c3d")});
  ASSERT_EQ(0, info.status) << info.output;
  for (const char* expected :
       {"processor: DEC\n", "  POINT (", "    LABELS  char[", "points: 33 (33 markers)\n"}) {
    EXPECT_TRUE(Has(info, expected)) << expected << "\n" << info.output;
  }
  EXPECT_EQ(1, Zarfileio({"c3d", "info", empty}).status);
}

// glTF is written in metres: the "wrote" line says so whatever the source's unit, and an --units
// asking for another unit is named as not used rather than dropped without a word.
TEST(CliConvert, GltfSaysItIsInMetres) {
  ScratchFolder folder;
  const std::string source = testing::SamplePath("c3d/Gait.c3d");
  const testing::RunResult plain = Zarfileio({"convert", source, folder.File("gait.glb")});
  ASSERT_EQ(0, plain.status) << plain.output;
  EXPECT_TRUE(Has(plain, " frames/s, m)\n")) << plain.output;
  const testing::RunResult cm =
      Zarfileio({"convert", source, folder.File("gait.gltf"), "--units", "cm"});
  ASSERT_EQ(0, cm.status) << cm.output;
  EXPECT_TRUE(Has(cm, "--units cm is not used")) << cm.output;
  EXPECT_TRUE(Has(cm, " frames/s, m)\n")) << cm.output;
}

// A C3D file names its up axis in POINT:Y_SCREEN: convert takes it from there (an --up that
// differs is named as not used), and a C3D written says the axis it was given.
TEST(CliConvert, C3DSaysWhichAxisIsUp) {
  ScratchFolder folder;
  const std::string gait = testing::SamplePath("c3d/Gait.c3d");  // Y_SCREEN '+Z'
  const testing::RunResult glb = Zarfileio({"convert", gait, folder.File("g.glb"), "--up", "y"});
  ASSERT_EQ(0, glb.status) << glb.output;
  EXPECT_TRUE(Has(glb, "gives Z as its up axis; --up y is not used")) << glb.output;
  const std::string trc = std::string(ZAR_SOURCE_DIR) + "/samples/markers.trc";
  for (const auto& [from, up, screen] :
       {std::tuple{gait, "", "'+Z'"}, {trc, "", "'+Y'"}, {trc, "z", "'+Z'"}}) {
    std::vector<std::string> args = {"convert", from, folder.File("out.c3d")};
    if (*up != '\0') args.insert(args.end(), {"--up", up});
    ASSERT_EQ(0, Zarfileio(args).status) << from << " " << up;
    const testing::RunResult info = Zarfileio({"c3d", "info", folder.File("out.c3d")});
    EXPECT_TRUE(Has(info, std::string("Y_SCREEN  char[2]  ") + screen)) << from << " " << up;
  }
}

// A bone scale factor other than 1 has no place in BVH nor in the glTF written: both name the
// bones written without it.
TEST(CliConvert, BoneScaleFactorsLeftOutAreNamed) {
  ScratchFolder folder;
  std::string text = testing::ReadBytes(testing::BundledSamplePath("walk.htr"));
  const std::string line =
      "2\t0.000000\t1.299038\t8.000000\t0.000000\t0.000000\t0.000000\t1.000000";
  const std::size_t at = text.find(line);
  ASSERT_NE(std::string::npos, at);
  text.replace(at + line.size() - 8, 8, "1.500000");
  const std::string scaled = folder.Write("scaled.htr", text);
  for (const char* out : {"scaled.bvh", "scaled.glb"}) {
    const testing::RunResult run = Zarfileio({"convert", scaled, folder.File(out)});
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_TRUE(Has(run, "; written without it for: Pelvis\n")) << out << "\n" << run.output;
  }
  EXPECT_FALSE(Has(Zarfileio({"convert", scaled, folder.File("scaled.csv")}), "warning"));
}

// C3D to TRC (names from the descriptions, a frame range keeping the source's numbers) and back
// to C3D, through the tool.
TEST(CliConvert, C3DToTrcAndBack) {
  ScratchFolder folder;
  const std::string source = testing::SamplePath("c3d/Gait.c3d");
  const std::string trc = folder.File("gait.trc");
  const testing::RunResult to_trc = Zarfileio({"convert", source, trc, "--names", "descriptions",
                                               "--from", "11", "--to", "60", "--keep-time"});
  ASSERT_EQ(0, to_trc.status) << to_trc.output;
  EXPECT_EQ("wrote " + trc + " (33 markers, 50 frames from 11, 100 frames/s, mm)\n", to_trc.output);
  exchange::C3DFile original;
  ASSERT_EQ("", original.Read(source).message);
  TRCFile written;
  ASSERT_EQ("", written.Read(trc, false));
  ASSERT_EQ(33, written.NumMarkers());
  EXPECT_EQ(original.points.markers[4].description, written.Marker(4)->Name());
  EXPECT_EQ(11, written.StartFrame());
  const exchange::MarkerSample& sample = original.points.At(20, 4);  // frame 21
  EXPECT_EQ(sample.present, written.Marker(4)->Sample(10).present);
  EXPECT_FLOAT_EQ(static_cast<float>(sample.y),
                  static_cast<float>(written.Marker(4)->Sample(10).y));

  const std::string c3d = folder.File("gait.c3d");
  ASSERT_EQ(0, Zarfileio({"convert", trc, c3d}).status);
  exchange::C3DFile back;
  ASSERT_EQ("", back.Read(c3d).message);
  EXPECT_EQ(11, back.points.first_frame);
  EXPECT_EQ(written.Marker(4)->Name(), back.points.markers[4].name);
}

TEST(CliConvert, RefusesWhatItCannotDo) {
  ScratchFolder folder;
  const std::string source = testing::SamplePath("c3d/MyCube.c3d");
  const testing::RunResult pair = Zarfileio({"convert", source, folder.File("x.bvh")});
  EXPECT_EQ(2, pair.status);
  EXPECT_TRUE(Has(pair,
                  ".c3d -> .c3d .trc .csv .glb .gltf; .trc -> .c3d .trc .csv .glb .gltf; "
                  ".htr -> .htr .bvh .csv .glb .gltf"))
      << pair.output;
  EXPECT_EQ(
      2,
      Zarfileio({"convert", testing::BundledSamplePath("walk.htr"), folder.File("x.trc")}).status);
  EXPECT_EQ(2, Zarfileio({"convert", source, folder.File("x.csv"), "--units", "km"}).status);
  EXPECT_EQ(2, Zarfileio({"convert", source, folder.File("x.trc"), "--from", "5"}).status);
  EXPECT_EQ(2, Zarfileio({"convert", source, folder.File("x.trc"), "--names", "full"}).status);
  const testing::RunResult damaged = Zarfileio(
      {"convert", testing::SamplePath("c3d/badParameterOffset.c3d"), folder.File("x.trc")});
  EXPECT_EQ(1, damaged.status);
  EXPECT_TRUE(Has(damaged, std::string(exchange::messages::kC3DParameterOverlap)))
      << damaged.output;
  EXPECT_EQ(0U, folder.Count());
}

// A BVH file as any reader sees it: joints with offsets and channels, and the frame values.
struct Bvh {
  struct Joint {
    std::string name;
    int parent = -1;
    std::array<double, 3> offset{};
    std::vector<std::string> channels;
  };
  std::vector<Joint> joints;
  int frames = 0;
  double frame_time = 0.0;
  std::vector<std::vector<double>> values;  // one line per frame
};

void ReadJoint(std::istream& in, int parent, Bvh& bvh) {
  Bvh::Joint joint;
  joint.parent = parent;
  std::string word;
  in >> joint.name >> word;  // name, "{"
  const int index = static_cast<int>(bvh.joints.size());
  bvh.joints.push_back(joint);
  while (in >> word && word != "}") {
    if (word == "OFFSET") {
      auto& o = bvh.joints[static_cast<std::size_t>(index)].offset;
      in >> o[0] >> o[1] >> o[2];
    } else if (word == "CHANNELS") {
      int n = 0;
      in >> n;
      for (int c = 0; c < n && in >> word; ++c) {
        bvh.joints[static_cast<std::size_t>(index)].channels.push_back(word);
      }
    } else if (word == "JOINT") {
      ReadJoint(in, index, bvh);
    } else if (word == "End") {
      while (in >> word && word != "}") {
      }
    }
  }
}

Bvh ReadBvh(const std::string& path) {
  std::ifstream in(path);
  Bvh bvh;
  std::string word;
  in >> word >> word;  // HIERARCHY ROOT
  ReadJoint(in, -1, bvh);
  in >> word >> word >> bvh.frames >> word >> word >>
      bvh.frame_time;  // MOTION Frames: n Frame Time: t
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream numbers(line);
    bvh.values.emplace_back();
    for (double v = 0; numbers >> v;) bvh.values.back().push_back(v);
  }
  return bvh;
}

// World positions of every joint in frame k, column vectors: a channel list Zrotation Yrotation
// Xrotation is the matrix Rz·Ry·Rx; position channels replace the offset.
std::vector<std::array<double, 3>> BvhPositions(const Bvh& bvh, std::size_t k) {
  using M = std::array<std::array<double, 3>, 3>;
  const auto times = [](const M& a, const M& b) {
    M out{};
    for (std::size_t r = 0; r < 3; ++r)
      for (std::size_t c = 0; c < 3; ++c)
        for (std::size_t q = 0; q < 3; ++q) out[r][c] += a[r][q] * b[q][c];
    return out;
  };
  std::vector<M> rotations;
  std::vector<std::array<double, 3>> positions;
  std::size_t v = 0;
  for (const Bvh::Joint& joint : bvh.joints) {
    std::array<double, 3> t = joint.offset;
    M r = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (const std::string& channel : joint.channels) {
      const double value = bvh.values[k][v++];
      const std::size_t axis = static_cast<std::size_t>(channel[0] - 'X');
      if (channel.find("position") != std::string::npos) {
        t[axis] = value;
        continue;
      }
      const double a = value * std::numbers::pi / 180.0;
      M turn = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
      const std::size_t i = (axis + 1) % 3;
      const std::size_t j = (axis + 2) % 3;
      turn[i][i] = turn[j][j] = std::cos(a);
      turn[i][j] = -std::sin(a);
      turn[j][i] = std::sin(a);
      r = times(r, turn);
    }
    if (joint.parent >= 0) {
      const M& pr = rotations[static_cast<std::size_t>(joint.parent)];
      const std::array<double, 3>& pp = positions[static_cast<std::size_t>(joint.parent)];
      std::array<double, 3> moved{};
      for (std::size_t a = 0; a < 3; ++a) {
        moved[a] = pp[a] + pr[a][0] * t[0] + pr[a][1] * t[1] + pr[a][2] * t[2];
      }
      t = moved;
      r = times(pr, r);
    }
    rotations.push_back(r);
    positions.push_back(t);
  }
  return positions;
}

// HTR to BVH through the tool, read back by the reader above: every joint at the first, a middle
// and the last frame where the skeleton's own forward kinematics put it (a Z-up file turned to
// Y up), one line per frame.
TEST(CliConvert, HtrToBvhPlacesEveryJointWhereTheSkeletonDoes) {
  ScratchFolder folder;
  std::string walk = testing::ReadBytes(testing::BundledSamplePath("walk.htr"));
  walk.replace(walk.find("GlobalAxisofGravity Y"), 21, "GlobalAxisofGravity Z");
  std::ofstream(folder.File("walk_z.htr"), std::ios::binary) << walk;
  for (const std::string& source :
       {testing::SamplePath("htr/fight_a.htr"), testing::BundledSamplePath("walk.htr"),
        folder.File("walk_z.htr")}) {
    const testing::RunResult run = Zarfileio({"convert", source, folder.File("out.bvh")});
    ASSERT_EQ(0, run.status) << run.output;
    const Bvh bvh = ReadBvh(folder.File("out.bvh"));
    HTRFile model;
    ASSERT_EQ("", model.Read(source, true));
    const exchange::Skeleton skeleton = exchange::FromHTR(model);
    ASSERT_EQ(bvh.joints.size(), skeleton.NumJoints()) << source;
    ASSERT_EQ(bvh.frames, skeleton.NumFrames()) << source;
    ASSERT_EQ(bvh.values.size(), static_cast<std::size_t>(bvh.frames)) << source;
    EXPECT_NEAR(bvh.frame_time * skeleton.rate, 1.0, 5e-9) << source;
    const bool z_up = skeleton.up == Axis::kZ;
    std::vector<exchange::Pose> world;
    for (const std::int64_t k :
         {std::int64_t{0}, skeleton.NumFrames() / 2, skeleton.NumFrames() - 1}) {
      exchange::WorldPoses(skeleton, k, world);
      const auto got = BvhPositions(bvh, static_cast<std::size_t>(k));
      for (std::size_t b = 0; b < got.size(); ++b) {
        std::size_t j = 0;
        while (j < skeleton.NumJoints() && skeleton.joints[j].name != bvh.joints[b].name) ++j;
        ASSERT_LT(j, skeleton.NumJoints()) << bvh.joints[b].name;
        const exchange::Vector3& p = world[j].translation;
        const double mm = LengthConversionFactor(skeleton.units, LengthUnit::kMillimetres);
        const std::array<double, 3> expected =
            z_up ? std::array{p.x, p.z, -p.y} : std::array{p.x, p.y, p.z};
        for (std::size_t a = 0; a < 3; ++a) {
          EXPECT_NEAR(got[b][a] * mm, expected[a] * mm, 1e-3)
              << source << " " << bvh.joints[b].name;
        }
      }
    }
  }
}

// A skeleton's CSV holds its joints' world positions, here converted to metres.
TEST(CliConvert, HtrToCsvHoldsJointWorldPositionsInTheUnitAskedFor) {
  ScratchFolder folder;
  const std::string source = testing::BundledSamplePath("walk.htr");
  const testing::RunResult run =
      Zarfileio({"convert", source, folder.File("walk.csv"), "--units", "m", "--from", "12"});
  ASSERT_EQ(0, run.status) << run.output;
  HTRFile model;
  ASSERT_EQ("", model.Read(source, true));
  const exchange::Skeleton skeleton = exchange::FromHTR(model);
  std::vector<exchange::Pose> world;
  exchange::WorldPoses(skeleton, skeleton.NumFrames() - 1, world);
  std::ifstream in(folder.File("walk.csv"));
  std::string head;
  std::string row;
  ASSERT_TRUE(std::getline(in, head) && std::getline(in, row));
  EXPECT_EQ(head.substr(0, 37), "frame,time,Pelvis_x,Pelvis_y,Pelvis_z");
  std::istringstream cells(row);
  std::vector<double> values;
  for (std::string cell; std::getline(cells, cell, ',');) values.push_back(std::stod(cell));
  ASSERT_EQ(values.size(), 2 + 3 * world.size());
  EXPECT_EQ(values[0], 1);  // a cut starts a clip of its own: frame 1, 0 s
  EXPECT_EQ(values[1], 0.0);
  for (std::size_t j = 0; j < world.size(); ++j) {
    const exchange::Vector3& p = world[j].translation;  // centimetres
    EXPECT_NEAR(values[2 + 3 * j] * 100, p.x, 1e-9);
    EXPECT_NEAR(values[3 + 3 * j] * 100, p.y, 1e-9);
    EXPECT_NEAR(values[4 + 3 * j] * 100, p.z, 1e-9);
  }
  EXPECT_FALSE(std::getline(in, row));
}

// The numbers of each data row of a marker file as plain text holds them: TRC rows split on tabs
// (from the line after the axis titles), CSV rows on commas (after the heading); the frame and
// time columns left out.
std::vector<std::vector<double>> MarkerRows(const std::string& path, char separator, int skip) {
  std::ifstream in(path);
  std::vector<std::vector<double>> rows;
  std::string line;
  for (int i = 0; i < skip && std::getline(in, line); ++i) {
  }
  while (std::getline(in, line)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    std::istringstream cells(line);
    std::vector<double> values;
    int column = 0;
    for (std::string cell; std::getline(cells, cell, separator); ++column) {
      // An empty cell is a missing sample, as "NaN" is.
      if (column >= 2) values.push_back(cell.empty() ? NAN : std::strtod(cell.c_str(), nullptr));
    }
    rows.push_back(std::move(values));
  }
  return rows;
}

// A marker file converted with --units holds every coordinate in that unit (the bundled TRC
// sample is in millimetres), in CSV and in TRC alike.
TEST(CliConvert, MarkerFilesAreWrittenInTheUnitAskedFor) {
  ScratchFolder folder;
  const std::string source = testing::BundledSamplePath("markers.trc");
  const auto original = MarkerRows(source, '\t', 5);
  ASSERT_EQ(20U, original.size());
  struct Case {
    const char* unit;
    double per_mm;
    const char* file;
    char separator;
    int skip;
  };
  for (const Case& c : {Case{"m", 1e-3, "m.csv", ',', 1}, Case{"cm", 0.1, "cm.trc", '\t', 5},
                        Case{"in", 1 / 25.4, "in.csv", ',', 1}}) {
    const testing::RunResult run =
        Zarfileio({"convert", source, folder.File(c.file), "--units", c.unit});
    ASSERT_EQ(0, run.status) << run.output;
    const auto written = MarkerRows(folder.File(c.file), c.separator, c.skip);
    ASSERT_EQ(original.size(), written.size()) << c.file;
    for (std::size_t k = 0; k < original.size(); ++k) {
      ASSERT_EQ(original[k].size(), written[k].size()) << c.file << " row " << k;
      for (std::size_t i = 0; i < original[k].size(); ++i) {
        if (std::isnan(original[k][i])) {
          EXPECT_TRUE(std::isnan(written[k][i])) << c.file << " row " << k << " value " << i;
          continue;
        }
        EXPECT_NEAR(original[k][i] * c.per_mm, written[k][i], 1e-6 * (1 + std::abs(original[k][i])))
            << c.file << " row " << k << " value " << i;
      }
    }
  }
}

// A TRC that counts its frames from 0 becomes a C3D counting from 1, and the user is told; the
// "wrote" line says what the file holds.
TEST(CliConvert, C3DFramesAreRenumberedFromOneAndSaidSo) {
  ScratchFolder folder;
  const testing::RunResult run =
      Zarfileio({"convert", testing::SamplePath("trc/temp_trc_file.trc"), folder.File("x.c3d")});
  ASSERT_EQ(0, run.status) << run.output;
  EXPECT_TRUE(Has(run, "C3D counts frames from 1; the frames from 0 are numbered from 1"))
      << run.output;
  EXPECT_TRUE(Has(run, "806 frames from 1,")) << run.output;
  exchange::C3DFile file;
  ASSERT_EQ("", file.Read(folder.File("x.c3d")).message);
  EXPECT_EQ(1, file.points.first_frame);
}

// HTR to HTR is what htr convert writes, byte for byte (the scale factor and reference lengths
// that the skeleton model does not carry included); a FIFO as the source is refused at once.
// A clinical file lists model outputs (joint angles, forces, moments, powers) as points: they
// are left out of what convert writes unless --points asks for them, and then keep their values
// (no length unit applies to them).
TEST(CliConvert, ModelOutputsAreNotMarkers) {
  ScratchFolder folder;
  const std::string pig = testing::SamplePath("c3d/PiG_Motion3_FF.c3d");
  const auto header = [](const std::string& csv) {
    std::ifstream in(csv);
    std::string line;
    std::getline(in, line);
    return line;
  };
  for (const char* target : {"pig.csv", "pig.trc", "pig.glb"}) {
    const testing::RunResult run = Zarfileio({"convert", pig, folder.File(target)});
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_TRUE(Has(run, "(61 markers, 293 frames")) << run.output;
  }
  EXPECT_EQ(std::string::npos, header(folder.File("pig.csv")).find("Angles"));
  EXPECT_NE(std::string::npos, header(folder.File("pig.csv")).find("LASI_x"));
  const testing::RunResult angles =
      Zarfileio({"convert", pig, folder.File("angles.csv"), "--points", "angles", "--units", "m"});
  ASSERT_EQ(0, angles.status) << angles.output;
  EXPECT_TRUE(Has(angles, "(12 points (12 angles), 293 frames from 725, 100 frames/s)\n"))
      << angles.output;
  const std::string columns = header(folder.File("angles.csv"));
  EXPECT_EQ(0U, columns.find("frame,time,LHipAnglesV_x,")) << columns;
  EXPECT_EQ(2 + 12 * 3, std::count(columns.begin(), columns.end(), ',') + 1) << columns;
  // The angles are the file's own numbers, in degrees: the same with and without --units.
  ASSERT_EQ(0, Zarfileio({"convert", pig, folder.File("deg.csv"), "--points", "angles"}).status);
  EXPECT_EQ(testing::ReadBytes(folder.File("deg.csv")),
            testing::ReadBytes(folder.File("angles.csv")));
  const testing::RunResult none = Zarfileio(
      {"convert", testing::SamplePath("trc/Gait.trc"), folder.File("x.csv"), "--points", "powers"});
  EXPECT_EQ(1, none.status);
  EXPECT_TRUE(Has(none, "(powers); the file has 33 markers")) << none.output;
  EXPECT_FALSE(std::filesystem::exists(folder.File("x.csv")));
}

// --markers and --exclude choose points by name (globs, any letter case, comma-separated or
// repeated) in convert and view; a pattern that names nothing is said, a choice that leaves
// nothing fails, and a skeleton input refuses them.
TEST(CliConvert, PointsChosenByName) {
  ScratchFolder folder;
  const std::string pig = testing::SamplePath("c3d/PiG_Motion3_FF.c3d");
  const std::string csv = folder.File("chosen.csv");
  const testing::RunResult run = Zarfileio(
      {"convert", pig, csv, "--markers", "lasi,R?SI", "--markers", "*KNE", "--exclude", "RKNE"});
  ASSERT_EQ(0, run.status) << run.output;
  std::ifstream in(csv);
  std::string header;
  std::getline(in, header);
  EXPECT_EQ(
      "frame,time,LASI_x,LASI_y,LASI_z,RASI_x,RASI_y,RASI_z,RPSI_x,RPSI_y,RPSI_z,LKNE_x,LKNE_y,"
      "LKNE_z",
      header);
  const testing::RunResult unknown = Zarfileio({"convert", pig, csv, "--markers", "LASI,Nothing*"});
  EXPECT_EQ(0, unknown.status);
  EXPECT_TRUE(Has(unknown, "--markers Nothing* names no point")) << unknown.output;
  const testing::RunResult empty =
      Zarfileio({"convert", pig, folder.File("none.csv"), "--exclude", "*"});
  EXPECT_EQ(1, empty.status);
  EXPECT_TRUE(Has(empty, std::string(exchange::messages::kNoPointsNamed))) << empty.output;
  EXPECT_FALSE(std::filesystem::exists(folder.File("none.csv")));
  const testing::RunResult view =
      Zarfileio({"view", pig, "--out", folder.File("v.html"), "--markers", "LASI,RASI"});
  EXPECT_TRUE(Has(view, "2 markers, 293 frames")) << view.output;
  EXPECT_EQ(
      2, Zarfileio({"convert", testing::SamplePath("htr/walk.htr"), csv, "--exclude", "A"}).status);
}

// What a C3D holds beside its points, as CSV tables: analog channels in their units, force
// plates sample by sample, events; and the flags that only go with them.
TEST(CliConvert, AnalogForcesAndEventsAsTables) {
  ScratchFolder folder;
  const std::string eb = testing::SamplePath("c3d/Eb015pi.c3d");
  const auto lines = [](const std::string& csv) {
    std::vector<std::string> out;
    std::ifstream in(csv);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  };
  const testing::RunResult analog =
      Zarfileio({"convert", eb, folder.File("a.csv"), "--analog", "--channels", "f?1"});
  ASSERT_EQ(0, analog.status) << analog.output;
  EXPECT_TRUE(Has(analog, "(3 channels, 1800 samples, 200 samples/s)")) << analog.output;
  const std::vector<std::string> a = lines(folder.File("a.csv"));
  ASSERT_EQ(1801U, a.size());
  EXPECT_EQ("sample,time,FX1,FY1,FZ1", a[0]);
  EXPECT_EQ(0U, a[2].find("1,0.005,")) << a[2];

  const testing::RunResult forces = Zarfileio({"convert", eb, folder.File("f.csv"), "--forces"});
  ASSERT_EQ(0, forces.status) << forces.output;
  const std::vector<std::string> f = lines(folder.File("f.csv"));
  ASSERT_EQ(1 + 2 * 1800U, f.size());  // a row per plate per sample
  EXPECT_EQ("sample,time,plate,Fx,Fy,Fz,Mx,My,Mz,COPx,COPy,COPz,Tz", f[0]);
  EXPECT_EQ(0U, f[2].find("0,0,2,")) << f[2];

  const std::string pig = testing::SamplePath("c3d/PiG_Motion3_FF.c3d");
  ASSERT_EQ(0, Zarfileio({"convert", pig, folder.File("e.csv"), "--events"}).status);
  const std::vector<std::string> e = lines(folder.File("e.csv"));
  ASSERT_EQ(13U, e.size());
  EXPECT_EQ("Left,Foot Strike,7.85,786", e[1]);

  struct Refused {
    std::vector<std::string> arguments;
    int status;
    std::string says;
  };
  for (const Refused& r : {
           Refused{{"convert", eb, folder.File("x.csv"), "--forces", "--from", "3"},
                   2,
                   "--from is not used with --analog, --forces or --events"},
           Refused{{"convert", eb, folder.File("x.trc"), "--analog"}, 2, "write a CSV file"},
           Refused{{"convert", eb, folder.File("x.csv"), "--channels", "F*"},
                   2,
                   "--channels is not used without --analog"},
           Refused{{"convert", eb, folder.File("x.csv"), "--analog", "--events"}, 2, "excludes"},
           Refused{{"convert", eb, folder.File("x.csv"), "--events"}, 1, "has no events"},
       }) {
    const testing::RunResult run = Zarfileio(r.arguments);
    EXPECT_EQ(r.status, run.status) << run.output;
    EXPECT_TRUE(Has(run, r.says)) << run.output;
    EXPECT_FALSE(std::filesystem::exists(folder.File("x.csv")));
  }
}

// A name a format cannot hold is changed as it is written, and the user is told which.
TEST(CliConvert, EveryRenameIsReported) {
  ScratchFolder folder;
  testing::C3DLayout layout;
  layout.labels = {"A", "A", "", "B"};
  layout.frames = 2;
  const std::string c3d = folder.Write("names.c3d", testing::C3DBytes(layout));
  const testing::RunResult csv = Zarfileio({"convert", c3d, folder.File("n.csv")});
  ASSERT_EQ(0, csv.status) << csv.output;
  EXPECT_TRUE(Has(csv, "warning: " + folder.File("n.csv") +
                           ": CSV renames markers whose names it cannot hold: 'A' as A_2, '' as "
                           "Marker3\n"))
      << csv.output;
  // C3D holds repeated and empty labels: nothing to report.
  const testing::RunResult same = Zarfileio({"convert", c3d, folder.File("n.c3d")});
  ASSERT_EQ(0, same.status) << same.output;
  EXPECT_FALSE(Has(same, "renames")) << same.output;
}

// C3D to C3D cut with --from/--to keeps every group and parameter, and the copy reads back as the
// same frames of the source: points with their missing samples, analog samples, force plates
// (with their baseline where the cut keeps its frames, else both read without one) and events.
TEST(CliConvert, C3DToC3DKeepsTheWholeFileCutToTheFramesAsked) {
  ScratchFolder folder;
  const std::string out = folder.File("cut.c3d");
  // Parameters the cut rewrites; every other one is carried as it is.
  const auto rewritten = [](const std::string& group, const std::string& name) {
    return group == "EVENT" || (group == "TRIAL" && name.starts_with("ACTUAL_")) ||
           (group == "FORCE_PLATFORM" && name == "ZERO") || (group == "ANALOG" && name == "RATE") ||
           (group == "POINT" && (name == "FRAMES" || name == "DATA_START" || name == "SCALE" ||
                                 name == "USED" || name == "LONG_FRAMES"));
  };
  for (const char* name :
       {"DEC_INT.C3D", "Dec_real.c3d", "Eb015pi.c3d", "Eb015vr.c3d", "sgi_int.c3d", "sgi_real.c3d",
        "Gait.c3d", "PiG_Motion3_FF.c3d", "golfswing.c3d", "sub_labels.c3d"}) {
    const std::string path = testing::SamplePath(std::string("c3d/") + name);
    exchange::C3DFile source;
    ASSERT_EQ("", source.Read(path).message) << name;
    for (const bool from_start : {false, true}) {
      const std::int64_t first = source.points.first_frame;
      const std::int64_t frames = source.points.NumFrames();
      const std::int64_t from = from_start ? first : first + frames / 3;
      const std::int64_t to = first + 2 * frames / 3;
      const std::string what =
          std::string(name) + " " + std::to_string(from) + "-" + std::to_string(to);
      const testing::RunResult run = Zarfileio(
          {"convert", path, out, "--from", std::to_string(from), "--to", std::to_string(to)});
      ASSERT_EQ(0, run.status) << what << run.output;
      exchange::C3DFile cut;
      ASSERT_EQ("", cut.Read(out).message) << what;

      for (const exchange::C3DGroup& group : source.parameters.groups) {
        for (const exchange::C3DParameter& p : group.parameters) {
          const exchange::C3DParameter* q = cut.parameters.Find(group.name, p.name);
          ASSERT_NE(nullptr, q) << what << " " << group.name << ":" << p.name;
          if (rewritten(group.name, p.name)) continue;
          EXPECT_TRUE(q->type == p.type && q->dimensions == p.dimensions && q->text == p.text &&
                      q->numbers == p.numbers && q->description == p.description)
              << what << " " << group.name << ":" << p.name;
        }
      }

      const std::int64_t offset = from - first;
      exchange::MarkerSet expected = source.points;
      expected.KeepFrames(offset, to - from + 1);
      expected.first_frame = 1;
      ASSERT_EQ(expected.NumFrames(), cut.points.NumFrames()) << what;
      ASSERT_EQ(expected.NumMarkers(), cut.points.NumMarkers()) << what;
      EXPECT_EQ(1, cut.points.first_frame) << what;
      for (std::int64_t k = 0; k < expected.NumFrames(); ++k) {
        for (std::size_t m = 0; m < expected.NumMarkers(); ++m) {
          const exchange::MarkerSample& a = expected.At(k, m);
          const exchange::MarkerSample& b = cut.points.At(k, m);
          ASSERT_TRUE(a.present == b.present && a.x == b.x && a.y == b.y && a.z == b.z)
              << what << " frame " << k << " point " << m;
        }
      }

      exchange::C3DAnalog analog_in;
      exchange::C3DAnalog analog_out;
      ASSERT_EQ("", exchange::ReadC3DAnalog(path, source, analog_in).message) << what;
      ASSERT_EQ("", exchange::ReadC3DAnalog(out, cut, analog_out).message) << what;
      ASSERT_EQ(analog_in.NumChannels(), analog_out.NumChannels()) << what;
      EXPECT_EQ(analog_in.rate, analog_out.rate) << what;
      const auto per = static_cast<std::int64_t>(analog_in.per_frame);
      ASSERT_EQ((to - from + 1) * (analog_in.NumChannels() > 0 ? per : 0), analog_out.NumSamples())
          << what;
      for (std::int64_t s = 0; s < analog_out.NumSamples(); ++s) {
        for (std::size_t c = 0; c < analog_out.NumChannels(); ++c) {
          ASSERT_EQ(analog_in.At(s + offset * per, c), analog_out.At(s, c)) << what << " " << s;
        }
      }

      exchange::ForcePlateOptions zero;
      zero.zero = from_start;  // the samples' baseline is their first ten frames
      std::vector<exchange::ForcePlate> plates_in;
      std::vector<exchange::ForcePlate> plates_out;
      ASSERT_EQ("", exchange::C3DForcePlates(source, analog_in, zero, plates_in)) << what;
      ASSERT_EQ("", exchange::C3DForcePlates(cut, analog_out, zero, plates_out)) << what;
      ASSERT_EQ(plates_in.size(), plates_out.size()) << what;
      for (std::size_t i = 0; i < plates_in.size(); ++i) {
        const auto& a = plates_in[i].samples;
        const auto& b = plates_out[i].samples;
        ASSERT_EQ(static_cast<std::size_t>(analog_out.NumSamples()), b.size()) << what;
        for (std::size_t s = 0; s < b.size(); ++s) {
          const exchange::PlateSample& x = a[s + static_cast<std::size_t>(offset * per)];
          ASSERT_NEAR(x.force.z, b[s].force.z, 1e-9) << what << " plate " << i << " " << s;
          ASSERT_NEAR(x.moment.x, b[s].moment.x, 1e-9) << what << " plate " << i << " " << s;
        }
      }

      std::vector<std::int64_t> frames_in;
      for (const exchange::C3DEvent& e : exchange::C3DEvents(source.parameters)) {
        const std::int64_t frame = exchange::C3DEventFrame(e.time, source.points.rate);
        if (frame >= from && frame <= to) frames_in.push_back(frame - offset - first + 1);
      }
      std::vector<std::int64_t> frames_out;
      for (const exchange::C3DEvent& e : exchange::C3DEvents(cut.parameters)) {
        frames_out.push_back(exchange::C3DEventFrame(e.time, cut.points.rate));
      }
      EXPECT_EQ(frames_in, frames_out) << what;
    }
  }
  // A flag that changes the points takes the marker path, and says what it leaves behind.
  const testing::RunResult units =
      Zarfileio({"convert", testing::SamplePath("c3d/Gait.c3d"), out, "--units", "m"});
  EXPECT_EQ(0, units.status);
  EXPECT_TRUE(Has(units, "holds the points only: the analog samples, events and other groups"))
      << units.output;
}

// A cut (--from/--to) starts a clip of its own in every format: frames numbered from 1, the clock
// at 0 s; --keep-time keeps the source's numbers and clock (frame 100 of a 60 frames/s capture
// numbered from 1 is at 1.65 s).
TEST(CliConvert, ACutStartsAtZeroUnlessTheSourceClockIsKept) {
  ScratchFolder folder;
  // The first frame's number and time as each output says them.
  const auto start = [&folder](const std::string& file) -> std::pair<std::int64_t, double> {
    const std::string path = folder.File(file);
    const std::string extension = file.substr(file.rfind('.'));
    if (extension == ".csv") {
      std::ifstream in(path);
      std::string head, row;
      std::getline(in, head);
      std::getline(in, row);
      return {std::stoll(row), std::stod(row.substr(row.find(',') + 1))};
    }
    if (extension == ".gltf") {
      const auto gltf = nlohmann::json::parse(testing::ReadBytes(path));
      const auto input = gltf["animations"][0]["samplers"][0]["input"].get<std::size_t>();
      return {gltf["scenes"][0]["extras"]["firstFrame"].get<std::int64_t>(),
              gltf["accessors"][input]["min"][0].get<double>()};
    }
    if (extension == ".htr") {
      HTRFile htr;
      EXPECT_EQ("", htr.Read(path, true));
      return {htr.StartFrame(), std::nan("")};
    }
    exchange::MarkerSet set;  // .trc and .c3d
    EXPECT_EQ("", exchange::FindMarkerFormat(path)->read(path, {}, set).message);
    return {set.first_frame, std::nan("")};
  };
  struct Source {
    std::string file;
    std::vector<std::string> targets;
  };
  for (const Source& source :
       {Source{testing::SamplePath("htr/fight_a.htr"), {"s.csv", "s.gltf", "s.htr"}},
        Source{testing::SamplePath("trc/markers_walk.trc"),
               {"m.csv", "m.gltf", "m.trc", "m.c3d"}}}) {
    for (const std::string& target : source.targets) {
      SCOPED_TRACE(target);
      ASSERT_EQ(0, Zarfileio({"convert", source.file, folder.File(target), "--from", "100", "--to",
                              "160"})
                       .status);
      const auto [frame, time] = start(target);
      EXPECT_EQ(1, frame);
      if (!std::isnan(time)) {
        EXPECT_EQ(0.0, time);
      }
      ASSERT_EQ(0, Zarfileio({"convert", source.file, folder.File(target), "--from", "100", "--to",
                              "160", "--keep-time"})
                       .status);
      const auto [kept_frame, kept_time] = start(target);
      EXPECT_EQ(100, kept_frame);
      if (!std::isnan(kept_time) && source.file.ends_with(".htr")) {
        EXPECT_NEAR(1.65, kept_time, 1e-6);
      }
    }
  }
}

// A Z-up capture written --up-out y stands upright where it is read next: its heights are in Y,
// a C3D says so, and view takes a TRC (which does not say) as Y up by the formats table. A writer
// that has one axis only refuses the other.
TEST(CliConvert, WrittenInTheUpAxisAsked) {
  ScratchFolder folder;
  const std::string gait = testing::SamplePath("c3d/Gait.c3d");
  exchange::MarkerSet original;
  ASSERT_EQ("", exchange::FindMarkerFormat(gait)->read(gait, {}, original).message);
  ASSERT_EQ(Axis::kZ, original.up);
  for (const char* target : {"up.trc", "up.c3d"}) {
    SCOPED_TRACE(target);
    const std::string out = folder.File(target);
    ASSERT_EQ(0, Zarfileio({"convert", gait, out, "--up-out", "y"}).status);
    const exchange::MarkerFormat& format = *exchange::FindMarkerFormat(out);
    exchange::MarkerSet back;
    ASSERT_EQ("", format.read(out, {}, back).message);
    EXPECT_EQ(Axis::kY, exchange::SourceUp(format, back, std::nullopt));
    int compared = 0;
    for (std::int64_t k = 0; k < original.NumFrames(); ++k) {
      for (std::size_t m = 0; m < original.NumMarkers(); ++m) {
        const exchange::MarkerSample& before = original.At(k, m);
        const exchange::MarkerSample& after = back.At(k, m);
        ASSERT_EQ(before.present, after.present);
        if (!before.present) continue;
        ASSERT_NEAR(before.x, after.x, 1e-3);
        ASSERT_NEAR(before.z, after.y, 1e-3);  // the height
        ASSERT_NEAR(-before.y, after.z, 1e-3);
        ++compared;
      }
    }
    EXPECT_GT(compared, 1000);
    const std::string page = folder.File(std::string(target) + ".html");
    ASSERT_EQ(0, Zarfileio({"view", out, "--out", page}).status);
    EXPECT_NE(std::string::npos, testing::ReadBytes(page).find("\"up\":\"Y\""));
  }
  // An HTR says Y up when written: a Z-up skeleton is turned at its root, every joint with it.
  std::string walk = testing::ReadBytes(testing::BundledSamplePath("walk.htr"));
  const std::size_t axis = walk.find("GlobalAxisofGravity Y");
  ASSERT_NE(std::string::npos, axis);
  walk[axis + 20] = 'Z';
  const std::string z_up = folder.Write("z_up.htr", walk);
  ASSERT_EQ(0, Zarfileio({"convert", z_up, folder.File("y_up.htr"), "--from", "1"}).status);
  const exchange::SkeletonFormat& htr = *exchange::FindSkeletonFormat(z_up);
  exchange::Skeleton source;
  exchange::Skeleton written;
  ASSERT_EQ("", htr.read(z_up, source).message);
  ASSERT_EQ("", htr.read(folder.File("y_up.htr"), written).message);
  EXPECT_EQ(Axis::kZ, source.up);
  EXPECT_EQ(Axis::kY, written.up);
  std::vector<exchange::Pose> before;
  std::vector<exchange::Pose> after;
  exchange::WorldPoses(source, 3, before);
  exchange::WorldPoses(written, 3, after);
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t j = 0; j < before.size(); ++j) {
    EXPECT_NEAR(before[j].translation.z, after[j].translation.y, 1e-4);
    EXPECT_NEAR(-before[j].translation.y, after[j].translation.z, 1e-4);
  }
  const testing::RunResult glb =
      Zarfileio({"convert", gait, folder.File("z.glb"), "--up-out", "z"});
  EXPECT_EQ(2, glb.status);
  EXPECT_TRUE(Has(glb, "glTF binary is written Y up; --up-out z cannot be done")) << glb.output;
}

// Two damaged files from the outside world: refused, naming --lenient; read with it, with a
// warning for each thing cut or left out, and every point label intact.
TEST(CliC3D, LenientReadsWhatCanBeRead) {
  const std::string offsets = testing::SamplePath("c3d/badParameterOffset.c3d");
  const std::string section = testing::SamplePath("c3d/bad_parameter_section.c3d");
  const testing::RunResult strict = Zarfileio({"c3d", "check", offsets, section});
  EXPECT_EQ(1, strict.status);
  EXPECT_EQ(2U,
            static_cast<std::size_t>(std::count(strict.output.begin(), strict.output.end(), '\n')));
  EXPECT_TRUE(Has(strict, "POINT:LABELS (a lenient read takes what can be read: --lenient)\n"))
      << strict.output;
  const testing::RunResult lenient = Zarfileio({"c3d", "check", "--lenient", offsets, section});
  EXPECT_EQ(0, lenient.status) << lenient.output;
  EXPECT_TRUE(Has(lenient, offsets + ": ok (41 points, 111 frames")) << lenient.output;
  EXPECT_TRUE(Has(lenient, "POINT:LABELS: its description runs into the next record; it was cut"))
      << lenient.output;
  EXPECT_TRUE(Has(lenient, "ANALOG:UNITS; it was left out")) << lenient.output;
  EXPECT_TRUE(Has(lenient, "EVENT:LABELS; it and any record after it were not read"))
      << lenient.output;
  exchange::C3DFile file;
  ASSERT_EQ("", file.Read(offsets, exchange::C3DReadOptions{true}).message);
  ASSERT_EQ(41U, file.points.NumMarkers());
  for (std::size_t m = 0; m < 41; ++m) {
    EXPECT_EQ(file.points.markers[m].name,
              "Point" + std::string(m < 9 ? "    " : "   ") + std::to_string(m + 1));
  }
}

// A marker file that does not name its up axis is taken the same way by view and by convert:
// the format's default. What convert took is what the C3D it writes says (POINT:Y_SCREEN); what
// view took is in the page.
TEST(CliConvert, ViewAndConvertTakeTheSameUpAxis) {
  ScratchFolder folder;
  const std::string trc = testing::SamplePath("trc/markers_walk.trc");
  testing::C3DLayout layout;
  layout.labels = {"A", "B"};
  layout.frames = 3;
  const std::string c3d = folder.Write("no_up.c3d", testing::C3DBytes(layout));
  int formats = 0;
  for (const exchange::MarkerFormat& format : exchange::MarkerFormats()) {
    if (format.read == nullptr) continue;
    ++formats;
    SCOPED_TRACE(format.extension);
    const std::string source = format.extension == ".c3d" ? c3d : trc;
    ASSERT_EQ(source.substr(source.size() - format.extension.size()), format.extension);
    const std::string written = folder.File("up" + std::string(format.extension) + ".c3d");
    ASSERT_EQ(0, Zarfileio({"convert", source, written}).status);
    exchange::MarkerSet set;
    ASSERT_EQ("", exchange::FindMarkerFormat(written)->read(written, {}, set).message);
    EXPECT_TRUE(set.up_known);
    EXPECT_EQ(set.up, format.default_up);
    const std::string page = folder.File("up" + std::string(format.extension) + ".html");
    ASSERT_EQ(0, Zarfileio({"view", source, "--out", page}).status);
    const std::string up = "\"up\":\"" + std::string(AxisText(set.up)) + "\"";
    EXPECT_NE(testing::ReadBytes(page).find(up), std::string::npos) << up;
  }
  EXPECT_EQ(formats, 2);  // TRC and C3D: a format read later needs its file here
  // The C3D default differs from the TRC one, so the test tells a command that ignores it.
  EXPECT_EQ(exchange::FindMarkerFormat(c3d)->default_up, Axis::kZ);
}

TEST(CliConvert, HtrToHtrIsHtrConvert) {
  ScratchFolder folder;
  const std::string source = testing::SamplePath("htr/fight_a.htr");
  const testing::RunResult run =
      Zarfileio({"convert", source, folder.File("a.htr"), "--units", "cm"});
  ASSERT_EQ(0, run.status) << run.output;
  const testing::RunResult plain =
      Zarfileio({"htr", "convert", source, folder.File("b.htr"), "--units", "cm"});
  ASSERT_EQ(0, plain.status) << plain.output;
  EXPECT_EQ(testing::ReadBytes(folder.File("b.htr")), testing::ReadBytes(folder.File("a.htr")));
  ASSERT_EQ(0, ::mkfifo(folder.File("pipe.trc").c_str(), 0600));
  const testing::RunResult fifo =
      Zarfileio({"convert", folder.File("pipe.trc"), folder.File("x.csv")});
  EXPECT_EQ(1, fifo.status);
  EXPECT_TRUE(Has(fifo, "not a regular file (a FIFO)")) << fifo.output;
}

// An HTR imported into a scene comes back from the scene as BVH whose joints land, frame for frame,
// where convert puts them straight from the HTR file (within what the scene's single-precision
// keys hold).
TEST(CliSceneSource, ImportedHtrComesBackAsBvhWithTheSameJointPositions) {
  ScratchFolder folder;
  ::setenv("ZARFILEIO_REGISTRY", folder.File("registry.json").c_str(), 1);
  const std::string source = testing::SamplePath("htr/fight_a.htr");
  const std::string scene = folder.File("fight.json");
  ASSERT_EQ(0, Zarfileio({"import-htr", source, "--scene", scene, "--create", "--all",
                          "--set-frame-rate"})
                   .status);
  const testing::RunResult to_bvh = Zarfileio({"convert", scene, folder.File("fight.bvh")});
  ASSERT_EQ(0, to_bvh.status) << to_bvh.output;
  EXPECT_TRUE(Has(to_bvh, "(22 joints, 1141 frames from 1, 60 frames/s, mm)")) << to_bvh.output;
  ASSERT_EQ(0, Zarfileio({"convert", source, folder.File("fight.csv"), "--units", "mm"}).status);

  const Bvh bvh = ReadBvh(folder.File("fight.bvh"));
  std::ifstream csv(folder.File("fight.csv"));
  std::string line;
  ASSERT_TRUE(std::getline(csv, line));
  std::vector<std::string> header;
  for (std::istringstream cells(line); std::getline(cells, line, ',');) header.push_back(line);
  std::vector<std::vector<double>> rows;
  while (std::getline(csv, line)) {
    rows.emplace_back();
    for (std::istringstream cells(line); std::getline(cells, line, ',');) {
      rows.back().push_back(std::stod(line));
    }
  }
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(bvh.frames));
  ASSERT_EQ(bvh.values.size(), rows.size());
  EXPECT_NEAR(bvh.frame_time * 60.0, 1.0, 1e-9);
  ASSERT_EQ(header.size(), 2 + 3 * bvh.joints.size());
  for (const std::size_t k : {std::size_t{0}, rows.size() / 2, rows.size() - 1}) {
    const auto got = BvhPositions(bvh, k);
    for (std::size_t b = 0; b < got.size(); ++b) {
      const auto column = std::find(header.begin(), header.end(), bvh.joints[b].name + "_x");
      ASSERT_NE(column, header.end()) << bvh.joints[b].name;
      const auto c = static_cast<std::size_t>(column - header.begin());
      for (std::size_t a = 0; a < 3; ++a) {
        EXPECT_NEAR(got[b][a], rows[k][c + a], 1e-3) << bvh.joints[b].name << " frame " << k;
      }
    }
  }
}

// A BVH from another system reaches the host: made an HTR, imported onto a bone skeleton, and
// taken back from the scene, its joints are where the BVH puts them.
TEST(CliSceneSource, ABvhReachesTheHostThroughHtr) {
  ScratchFolder folder;
  ::setenv("ZARFILEIO_REGISTRY", folder.File("registry.json").c_str(), 1);
  const std::string bvh = testing::SamplePath("bvh/cmu_12_01_walk.bvh");
  ASSERT_EQ(0, Zarfileio({"convert", bvh, folder.File("walk.htr")}).status);
  const std::string scene = folder.File("walk.json");
  ASSERT_EQ(0, Zarfileio({"import-htr", folder.File("walk.htr"), "--scene", scene, "--create",
                          "--all", "--set-frame-rate"})
                   .status);
  ASSERT_EQ(0, Zarfileio({"convert", bvh, folder.File("bvh.csv"), "--units", "mm"}).status);
  ASSERT_EQ(0, Zarfileio({"convert", scene, folder.File("scene.csv"), "--units", "mm"}).status);
  const auto table = [](const std::string& path) {
    std::map<std::string, std::vector<double>> columns;  // name_x, ... -> values by frame
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    std::vector<std::string> names;
    for (std::istringstream cells(line); std::getline(cells, line, ',');) names.push_back(line);
    while (std::getline(in, line)) {
      std::size_t c = 0;
      for (std::istringstream cells(line); std::getline(cells, line, ','); ++c) {
        columns[names[c]].push_back(line.empty() ? NAN : std::stod(line));
      }
    }
    return columns;
  };
  const auto from_bvh = table(folder.File("bvh.csv"));
  const auto from_scene = table(folder.File("scene.csv"));
  int compared = 0;
  for (const auto& [name, values] : from_bvh) {
    if (name == "frame" || name == "time") continue;
    const auto found = from_scene.find(name);
    ASSERT_NE(found, from_scene.end()) << name;
    ASSERT_EQ(values.size(), found->second.size()) << name;
    for (std::size_t k = 0; k < values.size(); k += 37) {
      EXPECT_NEAR(values[k], found->second[k], 0.05) << name << " frame " << k;
      ++compared;
    }
  }
  EXPECT_GT(compared, 1000);
}

// TRC files imported as marker clouds come back from the scene as TRC with their markers, values
// and gaps (frames before the first and after the last sample of any marker are not in the
// scene). A scene with two clouds, or with the wrong kind for the output, is refused with what it
// holds; --node picks one cloud, or one marker by its path.
TEST(CliSceneSource, ImportedTrcComesBackWithItsMarkersAndGaps) {
  ScratchFolder folder;
  ::setenv("ZARFILEIO_REGISTRY", folder.File("registry.json").c_str(), 1);
  const std::string scene = folder.File("clouds.json");
  for (const char* name : {"trc/Gait.trc", "trc/dataWithBlanksForMissingMarkers.trc",
                           "trc/exampleFormat.trc", "trc/temp_trc_file.trc"}) {
    const std::string source = testing::SamplePath(name);
    std::remove(scene.c_str());
    ASSERT_EQ(0, Zarfileio({"import-trc", source, "--scene", scene, "--create", "--root-node",
                            "--all", "--set-frame-rate"})
                     .status);
    const testing::RunResult run = Zarfileio({"convert", scene, folder.File("back.trc")});
    ASSERT_EQ(0, run.status) << run.output;
    TRCFile original;
    TRCFile back;
    ASSERT_EQ("", original.Read(source, false));
    ASSERT_EQ("", back.Read(folder.File("back.trc"), false));
    // The scene's rate: 250 frames/s is a frame of 19 ticks, 4800/19 frames/s.
    EXPECT_NEAR(back.ExactDataRate(), 4800 / std::floor(4800 / original.ExactDataRate()), 1e-4)
        << name;
    ASSERT_EQ(original.NumMarkers(), back.NumMarkers()) << name;
    const double factor = LengthConversionFactor(original.Units(), back.Units());
    std::int32_t present = 0;
    for (std::int32_t m = 0; m < original.NumMarkers(); ++m) {
      EXPECT_EQ(original.Marker(m)->Name(), back.Marker(m)->Name());
      for (std::int32_t k = 0; k < original.Marker(m)->NumSamples(); ++k) {
        const TRCSample& want = original.Marker(m)->Sample(k);
        const std::int32_t at = original.StartFrame() + k - back.StartFrame();
        if (at < 0 || at >= back.Marker(m)->NumSamples()) {
          EXPECT_FALSE(want.present) << name << " " << m << " " << k;
          continue;
        }
        const TRCSample& got = back.Marker(m)->Sample(at);
        ASSERT_EQ(want.present, got.present) << name << " " << m << " " << k;
        present += got.present ? 1 : 0;
        if (!got.present) continue;
        EXPECT_FLOAT_EQ(static_cast<float>(want.x * factor), static_cast<float>(got.x));
        EXPECT_FLOAT_EQ(static_cast<float>(want.z * factor), static_cast<float>(got.z));
      }
    }
    EXPECT_GT(present, 0) << name;
  }
  ASSERT_EQ(0, Zarfileio({"import-trc", testing::SamplePath("trc/Knee.trc"), "--scene", scene,
                          "--create", "--root-node", "--all"})
                   .status);
  const testing::RunResult two = Zarfileio({"convert", scene, folder.File("x.csv")});
  EXPECT_EQ(2, two.status);
  EXPECT_TRUE(Has(two, "holds no skeleton and 2 marker clouds (TRCCloud, TRCCloud001)"))
      << two.output;
  EXPECT_EQ(2, Zarfileio({"convert", scene, folder.File("x.bvh"), "--node", "TRCCloud"}).status);
  EXPECT_EQ(2, Zarfileio({"convert", scene, folder.File("x.trc"), "--node", "Nobody"}).status);
  for (const char* refused : {"x.csv", "x.bvh", "x.trc"}) {
    EXPECT_FALSE(std::filesystem::exists(folder.File(refused))) << refused;
  }
  const testing::RunResult one = Zarfileio(
      {"convert", scene, folder.File("one.csv"), "--node", "TRCCloud001/genou1_NewMarker1"});
  EXPECT_EQ(0, one.status) << one.output;
  EXPECT_TRUE(Has(one, "(1 markers, 200 frames from 1,")) << one.output;
  ASSERT_EQ(0, Zarfileio({"import-trc", testing::SamplePath("trc/Knee.trc"), "--scene", scene,
                          "--root-node", "--all"})
                   .status);
  const testing::RunResult shared =
      Zarfileio({"convert", scene, folder.File("shared.csv"), "--node", "genou1_NewMarker1"});
  EXPECT_EQ(0, shared.status) << shared.output;
  EXPECT_TRUE(Has(shared, "2 nodes are named genou1_NewMarker1; converting TRCCloud001/"))
      << shared.output;
}

// What convert can do is listed, scene documents included; a pair it cannot do is refused with
// the list.
TEST(CliSceneSource, HelpAndRefusalListTheSceneRows) {
  ScratchFolder folder;
  const std::string rows =
      ".json (scene document) -> a skeleton: .htr .bvh .csv .glb .gltf, a marker cloud:";
  const testing::RunResult help = Zarfileio({"convert", "--help"});
  std::string flat = help.output;
  std::replace(flat.begin(), flat.end(), '\n', ' ');
  EXPECT_NE(std::string::npos, flat.find(".htr -> .htr .bvh .csv .glb .gltf; "
                                         ".bvh -> .htr .bvh .csv .glb .gltf; " +
                                         rows))
      << help.output;
  EXPECT_NE(std::string::npos, flat.find("--node")) << help.output;
  std::ofstream(folder.File("s.json")) << "{}";
  const testing::RunResult refused =
      Zarfileio({"convert", folder.File("s.json"), folder.File("x.pnx")});
  EXPECT_EQ(2, refused.status);
  EXPECT_TRUE(Has(refused, rows)) << refused.output;
}

// A chain of segments far deeper than the call stack could follow goes through every command
// that walks a hierarchy, and what they write stays in proportion to the chain: BVH lines are
// indented only so far.
TEST(CliDeepSkeleton, AChainDeeperThanTheStackGoesThroughEveryCommand) {
  constexpr int kSegments = 30000;
  ScratchFolder folder;
  ::setenv("ZARFILEIO_REGISTRY", folder.File("registry.json").c_str(), 1);
  const std::string source = folder.File("deep.htr");
  {
    std::ofstream out(source, std::ios::binary);
    out << "[Header]\nFileType htr\nDataType HTRS\nFileVersion 1\nNumSegments " << kSegments
        << "\nNumFrames 2\nDataFrameRate 30\nEulerRotationOrder ZYX\nCalibrationUnits mm\n"
           "RotationUnits Degrees\nGlobalAxisofGravity Y\nBoneLengthAxis Y\nScaleFactor 1.00\n"
           "[SegmentNames&Hierarchy]\n";
    out << "S0\tGLOBAL\n";
    for (int i = 1; i < kSegments; ++i) out << "S" << i << "\tS" << i - 1 << "\n";
    out << "[BasePosition]\n";
    for (int i = 0; i < kSegments; ++i) out << "S" << i << "\t0\t1\t0\t0\t0\t1\t1\n";
    for (int i = 0; i < kSegments; ++i)
      out << "[S" << i << "]\n1\t0\t0\t0\t0\t0\t0\t1\n2\t0\t0\t0\t0\t1\t0\t1\n";
    out << "[EndOfFile]\n";
  }
  const std::string scene = folder.File("deep.json");
  const auto ok = [](const testing::RunResult& run) {
    EXPECT_EQ(0, run.status) << run.output.substr(0, 2000);
  };
  ok(Zarfileio({"import-htr", source, "--scene", scene, "--create", "--all"}));
  for (const std::string& input : {source, scene}) {
    for (const char* extension : {".bvh", ".glb", ".csv"}) {
      ok(Zarfileio({"convert", input, folder.File("out") + extension}));
    }
    ok(Zarfileio({"view", input, "-o", folder.File("deep.html")}));
  }
  ok(Zarfileio({"convert", scene, folder.File("scene.htr")}));
  ok(Zarfileio({"export-htr", folder.File("exported.htr"), "--scene", scene, "--select", "S0"}));
  for (const char* written : {"scene.htr", "exported.htr"}) {
    const testing::RunResult check = Zarfileio({"htr", "check", folder.File(written)});
    EXPECT_TRUE(Has(check, "ok (30000 segments, 2 frames")) << check.output;
  }

  std::ifstream bvh(folder.File("out.bvh"));
  std::string line;
  std::size_t joints = 0, open = 0, close = 0, longest = 0;
  while (std::getline(bvh, line) && line != "MOTION") {
    longest = std::max(longest, line.size());
    const std::string text = line.substr(line.find_first_not_of(' '));
    joints += text.starts_with("ROOT ") || text.starts_with("JOINT ");
    open += text == "{";
    close += text == "}";
  }
  EXPECT_EQ(static_cast<std::size_t>(kSegments), joints);
  EXPECT_EQ(open, close);
  EXPECT_LT(longest, 300u);
}

}  // namespace
}  // namespace zar
