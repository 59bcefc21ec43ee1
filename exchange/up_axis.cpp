#include "exchange/up_axis.h"

namespace zar::exchange {

const Rotation& ZUpToYUp() {
  static const Rotation turn(Vector3(1, 0, 0), Vector3(0, 0, -1), Vector3(0, 1, 0));
  return turn;
}

Rotation UpTurn(Axis from, Axis to) {
  if (from == to) return Rotation();
  return from == Axis::kZ ? ZUpToYUp() : ZUpToYUp().Transposed();
}

void TurnUp(MarkerSet& set, Axis to) {
  if (set.up == to) return;
  const Rotation turn = UpTurn(set.up, to);
  for (std::int64_t k = 0; k < set.NumFrames(); ++k) {
    MarkerSample* sample = set.Frame(k);
    for (std::size_t m = 0; m < set.NumMarkers(); ++m, ++sample) {
      if (!sample->present) continue;
      const Vector3 p = Turned(Vector3(sample->x, sample->y, sample->z), turn);
      sample->x = p.x;
      sample->y = p.y;
      sample->z = p.z;
    }
  }
  set.up = to;
  set.up_known = true;
}

void TurnUp(Skeleton& skeleton, Axis to) {
  if (skeleton.up == to) return;
  const Rotation turn = UpTurn(skeleton.up, to);
  for (std::size_t j = 0; j < skeleton.NumJoints(); ++j) {
    SkeletonJoint& joint = skeleton.joints[j];
    if (joint.parent >= 0) continue;
    // A root's translation (base plus motion) is in the world; its rotation is followed by the
    // world's turn.
    joint.base_translation = Turned(joint.base_translation, turn);
    joint.base_rotation = Then(joint.base_rotation, turn);
    for (std::int64_t k = 0; k < skeleton.NumFrames(); ++k) {
      JointMotion& motion = skeleton.At(k, j);
      motion.translation = Turned(motion.translation, turn);
    }
  }
  skeleton.up = to;
}

}  // namespace zar::exchange
