#ifndef ZAR_EXCHANGE_FORCE_PLATES_H_
#define ZAR_EXCHANGE_FORCE_PLATES_H_

// Force plates of a C3D file: the ground reaction on the subject worked out from the plates'
// analog channels and the FORCE_PLATFORM group, sample by sample.
//
// A plate's axes come from its corners (in the lab): x along corner 1 - corner 2, z along x times
// (corner 1 - corner 4), y completing them; with the corners numbered as the format numbers them
// the plate's z points down into the floor. Its centre is the centre of the corners, on the top
// surface. The channels give the ground's reaction on the subject, in plate axes, about the
// transducer origin O (a loaded plate reads a negative Fz along its downward z, as the gait
// files of several makers store it):
// - type 1: Fx, Fy, Fz, the centre of pressure X, Y (plate axes, from O) and the free moment Tz
//   about the plate's z;
// - type 2: Fx, Fy, Fz, Mx, My, Mz;
// - type 3: eight sensor channels Fx12, Fx34, Fy14, Fy23, Fz1, Fz2, Fz3, Fz4 of four sensors at
//   (+a, +b), (-a, +b), (-a, -b), (+a, -b) from the centre, ORIGIN holding a, b and the depth of
//   the sensors' plane under the surface;
// - type 4: six channels that the calibration matrix CAL_MATRIX (6 x 6, stored column by column)
//   turns into Fx, Fy, Fz, Mx, My, Mz.
// ORIGIN (types 1, 2, 4) is the offset between O and the surface's centre in plate axes; O lies
// under the surface, so the vector from O up to the centre has a negative z in the plate's
// down-pointing axes. That is how files store it; a file that stores z positive gives the
// vector the other way round, and it is turned back.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/c3d_analog.h"
#include "exchange/c3d_file.h"
#include "exchange/skeleton.h"

namespace zar::exchange {

struct ForcePlateOptions {
  bool zero = true;             // subtract the baseline of FORCE_PLATFORM:ZERO where it gives one
  double cop_threshold = 20.0;  // no centre of pressure where the vertical force is smaller (N)
};

// One analog sample of one plate: the ground's reaction on the subject, in lab axes.
struct PlateSample {
  Vector3 force;   // reaction force
  Vector3 moment;  // reaction moment about the centre of the plate's top surface
  Vector3 cop;     // centre of pressure on the surface, lab coordinates (NaN under the threshold)
  double free_moment = 0.0;  // about the surface's upward normal at the centre of pressure (NaN
                             // under the threshold)
};

struct ForcePlate {
  int type = 0;
  std::array<Vector3, 4> corners;    // lab coordinates
  Vector3 centre;                    // of the top surface, lab coordinates
  Rotation axes;                     // rows: the plate's x, y and z axes in lab axes
  std::vector<PlateSample> samples;  // one per analog sample
};

// Every plate of FORCE_PLATFORM:USED, worked out from `analog` (ReadC3DAnalog of the same
// file). Returns a message naming the plate and what is wrong (an unknown type, a channel the
// analog data does not have, corners that make no plane), empty on success.
std::string C3DForcePlates(const C3DFile& file, const C3DAnalog& analog,
                           const ForcePlateOptions& options, std::vector<ForcePlate>& plates);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_FORCE_PLATES_H_
