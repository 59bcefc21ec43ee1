// Controllers of the stand-in scene: keyed positions, scales and rotations, and the transform
// controller that combines them.

#include <cmath>
#include <iterator>

#include "modra/scene.h"

namespace modra::host {
namespace {

template <class Track>
TickTime KeyTimeAt(const Track& keys, int index) {
  if (index < 0 || index >= static_cast<int>(keys.size())) return 0;
  return keys.TimeAt(static_cast<std::size_t>(index));
}

// Removes the key at t; the bounds test keeps a miss cheap (the importers clear every tick of
// their keying window), and reads the bounds without closing a run of keys just removed.
template <class Track>
void EraseKey(Track& keys, KeyCursor<Track>& cursor, TickTime t) {
  if (keys.empty() || t < keys.TimeAt(0) || t > keys.TimeAt(keys.size() - 1)) return;
  cursor.Reset();
  keys.erase(t);
}

// The keys around t and the blend between them: (before, after, u in [0, 1]).
template <class Track>
auto Bracket(const Track& keys, const KeyCursor<Track>& cursor, TickTime t) {
  typename Track::const_iterator after = cursor.LowerBound(keys, t);
  if (after == keys.end()) {
    auto last = std::prev(keys.end());
    return std::make_tuple(last, last, 0.0);
  }
  if (after->first == t || after == keys.begin()) return std::make_tuple(after, after, 0.0);
  auto before = std::prev(after);
  const double u =
      static_cast<double>(t - before->first) / static_cast<double>(after->first - before->first);
  return std::make_tuple(before, after, u);
}

float Lerp(float a, float b, double u) {
  return static_cast<float>(static_cast<double>(a) + (static_cast<double>(b) - a) * u);
}

}  // namespace

Quat QuatMultiply(const Quat& a, const Quat& b) {
  const double ax = a.x, ay = a.y, az = a.z, aw = a.w;
  const double bx = b.x, by = b.y, bz = b.z, bw = b.w;
  return {static_cast<float>(aw * bx + ax * bw + ay * bz - az * by),
          static_cast<float>(aw * by - ax * bz + ay * bw + az * bx),
          static_cast<float>(aw * bz + ax * by - ay * bx + az * bw),
          static_cast<float>(aw * bw - ax * bx - ay * by - az * bz)};
}

Quat QuatInverse(const Quat& q) {
  const Quat n = QuatNormalised(q);
  return {-n.x, -n.y, -n.z, n.w};
}

Quat QuatNormalised(const Quat& q) {
  const double len = std::sqrt(static_cast<double>(q.x) * q.x + static_cast<double>(q.y) * q.y +
                               static_cast<double>(q.z) * q.z + static_cast<double>(q.w) * q.w);
  if (!(len > 0.0) || !std::isfinite(len)) return Quat();
  return {static_cast<float>(q.x / len), static_cast<float>(q.y / len),
          static_cast<float>(q.z / len), static_cast<float>(q.w / len)};
}

Quat Slerp(const Quat& a, const Quat& b, double u) {
  double ax = a.x, ay = a.y, az = a.z, aw = a.w;
  double bx = b.x, by = b.y, bz = b.z, bw = b.w;
  double dot = ax * bx + ay * by + az * bz + aw * bw;
  if (dot < 0.0) {
    bx = -bx;
    by = -by;
    bz = -bz;
    bw = -bw;
    dot = -dot;
  }
  double wa = 1.0 - u, wb = u;
  if (dot < 0.9995) {
    const double theta = std::acos(dot > 1.0 ? 1.0 : dot);
    const double s = std::sin(theta);
    wa = std::sin((1.0 - u) * theta) / s;
    wb = std::sin(u * theta) / s;
  }
  return QuatNormalised(
      {static_cast<float>(wa * ax + wb * bx), static_cast<float>(wa * ay + wb * by),
       static_cast<float>(wa * az + wb * bz), static_cast<float>(wa * aw + wb * bw)});
}

bool ControllerBase::Animating() const { return scene_.animate().on; }

void ControllerBase::Changed() {
  if (owner_ != nullptr) owner_->LocalChanged();
}

void ControllerBase::DeleteController() {
  if (installed_ || !scene_.Owns(this)) return;
  scene_.DestroyEntity(this);
}

// ---------------------------------------------------------------------------------------------

PointController::PointController(Scene& scene, ControllerValueKind kind)
    : ControllerBase(
          scene,
          kind == ControllerValueKind::kScale ? kScaleControllerClass : kPositionControllerClass,
          kind == ControllerValueKind::kScale ? kLinearScaleClassId : kLinearPositionClassId),
      kind_(kind),
      value_(kind == ControllerValueKind::kScale ? Point3(1, 1, 1) : Point3()) {}

Point3 PointController::Evaluate(TickTime t) const {
  if (keys_.empty()) return value_;
  const auto [before, after, u] = Bracket(keys_, cursor_, t);
  if (before == after) return before->second;
  return {Lerp(before->second.x, after->second.x, u), Lerp(before->second.y, after->second.y, u),
          Lerp(before->second.z, after->second.z, u)};
}

void PointController::SetControllerValue(TickTime t, const void* value, int, int method) {
  if (value == nullptr) return;
  if (locked()) {
    CountRefusal();
    return;
  }
  const Point3 given = *static_cast<const Point3*>(value);
  const Point3 now = Evaluate(t);
  const bool scale = kind_ == ControllerValueKind::kScale;
  Changed();
  Point3 target = given;
  if (method == kValueRelative)
    target = scale ? Point3(now.x * given.x, now.y * given.y, now.z * given.z) : now + given;
  if (Animating()) {
    SetKeyAt(keys_, t, target);
  } else if (keys_.empty()) {
    value_ = target;
  } else {
    // Outside animate mode a keyed track moves as a whole by the change at t.
    for (auto& [time, key] : keys_) {
      if (scale) {
        for (int i = 0; i < 3; ++i)
          key[i] = now[i] != 0.0f ? key[i] * (target[i] / now[i]) : target[i];
      } else {
        key = key + (target - now);
      }
    }
  }
}

void PointController::ControllerValue(TickTime t, void* value) {
  if (value != nullptr) *static_cast<Point3*>(value) = Evaluate(t);
}

void PointController::RemoveKeyAt(TickTime t) {
  Changed();
  EraseKey(keys_, cursor_, t);
}

TickTime PointController::KeyTime(int index) { return KeyTimeAt(keys_, index); }

void PointController::CopyController(Controller* from) {
  auto* other = dynamic_cast<PointController*>(from);
  if (other == nullptr || other == this || other->kind_ != kind_) return;
  Changed();
  cursor_.Reset();
  keys_ = other->keys_;
  value_ = other->value_;
}

// ---------------------------------------------------------------------------------------------

void RotationController::SetControllerValue(TickTime t, const void* value, int, int method) {
  if (value == nullptr) return;
  if (locked()) {
    CountRefusal();
    return;
  }
  const Quat given = QuatNormalised(*static_cast<const Quat*>(value));
  const Quat now = Evaluate(t);
  const Quat target = method == kValueRelative ? QuatMultiply(now, given) : given;
  if (Animating()) {
    SetKey(t, target);
    return;
  }
  const auto keys = QuatKeys();
  if (keys.empty()) {
    SetConstant(target);
    return;
  }
  // Outside animate mode every key turns by the change at t: key' = key ⊗ (now⁻¹ ⊗ target).
  const Quat delta = QuatMultiply(QuatInverse(now), target);
  for (const auto& [time, key] : keys) SetKey(time, QuatMultiply(key, delta));
}

void RotationController::ControllerValue(TickTime t, void* value) {
  if (value != nullptr) *static_cast<Quat*>(value) = Evaluate(t);
}

void RotationController::CopyController(Controller* from) {
  auto* other = dynamic_cast<RotationController*>(from);
  if (other == nullptr || other == this) return;
  ClearKeys();
  SetConstant(other->Evaluate(0));
  for (const auto& [time, q] : other->QuatKeys()) SetKey(time, q);
  // The constant of a keyed controller is not observable; take the other's own constant.
  if (auto* euler = dynamic_cast<EulerRotationController*>(other)) {
    SetConstant(EulerToQuat(euler->constant().data()));
  } else if (auto* tcb = dynamic_cast<TcbRotationController*>(other)) {
    SetConstant(tcb->constant());
  }
}

// ---------------------------------------------------------------------------------------------

void EulerRotationController::RemoveKeyAt(TickTime t) {
  Changed();
  EraseKey(keys_, cursor_, t);
}

TickTime EulerRotationController::KeyTime(int index) { return KeyTimeAt(keys_, index); }

EulerRotationController::Angles EulerRotationController::EvaluateAngles(TickTime t) const {
  if (keys_.empty()) return value_;
  const auto [before, after, u] = Bracket(keys_, cursor_, t);
  if (before == after) return before->second;
  Angles out{};
  for (std::size_t i = 0; i < 3; ++i) out[i] = Lerp(before->second[i], after->second[i], u);
  return out;
}

Quat EulerRotationController::Evaluate(TickTime t) const {
  const Angles a = EvaluateAngles(t);
  return EulerToQuat(a.data());
}

Matrix3 EulerRotationController::EvaluateMatrix(TickTime t) const {
  return EulerMatrix(EvaluateAngles(t).data());
}

std::vector<std::pair<TickTime, Quat>> EulerRotationController::QuatKeys() const {
  std::vector<std::pair<TickTime, Quat>> out;
  out.reserve(keys_.size());
  for (const auto& [t, a] : keys_) out.emplace_back(t, EulerToQuat(a.data()));
  return out;
}

void EulerRotationController::SetKey(TickTime t, const Quat& q) {
  Angles a{};
  QuatToEuler(q, a.data());
  Changed();
  SetKeyAt(keys_, t, a);
}

void EulerRotationController::SetConstant(const Quat& q) {
  Changed();
  QuatToEuler(q, value_.data());
}

// ---------------------------------------------------------------------------------------------

void TcbRotationController::RemoveKeyAt(TickTime t) {
  Changed();
  EraseKey(keys_, cursor_, t);
}

TickTime TcbRotationController::KeyTime(int index) { return KeyTimeAt(keys_, index); }

Quat TcbRotationController::Evaluate(TickTime t) const {
  if (keys_.empty()) return value_;
  const auto [before, after, u] = Bracket(keys_, cursor_, t);
  if (before == after) return before->second;
  return Slerp(before->second, after->second, u);
}

std::vector<std::pair<TickTime, Quat>> TcbRotationController::QuatKeys() const {
  return {keys_.begin(), keys_.end()};
}

// ---------------------------------------------------------------------------------------------

TransformController::TransformController(Scene& scene, PointController* position,
                                         RotationController* rotation, PointController* scale)
    : scene_(scene) {
  Install(position, rotation, scale);
}

void TransformController::Install(PointController* position, RotationController* rotation,
                                  PointController* scale) {
  Changed();
  for (ControllerBase* c :
       {static_cast<ControllerBase*>(position_), static_cast<ControllerBase*>(rotation_),
        static_cast<ControllerBase*>(scale_)})
    if (c != nullptr) {
      c->set_installed(false);
      c->set_owner(nullptr);
    }
  position_ = position;
  rotation_ = rotation;
  scale_ = scale;
  for (ControllerBase* c :
       {static_cast<ControllerBase*>(position_), static_cast<ControllerBase*>(rotation_),
        static_cast<ControllerBase*>(scale_)})
    if (c != nullptr) {
      c->set_installed(true);
      c->set_owner(node_);
    }
}

void TransformController::set_node(Node* node) {
  node_ = node;
  for (ControllerBase* c :
       {static_cast<ControllerBase*>(position_), static_cast<ControllerBase*>(rotation_),
        static_cast<ControllerBase*>(scale_)})
    if (c != nullptr) c->set_owner(node_);
}

void TransformController::Changed() {
  if (node_ != nullptr) node_->LocalChanged();
}

int TransformController::ReplaceRotationController(Controller* rotation) {
  if (refusesRotation_) return 0;
  auto* replacement = dynamic_cast<RotationController*>(rotation);
  if (replacement == nullptr || replacement->installed() || !scene_.Owns(replacement) ||
      replacement == rotation_)
    return 0;
  Changed();
  RotationController* old = rotation_;
  rotation_ = replacement;
  replacement->set_installed(true);
  replacement->set_owner(node_);
  if (old != nullptr) {
    old->set_installed(false);
    old->set_owner(nullptr);
    scene_.DestroyEntity(old);
  }
  return 1;
}

void TransformController::RemovePositionController() {
  if (position_ == nullptr) return;
  Changed();
  PointController* old = position_;
  position_ = nullptr;
  old->set_installed(false);
  old->set_owner(nullptr);
  scene_.DestroyEntity(old);
}

Matrix3 TransformController::Local(TickTime t) const {
  const Point3 s = scale_ ? scale_->Evaluate(t) : Point3(1, 1, 1);
  const Point3 p = position_ ? position_->Evaluate(t) : Point3();
  Matrix3 m = rotation_ ? rotation_->EvaluateMatrix(t) : Matrix3::Identity();
  // A scale of 1 (the usual case) leaves the rows as they are.
  for (int row = 0; row < 3; ++row) {
    const float f = s[row];
    if (f != 1.0f) m.SetRow(row, m.GetRow(row) * f);
  }
  m.SetTranslation(p);
  return m;
}

}  // namespace modra::host
