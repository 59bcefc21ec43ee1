// Force plates: plates of every type given channel values made here from a known ground reaction
// (force, centre of pressure, free moment) give that reaction back; the baseline and the
// threshold; the plates of real gait files push the walker up from inside their corners and
// match a hand computation from their channels.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "exchange/c3d_analog.h"
#include "exchange/c3d_file.h"
#include "exchange/force_plates.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using exchange::Vector3;

double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Cross(const Vector3& a, const Vector3& b) {
  return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

exchange::C3DParameter Reals(const std::string& name, std::vector<double> values) {
  exchange::C3DParameter p;
  p.name = name;
  p.type = exchange::C3DType::kFloat;
  p.dimensions = {static_cast<int>(values.size())};
  p.numbers = std::move(values);
  return p;
}

// A plate lying as the first plate of a common gait file does: its x along the lab's -Y, its y
// along -X, its z down; 914 x 610 mm, centred at (150.8, -315.9, 0).
const std::vector<double> kCorners = {-306.4, -620.7, 0, -306.4, -11.1,  0,
                                      608.0,  -11.1,  0, 608.0,  -620.7, 0};
const Vector3 kCentre(150.8, -315.9, 0.0);
const Vector3 kX(0, -1, 0), kY(-1, 0, 0), kZ(0, 0, -1);

// The known reaction on the subject: force (N, lab axes), centre of pressure (mm, lab) and free
// moment (N mm, about the upward normal).
const Vector3 kForce(31.0, -42.5, 712.0);
const Vector3 kCop(190.8, -395.9, 0.0);
const double kFree = 1500.0;

// The channel values of a plate of `type` under that reaction, worked out by hand from the
// plate's description: the reaction in plate axes; its moment about the surface's centre is
// p x F plus the free moment, which about the plate's downward z is -kFree; about the transducer
// origin, which is `origin` below the centre, M_O = M_C + origin x F.
std::vector<double> ChannelsFor(int type, const Vector3& origin) {
  const Vector3 f(Dot(kForce, kX), Dot(kForce, kY), Dot(kForce, kZ));
  const Vector3 r(kCop.x - kCentre.x, kCop.y - kCentre.y, kCop.z - kCentre.z);
  const Vector3 p(Dot(r, kX), Dot(r, kY), 0.0);
  const Vector3 turn = Cross(p, f);
  const Vector3 mc(turn.x, turn.y, turn.z - kFree);
  const Vector3 shift = Cross(origin, f);
  const Vector3 mo(mc.x + shift.x, mc.y + shift.y, mc.z + shift.z);
  switch (type) {
    case 1:
      return {f.x, f.y, f.z, p.x + origin.x, p.y + origin.y, -kFree};
    case 2:
      return {f.x, f.y, f.z, mo.x, mo.y, mo.z};
    case 4:
      // The calibration below adds half of channel 2 to channel 1: take it off here.
      return {f.x - 0.5 * f.y / 2.0, f.y / 2.0, f.z, mo.x, mo.y, mo.z};
    default: {
      // Four sensors at (+-a, +-b): Fy split evenly, Fx split to give Mz, the vertical loads
      // solved with the extra condition fz1 + fz3 = fz2 + fz4.
      const double a = 200.0, b = 300.0;
      const double s = f.z, x = mo.x / b, y = mo.y / a;
      return {(f.x - (mo.z / b)) / 2, (f.x + (mo.z / b)) / 2, f.y / 2,         f.y / 2,
              (s + x - y) / 4,        (s + x + y) / 4,        (s - x + y) / 4, (s - x - y) / 4};
    }
  }
}

// A file with one plate of `type` and its analog channels: sample 0 unloaded, sample 1 under the
// reaction, every channel carrying `bias` in both; ZERO names the first frame as the baseline.
void MakePlate(int type, double bias, exchange::C3DFile& file, exchange::C3DAnalog& analog) {
  const Vector3 origin = type == 3 ? Vector3(0, 0, -40.0) : Vector3(1.5, -2.0, -45.0);
  const std::vector<double> channels = ChannelsFor(type, origin);
  exchange::C3DGroup group;
  group.name = "FORCE_PLATFORM";
  group.id = 3;
  exchange::C3DParameter used;
  used.name = "USED";
  used.type = exchange::C3DType::kInteger;
  used.numbers = {1};
  group.parameters.push_back(used);
  group.parameters.push_back(Reals("TYPE", {static_cast<double>(type)}));
  group.parameters.push_back(Reals("CORNERS", kCorners));
  // Type 3 keeps the sensors' a and b and their depth in ORIGIN.
  group.parameters.push_back(type == 3 ? Reals("ORIGIN", {200.0, 300.0, -40.0})
                                       : Reals("ORIGIN", {origin.x, origin.y, origin.z}));
  std::vector<double> numbers;
  for (std::size_t c = 0; c < channels.size(); ++c) numbers.push_back(static_cast<double>(c + 2));
  exchange::C3DParameter channel = Reals("CHANNEL", numbers);
  channel.dimensions = {static_cast<int>(channels.size()), 1};
  group.parameters.push_back(channel);
  if (type == 4) {
    std::vector<double> calibration(36, 0.0);
    const double diagonal[6] = {1.0, 2.0, 1.0, 1.0, 1.0, 1.0};
    for (int i = 0; i < 6; ++i) calibration[static_cast<std::size_t>(i * 7)] = diagonal[i];
    calibration[6] = 0.5;  // row 1, column 2, stored column by column
    group.parameters.push_back(Reals("CAL_MATRIX", calibration));
  }
  group.parameters.push_back(Reals("ZERO", {1, 1}));
  file = exchange::C3DFile();
  file.parameters.groups.push_back(group);
  file.points.units = LengthUnit::kMillimetres;
  analog = exchange::C3DAnalog();
  analog.rate = 1000.0;
  analog.channels.resize(channels.size() + 2);  // channel 1 is not the plate's
  for (auto& c : analog.channels) c.units = "Nmm";
  std::vector<double>& values = analog.Values();
  const std::size_t width = analog.channels.size();
  values.assign(2 * width, 0.0);
  for (std::size_t c = 0; c < channels.size(); ++c) {
    values[1 + c] = bias;
    values[width + 1 + c] = channels[c] + bias;
  }
}

TEST(ForcePlates, EveryTypeGivesBackTheKnownReaction) {
  for (const int type : {1, 2, 3, 4}) {
    for (const double bias : {0.0, 12.5}) {
      SCOPED_TRACE("type " + std::to_string(type) + ", bias " + std::to_string(bias));
      exchange::C3DFile file;
      exchange::C3DAnalog analog;
      MakePlate(type, bias, file, analog);
      std::vector<exchange::ForcePlate> plates;
      ASSERT_EQ("", exchange::C3DForcePlates(file, analog, {}, plates));
      ASSERT_EQ(1U, plates.size());
      ASSERT_EQ(2U, plates[0].samples.size());
      const exchange::PlateSample& unloaded = plates[0].samples[0];
      EXPECT_NEAR(0.0, unloaded.force.z, 1e-9);
      EXPECT_TRUE(std::isnan(unloaded.cop.x));  // under the threshold
      EXPECT_TRUE(std::isnan(unloaded.free_moment));
      const exchange::PlateSample& s = plates[0].samples[1];
      EXPECT_NEAR(kForce.x, s.force.x, 1e-9);
      EXPECT_NEAR(kForce.y, s.force.y, 1e-9);
      EXPECT_NEAR(kForce.z, s.force.z, 1e-9);
      EXPECT_NEAR(kCop.x, s.cop.x, 1e-9);
      EXPECT_NEAR(kCop.y, s.cop.y, 1e-9);
      EXPECT_NEAR(kCop.z, s.cop.z, 1e-9);
      EXPECT_NEAR(kFree, s.free_moment, 1e-6);
      // The reaction's moment about the centre: (COP - centre) x force plus the free moment
      // about the upward normal.
      const Vector3 arm(kCop.x - kCentre.x, kCop.y - kCentre.y, 0.0);
      const Vector3 moment = Cross(arm, kForce);
      EXPECT_NEAR(moment.x, s.moment.x, 1e-6);
      EXPECT_NEAR(moment.y, s.moment.y, 1e-6);
      EXPECT_NEAR(moment.z + kFree, s.moment.z, 1e-6);
    }
  }
  // Without the baseline, a bias stays in the force (along the plate's z, which points down).
  exchange::C3DFile file;
  exchange::C3DAnalog analog;
  MakePlate(2, 12.5, file, analog);
  std::vector<exchange::ForcePlate> plates;
  ASSERT_EQ("", exchange::C3DForcePlates(file, analog, {false, 20.0}, plates));
  EXPECT_NEAR(kForce.z - 12.5, plates[0].samples[1].force.z, 1e-9);
}

// A shared sample's points, analog channels and force plates (with their baseline).
void ReadPlates(const std::string& name, exchange::C3DFile& file, exchange::C3DAnalog& analog,
                std::vector<exchange::ForcePlate>& plates) {
  const std::string path = testing::SamplePath("c3d/" + name);
  ASSERT_EQ("", file.Read(path).message);
  ASSERT_EQ("", exchange::ReadC3DAnalog(path, file, analog).message);
  ASSERT_EQ("", exchange::C3DForcePlates(file, analog, {}, plates));
}

// The sample of `plate` with the largest upward force.
std::size_t MostLoaded(const exchange::ForcePlate& plate) {
  std::size_t peak = 0;
  for (std::size_t s = 0; s < plate.samples.size(); ++s) {
    if (plate.samples[s].force.z > plate.samples[peak].force.z) peak = s;
  }
  return peak;
}

// The plates of real gait trials (a type 2 plate pair and a type 4 pair): where a foot is on a
// plate, the ground pushes the walker up (+Z in these files) with about a body weight, from a
// centre of pressure inside the plate's corners.
TEST(ForcePlates, RealPlatesPushUpFromInsideTheirCorners) {
  for (const std::string name : {"Eb015pi.c3d", "Eb015pr.c3d", "Gait.c3d"}) {
    SCOPED_TRACE(name);
    exchange::C3DFile file;
    exchange::C3DAnalog analog;
    std::vector<exchange::ForcePlate> plates;
    ASSERT_NO_FATAL_FAILURE(ReadPlates(name, file, analog, plates));
    ASSERT_EQ(2U, plates.size());
    int stepped_on = 0;
    for (const exchange::ForcePlate& plate : plates) {
      double low_x = 1e300, high_x = -1e300, low_y = 1e300, high_y = -1e300;
      for (const Vector3& c : plate.corners) {
        low_x = std::min(low_x, c.x);
        high_x = std::max(high_x, c.x);
        low_y = std::min(low_y, c.y);
        high_y = std::max(high_y, c.y);
      }
      const exchange::PlateSample& top = plate.samples[MostLoaded(plate)];
      if (top.force.z < 200.0) continue;  // nobody stepped on it
      ++stepped_on;
      EXPECT_LT(top.force.z, 2000.0);
      EXPECT_GT(top.force.z, 5 * std::hypot(top.force.x, top.force.y));
      EXPECT_GE(top.cop.x, low_x);
      EXPECT_LE(top.cop.x, high_x);
      EXPECT_GE(top.cop.y, low_y);
      EXPECT_LE(top.cop.y, high_y);
      EXPECT_NEAR(plate.centre.z, top.cop.z, 5.0);
    }
    EXPECT_GE(stepped_on, 1);
  }
}

// The plates of a type 2 pair (Eb015pi) and a type 4 pair (Gait) worked out by hand from their
// analog channels at a few loaded samples, in the textbook form relative to the transducer
// origin: F and M are the channels less their mean over the ZERO frames (type 4: the calibration
// matrix, stored column by column, times them); with ORIGIN (a, b, c) the vector from the
// transducer origin to the surface's centre (c < 0, the plate's z pointing down), the centre of
// pressure relative to the origin is x = (c Fx - My) / Fz, y = (c Fy + Mx) / Fz, in the lab at
// centre + R (x - a, y - b, 0); the free moment about the upward normal is -(Mz - x Fy + y Fx);
// R turns plate axes to lab axes: x along corner 1 - corner 2, z along x times (corner 1 -
// corner 4), y = z times x; the reaction on the subject is R F.
TEST(ForcePlates, RealPlatesMatchAHandComputationFromTheirChannels) {
  for (const std::string name : {"Eb015pi.c3d", "Gait.c3d"}) {
    SCOPED_TRACE(name);
    exchange::C3DFile file;
    exchange::C3DAnalog analog;
    std::vector<exchange::ForcePlate> plates;
    ASSERT_NO_FATAL_FAILURE(ReadPlates(name, file, analog, plates));
    const auto& fp = file.parameters;
    const std::vector<double>& types = fp.Find("FORCE_PLATFORM", "TYPE")->numbers;
    const std::vector<double>& corners = fp.Find("FORCE_PLATFORM", "CORNERS")->numbers;
    const std::vector<double>& origins = fp.Find("FORCE_PLATFORM", "ORIGIN")->numbers;
    const std::vector<double>& channels = fp.Find("FORCE_PLATFORM", "CHANNEL")->numbers;
    const exchange::C3DParameter* cal = fp.Find("FORCE_PLATFORM", "CAL_MATRIX");
    const auto per = static_cast<std::int64_t>(analog.per_frame);
    int checked = 0;
    for (std::size_t p = 0; p < plates.size(); ++p) {
      const double* c = corners.data() + 12 * p;
      const Vector3 c1(c[0], c[1], c[2]), c2(c[3], c[4], c[5]), c4(c[9], c[10], c[11]);
      const auto unit = [](Vector3 v) {
        const double n = std::sqrt(Dot(v, v));
        return Vector3(v.x / n, v.y / n, v.z / n);
      };
      const Vector3 x = unit(Vector3(c1.x - c2.x, c1.y - c2.y, c1.z - c2.z));
      const Vector3 z = unit(Cross(x, Vector3(c1.x - c4.x, c1.y - c4.y, c1.z - c4.z)));
      const Vector3 y = Cross(z, x);
      const auto lab = [&](double u, double v, double w) {
        return Vector3(u * x.x + v * y.x + w * z.x, u * x.y + v * y.y + w * z.y,
                       u * x.z + v * y.z + w * z.z);
      };
      const Vector3 centre((c[0] + c[3] + c[6] + c[9]) / 4, (c[1] + c[4] + c[7] + c[10]) / 4,
                           (c[2] + c[5] + c[8] + c[11]) / 4);
      double a = origins[3 * p], b = origins[3 * p + 1], h = origins[3 * p + 2];
      if (h > 0) a = -a, b = -b, h = -h;  // the same vector, stored the other way round
      double raw[6];
      const auto channel = [&](std::int64_t s, int i) {
        const auto index =
            static_cast<std::size_t>(channels[6 * p + static_cast<std::size_t>(i)]) - 1;
        double baseline = 0;
        for (std::int64_t k = 0; k < 10 * per; ++k) baseline += analog.At(k, index);
        return analog.At(s, index) - baseline / static_cast<double>(10 * per);
      };
      // The most loaded sample and two on its way up.
      const auto peak = static_cast<std::int64_t>(MostLoaded(plates[p]));
      for (const std::int64_t s : {peak, peak - 20, peak - 40}) {
        for (int i = 0; i < 6; ++i) raw[i] = channel(s, i);
        double u[6];
        for (int r = 0; r < 6; ++r) {
          u[r] = raw[r];
          if (types[p] != 4) continue;
          u[r] = 0;
          for (int k = 0; k < 6; ++k)
            u[r] += cal->numbers[36 * p + 6 * static_cast<std::size_t>(k) +
                                 static_cast<std::size_t>(r)] *
                    raw[k];
        }
        const double fx = u[0], fy = u[1], fz = u[2], mx = u[3], my = u[4], mz = u[5];
        const double cx = (h * fx - my) / fz;
        const double cy = (h * fy + mx) / fz;
        const Vector3 force = lab(fx, fy, fz);
        const Vector3 offset = lab(cx - a, cy - b, 0);
        const exchange::PlateSample& got = plates[p].samples[static_cast<std::size_t>(s)];
        const std::string where = "plate " + std::to_string(p + 1) + " sample " + std::to_string(s);
        EXPECT_NEAR(force.x, got.force.x, 1e-6) << where;
        EXPECT_NEAR(force.y, got.force.y, 1e-6) << where;
        EXPECT_NEAR(force.z, got.force.z, 1e-6) << where;
        EXPECT_NEAR(centre.x + offset.x, got.cop.x, 1e-6) << where;
        EXPECT_NEAR(centre.y + offset.y, got.cop.y, 1e-6) << where;
        EXPECT_NEAR(centre.z + offset.z, got.cop.z, 1e-6) << where;
        EXPECT_NEAR(-(mz - cx * fy + cy * fx), got.free_moment, 1e-5) << where;
        ++checked;
      }
    }
    EXPECT_EQ(6, checked);
  }
}

}  // namespace
}  // namespace zar
