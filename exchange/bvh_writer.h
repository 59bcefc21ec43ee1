#ifndef ZAR_EXCHANGE_BVH_WRITER_H_
#define ZAR_EXCHANGE_BVH_WRITER_H_

#include <string>

#include "exchange/skeleton.h"

namespace zar::exchange {

// Writes `skeleton` as BVH, Y up (a Z-up skeleton is turned at its root: Z becomes Y, Y becomes
// -Z), lengths in the skeleton's units. One root; a joint's OFFSET is its base translation;
// rotation channels in the order Zrotation Yrotation Xrotation (the static X, Y, Z turn), in
// degrees, holding the whole local rotation (frame and base rotation together, since BVH has no
// rest rotation); the root and every joint whose translation moves also get Xposition Yposition
// Zposition channels holding the whole local translation, and an OFFSET of 0 (readers differ on
// whether the channels add to the OFFSET or replace it). A joint without children ends in an
// End Site at its bone length along Y. `Frames:` is the number of frame lines; `Frame Time` has
// 12 significant digits. Bone scale factors are not written (see ScaledJoints). Written
// completely or not at all. Returns a message, empty on success.
std::string WriteBVH(const Skeleton& skeleton, const std::string& path);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_BVH_WRITER_H_
