#ifndef ZAR_EXCHANGE_BVH_WRITER_H_
#define ZAR_EXCHANGE_BVH_WRITER_H_

#include <string>

#include "exchange/file_outcome.h"
#include "exchange/skeleton.h"

namespace zar::exchange {

// Writes `skeleton` as BVH, Y up (a Z-up skeleton is turned at its root: Z becomes Y, Y becomes
// -Z), lengths in the skeleton's units, with the skeleton's base pose as the file's rest pose:
// with every channel at zero each joint stands where the base pose puts it. As BVH has no rest
// rotations, a joint's OFFSET is its bone from its parent in the file's world axes in the base
// pose, and its rotation channels (Zrotation Yrotation Xrotation, the static X, Y, Z turn, in
// degrees) hold its rotation relative to its base-pose orientation, in its parent's base-pose
// axes. The root and every joint whose translation moves also get Xposition Yposition Zposition
// channels holding the whole translation (the root's in the world), and an OFFSET of 0 (readers
// differ on whether the channels add to the OFFSET or replace it). A joint without children ends
// in an End Site at its bone length along its Y, in the same world axes. Every joint of every
// frame is where the skeleton's forward kinematics puts it. `Frames:` is the number of frame lines;
// `Frame Time` has 12 significant digits. Bone scale factors are not written (see ScaledJoints).
// Written completely or not at all.
FileOutcome WriteBVH(const Skeleton& skeleton, const std::string& path);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_BVH_WRITER_H_
