#ifndef ZAR_EXCHANGE_UP_AXIS_H_
#define ZAR_EXCHANGE_UP_AXIS_H_

// Turning a capture between the two up-axis conventions: Z up (most labs) and Y up (modelling
// tools, BVH, glTF). Z up becomes Y up by a quarter turn about X: (x, y, z) becomes (x, z, -y),
// so the floor and the forward direction stay where they are; the other way turns back.

#include "exchange/marker_set.h"
#include "exchange/skeleton.h"

namespace zar::exchange {

// The quarter turn about X that takes a Z-up world to a Y-up one.
const Rotation& ZUpToYUp();

// The turn that takes a world with `from` up to one with `to` up (identity when they are the
// same); from and to are Y or Z.
Rotation UpTurn(Axis from, Axis to);

// Turns every sample of `set` so that `to` is up, and says so in set.up.
void TurnUp(MarkerSet& set, Axis to);

// Turns `skeleton` at its roots (base pose and motion) so that `to` is up, and says so in
// skeleton.up. The joints' positions in every frame turn with it; nothing else changes.
void TurnUp(Skeleton& skeleton, Axis to);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_UP_AXIS_H_
