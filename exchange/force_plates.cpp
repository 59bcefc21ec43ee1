#include "exchange/force_plates.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "exchange/c3d_parameters.h"
#include "exchange/exchange_messages.h"
#include "text/ascii_case.h"

namespace zar::exchange {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Vector3 Cross(const Vector3& a, const Vector3& b) {
  return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

Vector3 Minus(const Vector3& a, const Vector3& b) {
  return Vector3(a.x - b.x, a.y - b.y, a.z - b.z);
}

Vector3 Unit(const Vector3& v) {
  const double length = std::hypot(v.x, v.y, v.z);
  return length > 0.0 ? Vector3(v.x / length, v.y / length, v.z / length) : Vector3();
}

// The numbers of FORCE_PLATFORM:`name`.
std::vector<double> Numbers(const C3DParameters& parameters, const char* name) {
  const C3DParameter* p = parameters.Find("FORCE_PLATFORM", name);
  return p != nullptr ? p->numbers : std::vector<double>();
}

// Moments in newton metres where the channel's units say so, else in newtons times the file's
// length unit: the factor to the latter.
double MomentFactor(const C3DAnalogChannel& channel, LengthUnit lengths) {
  std::string units;
  for (const char c : channel.units) {
    if (c != ' ' && c != '.' && c != '*') units += text::AsciiLower(c);
  }
  if (units == "nm") return LengthConversionFactor(LengthUnit::kMetres, lengths);
  return 1.0;
}

struct PlateSetup {
  int type = 0;
  std::vector<std::size_t> channels;  // analog channel indices, from 0
  std::vector<double> baseline;       // subtracted from each channel
  Vector3 origin;                     // from the transducer origin up to the surface's centre
  double calibration[6][6] = {};      // type 4
  double moment_factor = 1.0;
};

// The reaction (plate axes) and its moment about the surface's centre, from one sample's channel
// values.
void Load(const PlateSetup& plate, const double* v, Vector3& force, Vector3& moment) {
  if (plate.type == 1) {
    force = Vector3(v[0], v[1], v[2]);
    const Vector3 cop(v[3] - plate.origin.x, v[4] - plate.origin.y, 0.0);  // from the centre
    const Vector3 turn = Cross(cop, force);
    moment = Vector3(turn.x, turn.y, turn.z + v[5] * plate.moment_factor);
    return;
  }
  Vector3 at_origin;
  if (plate.type == 3) {
    const double a = std::abs(plate.origin.x);
    const double b = std::abs(plate.origin.y);
    force = Vector3(v[0] + v[1], v[2] + v[3], v[4] + v[5] + v[6] + v[7]);
    at_origin = Vector3(b * (v[4] + v[5] - v[6] - v[7]), a * (-v[4] + v[5] + v[6] - v[7]),
                        b * (-v[0] + v[1]) + a * (v[2] - v[3]));
  } else {
    double u[6];
    for (int r = 0; r < 6; ++r) {
      if (plate.type == 2) {
        u[r] = v[r];
        continue;
      }
      u[r] = 0.0;
      for (int c = 0; c < 6; ++c) u[r] += plate.calibration[r][c] * v[c];
    }
    force = Vector3(u[0], u[1], u[2]);
    at_origin =
        Vector3(u[3] * plate.moment_factor, u[4] * plate.moment_factor, u[5] * plate.moment_factor);
  }
  // The moment about the centre: M_centre = M_origin + (origin - centre) x F. A type 3 plate's
  // origin is under its centre, at the sensors' depth.
  const Vector3 up = plate.type == 3 ? Vector3(0.0, 0.0, plate.origin.z) : plate.origin;
  const Vector3 shift = Cross(up, force);
  moment = Vector3(at_origin.x - shift.x, at_origin.y - shift.y, at_origin.z - shift.z);
}

}  // namespace

std::string C3DForcePlates(const C3DFile& file, const C3DAnalog& analog,
                           const ForcePlateOptions& options, std::vector<ForcePlate>& plates) {
  plates.clear();
  const C3DParameters& parameters = file.parameters;
  const C3DParameter* used = parameters.Find("FORCE_PLATFORM", "USED");
  if (used == nullptr || !used->Word() || *used->Word() == 0) return std::string();
  const std::size_t count = *used->Word();
  const std::vector<double> types = Numbers(parameters, "TYPE");
  const std::vector<double> corners = Numbers(parameters, "CORNERS");
  const std::vector<double> origins = Numbers(parameters, "ORIGIN");
  const std::vector<double> calibration = Numbers(parameters, "CAL_MATRIX");
  const std::vector<double> zero = Numbers(parameters, "ZERO");
  const C3DParameter* channel_parameter = parameters.Find("FORCE_PLATFORM", "CHANNEL");
  if (channel_parameter == nullptr) return std::string(messages::kPlateChannels) + " (no CHANNEL)";
  const std::vector<double>& channel_numbers = channel_parameter->numbers;
  const std::size_t rows = channel_parameter->dimensions.empty()
                               ? 6
                               : static_cast<std::size_t>(channel_parameter->dimensions[0]);

  // The baseline's analog samples: those of point frames ZERO[0] to ZERO[1], counted from 1.
  std::int64_t zero_from = 0;
  std::int64_t zero_to = 0;
  if (options.zero && zero.size() >= 2 && zero[0] >= 1 && zero[1] >= zero[0]) {
    const auto per = static_cast<std::int64_t>(analog.per_frame);
    zero_from = static_cast<std::int64_t>(zero[0] - 1) * per;
    zero_to = std::min(static_cast<std::int64_t>(zero[1]) * per, analog.NumSamples());
  }

  for (std::size_t p = 0; p < count; ++p) {
    const std::string which = "plate " + std::to_string(p + 1);
    PlateSetup setup;
    setup.type = p < types.size() ? static_cast<int>(types[p]) : 0;
    if (setup.type < 1 || setup.type > 4) {
      return std::string(messages::kPlateType) + " (" + which + ", type " +
             std::to_string(setup.type) + ")";
    }
    const std::size_t wanted = setup.type == 3 ? 8 : 6;
    if (rows < wanted || channel_numbers.size() < (p + 1) * rows) {
      return std::string(messages::kPlateChannels) + " (" + which + ")";
    }
    for (std::size_t i = 0; i < wanted; ++i) {
      const double number = channel_numbers[p * rows + i];
      if (!(number >= 1) || number > static_cast<double>(analog.NumChannels())) {
        return std::string(messages::kPlateChannels) + " (" + which + ", channel " +
               std::to_string(static_cast<long long>(number)) + " of " +
               std::to_string(analog.NumChannels()) + ")";
      }
      setup.channels.push_back(static_cast<std::size_t>(number) - 1);
    }
    if (corners.size() < (p + 1) * 12)
      return std::string(messages::kPlateCorners) + " (" + which + ")";
    ForcePlate plate;
    plate.type = setup.type;
    for (std::size_t c = 0; c < 4; ++c) {
      const double* xyz = corners.data() + p * 12 + c * 3;
      plate.corners[c] = Vector3(xyz[0], xyz[1], xyz[2]);
    }
    plate.centre = Vector3(
        (plate.corners[0].x + plate.corners[1].x + plate.corners[2].x + plate.corners[3].x) / 4,
        (plate.corners[0].y + plate.corners[1].y + plate.corners[2].y + plate.corners[3].y) / 4,
        (plate.corners[0].z + plate.corners[1].z + plate.corners[2].z + plate.corners[3].z) / 4);
    const Vector3 x = Unit(Minus(plate.corners[0], plate.corners[1]));
    const Vector3 z = Unit(Cross(x, Minus(plate.corners[0], plate.corners[3])));
    const Vector3 y = Cross(z, x);
    if ((x.x == 0 && x.y == 0 && x.z == 0) || (z.x == 0 && z.y == 0 && z.z == 0)) {
      return std::string(messages::kPlateCorners) + " (" + which + ")";
    }
    plate.axes = Rotation(x, y, z);

    if (origins.size() >= (p + 1) * 3) {
      setup.origin = Vector3(origins[p * 3], origins[p * 3 + 1], origins[p * 3 + 2]);
    }
    if (setup.type == 3) {
      setup.origin = Vector3(setup.origin.x, setup.origin.y, -std::abs(setup.origin.z));
    } else if (setup.origin.z > 0) {
      setup.origin = Vector3(-setup.origin.x, -setup.origin.y, -setup.origin.z);
    }
    if (setup.type == 4) {
      if (calibration.size() < (p + 1) * 36) {
        return std::string(messages::kPlateCalibration) + " (" + which + ")";
      }
      for (std::size_t r = 0; r < 6; ++r) {
        for (std::size_t c = 0; c < 6; ++c)
          setup.calibration[r][c] = calibration[p * 36 + c * 6 + r];
      }
    }
    if (setup.type == 2 || setup.type == 4 || setup.type == 1) {
      setup.moment_factor =
          MomentFactor(analog.channels[setup.channels[setup.type == 1 ? 5 : 3]], file.points.units);
    }
    setup.baseline.assign(wanted, 0.0);
    if (zero_to > zero_from) {
      for (std::size_t i = 0; i < wanted; ++i) {
        double sum = 0.0;
        for (std::int64_t s = zero_from; s < zero_to; ++s) sum += analog.At(s, setup.channels[i]);
        setup.baseline[i] = sum / static_cast<double>(zero_to - zero_from);
      }
    }

    const std::int64_t samples = analog.NumSamples();
    plate.samples.resize(static_cast<std::size_t>(samples));
    double v[8];
    for (std::int64_t s = 0; s < samples; ++s) {
      for (std::size_t i = 0; i < wanted; ++i) {
        v[i] = analog.At(s, setup.channels[i]) - setup.baseline[i];
      }
      Vector3 force;
      Vector3 moment;
      Load(setup, v, force, moment);
      PlateSample& out = plate.samples[static_cast<std::size_t>(s)];
      out.force = Turned(force, plate.axes);
      out.moment = Turned(moment, plate.axes);
      if (std::abs(force.z) >= options.cop_threshold) {
        // M_centre = COP x F + the free moment along z, with the COP on the surface (z = 0).
        const double px = -moment.y / force.z;
        const double py = moment.x / force.z;
        // Along the plate's z, which points down: the free moment about the upward normal is
        // its opposite.
        out.free_moment = -(moment.z - px * force.y + py * force.x);
        const Vector3 offset = Turned(Vector3(px, py, 0.0), plate.axes);
        out.cop = Vector3(plate.centre.x + offset.x, plate.centre.y + offset.y,
                          plate.centre.z + offset.z);
      } else {
        out.cop = Vector3(kNaN, kNaN, kNaN);
        out.free_moment = kNaN;
      }
    }
    plates.push_back(std::move(plate));
  }
  return std::string();
}

}  // namespace zar::exchange
