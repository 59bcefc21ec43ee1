#ifndef ZAR_MODRA_SCENE_H_
#define ZAR_MODRA_SCENE_H_

// The stand-in's scene: nodes with objects, transform controllers whose sub-controllers hold
// keys, time settings, the system unit, the selection and the animate and set-key modes.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "modra/key_track.h"
#include "sdk/modra_host.h"

namespace modra::host {

class Node;
class Scene;

// Animate or set-key mode: the present state and the states saved by nested suspensions.
struct ModeState {
  bool on = false;
  std::vector<bool> saved;
  int unbalancedResumes = 0;  // resumes that found nothing to restore

  void Suspend() {
    saved.push_back(on);
    on = false;
  }
  void Resume() {
    if (saved.empty()) {
      ++unbalancedResumes;
      return;
    }
    on = saved.back();
    saved.pop_back();
  }
};

// Where the last evaluation of a key track found the first key at or after its time. Evaluating
// at a later time gallops on from there (1, 2, 4, ... keys) and searches only the last stride,
// so sampling a track in time order is one pass over its keys whatever the keys per sample. It
// holds a position, not an iterator, so a track that has changed since answers correctly too
// (by a search).
template <class Track>
class KeyCursor {
 public:
  using Iterator = typename Track::const_iterator;

  // The first key at or after t (end() when none), as Track::lower_bound answers.
  Iterator LowerBound(const Track& keys, TickTime t) const {
    const Iterator begin = keys.begin();
    const auto size = static_cast<std::size_t>(keys.end() - begin);
    const auto before = [t](const typename Track::value_type& key, TickTime) {
      return key.first < t;
    };
    // Every key before the remembered position is before t: t is at or after it.
    if (valid_ && at_ <= size && (at_ == 0 || (begin + Offset(at_ - 1))->first < t)) {
      std::size_t low = at_;  // every key before `low` is before t
      std::size_t probe = at_;
      for (std::size_t stride = 1; probe < size && (begin + Offset(probe))->first < t;
           stride *= 2) {
        low = probe + 1;
        probe = at_ + stride;
      }
      const Iterator it =
          std::lower_bound(begin + Offset(low), begin + Offset(std::min(probe, size)), t, before);
      at_ = static_cast<std::size_t>(it - begin);
      return it;
    }
    const Iterator it = keys.lower_bound(t);
    at_ = static_cast<std::size_t>(it - begin);
    valid_ = true;
    return it;
  }
  void Reset() { valid_ = false; }

 private:
  static std::ptrdiff_t Offset(std::size_t index) { return static_cast<std::ptrdiff_t>(index); }

  mutable std::size_t at_ = 0;
  mutable bool valid_ = false;
};

// Sets the key at t; a key after the last one (as keys are made in time order) is appended
// without a search.
template <class Track>
void SetKeyAt(Track& keys, TickTime t, const typename Track::value_type::second_type& value) {
  if (keys.empty() || keys.TimeAt(keys.size() - 1) < t)
    keys.emplace_hint(keys.end(), t, value);
  else
    keys[t] = value;
}

// Common part of every controller the scene makes.
class ControllerBase : public Controller {
 public:
  ControllerBase(Scene& scene, SuperClassId superClass, ClassId classId)
      : scene_(scene), superClass_(superClass), classId_(classId) {}

  SuperClassId SuperClass() override { return superClass_; }
  ClassId ClassIdentifier() override { return classId_; }
  int ControllerCheck() override { return locked_ ? 0 : 1; }
  void DeleteController() override;

  // A locked controller answers 0 to ControllerCheck and ignores every value it is given.
  bool locked() const { return locked_; }
  void set_locked(bool locked) { locked_ = locked; }
  // True while a transform controller holds this controller.
  bool installed() const { return installed_; }
  void set_installed(bool installed) { installed_ = installed; }
  // Values ignored because the controller was locked.
  int refusedValues() const { return refusedValues_; }
  // The node whose transform holds this controller, if any.
  void set_owner(Node* owner) { owner_ = owner; }

 protected:
  bool Animating() const;
  void CountRefusal() { ++refusedValues_; }
  // Called whenever the controller's values change: the owner's world transforms are stale.
  void Changed();

  Scene& scene_;

 private:
  SuperClassId superClass_;
  ClassId classId_;
  Node* owner_ = nullptr;
  bool locked_ = false;
  bool installed_ = false;
  int refusedValues_ = 0;
};

// A position or scale controller: Point3 keys with linear interpolation.
class PointController : public ControllerBase {
 public:
  PointController(Scene& scene, ControllerValueKind kind);

  ControllerValueKind ValueKind() override { return kind_; }
  void SetControllerValue(TickTime t, const void* value, int commit, int method) override;
  void ControllerValue(TickTime t, void* value) override;
  void RemoveKeyAt(TickTime t) override;
  int KeyCount() override { return static_cast<int>(keys_.size()); }
  TickTime KeyTime(int index) override;
  void CopyController(Controller* from) override;

  Point3 Evaluate(TickTime t) const;
  const KeyTrack<Point3>& keys() const { return keys_; }
  KeyTrack<Point3>& mutable_keys() {
    Changed();
    cursor_.Reset();
    return keys_;
  }
  Point3 constant() const { return value_; }
  void set_constant(const Point3& value) {
    Changed();
    value_ = value;
  }

 private:
  ControllerValueKind kind_;
  Point3 value_;
  KeyTrack<Point3> keys_;
  KeyCursor<KeyTrack<Point3>> cursor_;
};

// Common part of the rotation controllers: values are host quaternions.
class RotationController : public ControllerBase {
 public:
  using ControllerBase::ControllerBase;

  ControllerValueKind ValueKind() override { return ControllerValueKind::kRotation; }
  void SetControllerValue(TickTime t, const void* value, int commit, int method) override;
  void ControllerValue(TickTime t, void* value) override;
  void CopyController(Controller* from) override;

  virtual Quat Evaluate(TickTime t) const = 0;
  // The rotation matrix of the value at t (translation row zero).
  virtual Matrix3 EvaluateMatrix(TickTime t) const { return RotationMatrix(Evaluate(t)); }
  // Every key as (time, quaternion), in time order.
  virtual std::vector<std::pair<TickTime, Quat>> QuatKeys() const = 0;
  virtual void SetKey(TickTime t, const Quat& q) = 0;
  virtual void SetConstant(const Quat& q) = 0;
  virtual void ClearKeys() = 0;
};

// Euler X Y Z rotation: three angles per key (the host's QuatToEuler of the value set),
// interpolated linearly angle by angle.
class EulerRotationController : public RotationController {
 public:
  using Angles = std::array<float, 3>;
  explicit EulerRotationController(Scene& scene)
      : RotationController(scene, kRotationControllerClass, kEulerRotationClassId) {}

  void RemoveKeyAt(TickTime t) override;
  int KeyCount() override { return static_cast<int>(keys_.size()); }
  TickTime KeyTime(int index) override;
  Quat Evaluate(TickTime t) const override;
  // Straight from the angles, without the round through a quaternion.
  Matrix3 EvaluateMatrix(TickTime t) const override;
  std::vector<std::pair<TickTime, Quat>> QuatKeys() const override;
  void SetKey(TickTime t, const Quat& q) override;
  void SetConstant(const Quat& q) override;
  void ClearKeys() override {
    Changed();
    cursor_.Reset();
    keys_.clear();
  }

  Angles EvaluateAngles(TickTime t) const;
  const KeyTrack<Angles>& keys() const { return keys_; }
  KeyTrack<Angles>& mutable_keys() {
    Changed();
    cursor_.Reset();
    return keys_;
  }
  Angles constant() const { return value_; }
  void set_constant(const Angles& value) {
    Changed();
    value_ = value;
  }

 private:
  Angles value_{0.0f, 0.0f, 0.0f};
  KeyTrack<Angles> keys_;
  KeyCursor<KeyTrack<Angles>> cursor_;
};

// TCB rotation: one quaternion per key, interpolated by spherical linear interpolation along
// the shorter arc (tension, continuity and bias are all at their defaults and not modelled).
class TcbRotationController : public RotationController {
 public:
  explicit TcbRotationController(Scene& scene)
      : RotationController(scene, kRotationControllerClass, kTcbRotationClassId) {}

  void RemoveKeyAt(TickTime t) override;
  int KeyCount() override { return static_cast<int>(keys_.size()); }
  TickTime KeyTime(int index) override;
  Quat Evaluate(TickTime t) const override;
  std::vector<std::pair<TickTime, Quat>> QuatKeys() const override;
  void SetKey(TickTime t, const Quat& q) override {
    Changed();
    SetKeyAt(keys_, t, q);
  }
  void SetConstant(const Quat& q) override {
    Changed();
    value_ = q;
  }
  void ClearKeys() override {
    Changed();
    cursor_.Reset();
    keys_.clear();
  }

  const KeyTrack<Quat>& keys() const { return keys_; }
  KeyTrack<Quat>& mutable_keys() {
    Changed();
    cursor_.Reset();
    return keys_;
  }
  Quat constant() const { return value_; }

 private:
  Quat value_;
  KeyTrack<Quat> keys_;
  KeyCursor<KeyTrack<Quat>> cursor_;
};

// A node's transform controller. Its sub-controllers belong to the scene's pool.
class TransformController : public TransformControl {
 public:
  TransformController(Scene& scene, PointController* position, RotationController* rotation,
                      PointController* scale);

  SuperClassId SuperClass() override { return kTransformControllerClass; }
  ClassId ClassIdentifier() override { return classId_; }
  Controller* PositionController() override { return position_; }
  Controller* RotationSubController() override { return rotation_; }
  Controller* ScaleSubController() override { return scale_; }
  int ReplaceRotationController(Controller* rotation) override;

  // The local transform at t: scale, then rotation, then translation.
  Matrix3 Local(TickTime t) const;

  PointController* position() const { return position_; }
  RotationController* rotation() const { return rotation_; }
  PointController* scale() const { return scale_; }
  // Fault injection: the node has no position controller (the old one is destroyed).
  void RemovePositionController();
  // Fault injection: ReplaceRotationController answers 0.
  bool refusesRotation() const { return refusesRotation_; }
  void set_refusesRotation(bool refuses) { refusesRotation_ = refuses; }
  // Fault injection: the class identifier (a biped controller's, for example).
  void set_classId(ClassId id) { classId_ = id; }
  // Used when a scene document is loaded.
  void Install(PointController* position, RotationController* rotation, PointController* scale);
  // The node this controller belongs to (its sub-controllers report their changes to it).
  void set_node(Node* node);

 private:
  // The node's world transforms are stale after a change of sub-controllers.
  void Changed();

  Scene& scene_;
  Node* node_ = nullptr;
  ClassId classId_ = kTransformClassId;
  PointController* position_ = nullptr;
  RotationController* rotation_ = nullptr;
  PointController* scale_ = nullptr;
  bool refusesRotation_ = false;
};

// Parameters of an object, addressed by identifier or (ObjectParamBlock) by index: the index of
// a parameter is its position in the block.
class ParameterSet : public ParamBlock {
 public:
  struct Parameter {
    int id = 0;
    bool isInt = false;
    float floatValue = 0.0f;
    int intValue = 0;
  };

  bool SetParameter(int id, TickTime t, float value) override;
  bool FloatParameter(int id, TickTime t, float& value, Interval& valid, int listIndex) override;
  bool IntParameter(int id, TickTime t, int& value) override;
  bool SetParamFloat(int index, TickTime t, float value) override;
  bool SetParamInt(int index, TickTime t, int value) override;

  void AddFloat(int id, float value) { parameters_.push_back({id, false, value, 0}); }
  void AddInt(int id, int value) { parameters_.push_back({id, true, 0.0f, value}); }
  int IndexOf(int id) const;
  const std::vector<Parameter>& parameters() const { return parameters_; }
  std::vector<Parameter>& mutable_parameters() { return parameters_; }

 private:
  Parameter* Find(int id);
  std::vector<Parameter> parameters_;
};

// Every object the scene makes: bone, sphere, point helper, dummy helper. Only a dummy answers
// AsDummyObject.
class SceneObjectImpl : public DummyObject {
 public:
  SceneObjectImpl(SuperClassId superClass, ClassId classId);

  SuperClassId SuperClass() override { return superClass_; }
  ClassId ClassIdentifier() override { return classId_; }
  ParamBlock* ParameterBlock(int index) override;
  ParamBlock* ObjectParamBlock() override;
  int ParamBlockIndex(int number) override;
  DummyObject* AsDummyObject() override { return IsDummy() ? this : nullptr; }
  void SetBox(const Point3& low, const Point3& high) override;
  Point3 BoxLow() override { return boxLow_; }
  Point3 BoxHigh() override { return boxHigh_; }

  bool IsDummy() const { return classId_ == kDummyHelperClassId; }
  // The kind's name ("Bone", "Sphere", "Point", "Dummy"), used to name new nodes.
  std::string KindName() const;
  ParameterSet& parameters() { return parameters_; }
  bool usedByNode() const { return usedByNode_; }
  void set_usedByNode(bool used) { usedByNode_ = used; }

  // Whether the scene can make objects of this class.
  static bool Known(SuperClassId superClass, ClassId classId);

 private:
  SuperClassId superClass_;
  ClassId classId_;
  ParameterSet parameters_;
  Point3 boxLow_{-5.0f, -5.0f, -5.0f};
  Point3 boxHigh_{5.0f, 5.0f, 5.0f};
  bool usedByNode_ = false;
};

// The offset of a node's object from the node: scale, rotation, translation.
struct ObjectOffset {
  Point3 position;
  Quat rotation;
  Point3 scale{1.0f, 1.0f, 1.0f};

  bool IsIdentity() const {
    return position == Point3() && rotation == Quat() && scale == Point3(1.0f, 1.0f, 1.0f);
  }
  Matrix3 Matrix() const {
    return ScaleMatrix(scale) * RotationMatrix(rotation) * TranslationMatrix(position);
  }
};

class Node : public SceneNode {
 public:
  Node(Scene& scene, std::uint32_t handle);

  const char* NodeName() override { return name_.c_str(); }
  void SetNodeName(const char* name) override;
  std::uint32_t NodeHandle() override { return handle_; }
  SceneNode* ParentNode() override { return parent_; }
  int ChildCount() override { return static_cast<int>(children_.size()); }
  SceneNode* Child(int index) override;
  void LinkChild(SceneNode* child, int keepWorldPosition) override;
  Matrix3 NodeTransform(TickTime t) override;
  Matrix3 ObjectTransform(TickTime t) override;
  SceneObject* NodeObject() override { return object_; }
  SuperClassId NodeObjectKind(TickTime t) override;
  TransformControl* TransformController() override { return transform_.get(); }
  void SetDisplayColour(std::uint32_t colour) override { colour_ = colour; }
  std::uint32_t DisplayColour() override { return colour_; }
  void SetUserFloatProperty(const char* key, float value) override;
  bool UserFloatProperty(const char* key, float& value) override;
  void MoveNode(TickTime t, const Matrix3& frame, const Point3& offset, int localOrigin,
                int affectChildren, int pivotMode, int ignoreLocks) override;
  void ScaleNode(TickTime t, const Matrix3& axis, const Point3& factors, int localOrigin,
                 int affectChildren, int pivotMode, int ignoreLocks) override;
  void ShowBoneLinks(int show) override { showBoneLinks_ = show; }
  void SetBoneMode(int on, TickTime t) override;

  bool IsRoot() const { return handle_ == 0; }
  const std::string& name() const { return name_; }
  Node* parent() const { return parent_; }
  const std::vector<Node*>& children() const { return children_; }
  SceneObjectImpl* object() const { return object_; }
  host::TransformController* transform() const { return transform_.get(); }
  const std::vector<std::pair<std::string, float>>& userProperties() const { return properties_; }
  ObjectOffset& objectOffset() { return offset_; }
  int showBoneLinks() const { return showBoneLinks_; }
  int boneMode() const { return boneMode_; }
  TickTime boneModeTime() const { return boneModeTime_; }
  // True when `other` is this node or lies below it.
  bool IsSelfOrAncestorOf(const Node* other) const;
  // The node's local transform or its place in the tree is about to change: world transforms
  // remembered for it and its subtree are dropped.
  void LocalChanged();

 private:
  friend class Scene;
  Matrix3 Local(TickTime t) const;
  // Sets the node's position, rotation and scale at t so that its local transform is `local`.
  void SetLocal(TickTime t, const Matrix3& local);
  void Remember(TickTime t, std::uint64_t revision, const Matrix3& world) {
    world_ = world;
    worldTime_ = t;
    worldRevision_ = revision;
  }

  Scene& scene_;
  std::uint32_t handle_;
  std::uint64_t sequence_ = 0;  // creation order
  std::string name_;
  Node* parent_ = nullptr;
  std::vector<Node*> children_;
  SceneObjectImpl* object_ = nullptr;
  std::unique_ptr<host::TransformController> transform_;
  std::uint32_t colour_ = 0;
  std::vector<std::pair<std::string, float>> properties_;
  ObjectOffset offset_;
  int showBoneLinks_ = 1;
  int boneMode_ = 0;
  TickTime boneModeTime_ = 0;
  // The world transform last computed, at worldTime_, valid while the scene's world revision is
  // worldRevision_. A child's world is its local transform times this, so a chain of nodes
  // evaluated at one time costs one local transform per node.
  Matrix3 world_;
  TickTime worldTime_ = 0;
  std::uint64_t worldRevision_ = 0;
};

class Scene {
 public:
  Scene();
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  Node& root() { return *root_; }
  // Nodes other than the root, in creation order.
  const std::vector<Node*>& nodes() const { return order_; }
  Node* FindByHandle(std::uint32_t handle) const;
  // The first node in creation order with exactly this name.
  Node* FindByName(const std::string& name) const;

  // A new object or controller (owned by the scene's pool), or null for an unknown class.
  SceneEntity* MakeEntity(SuperClassId superClass, ClassId classId);
  // A new node carrying `object` (null allowed for a node without object), at top level.
  Node* MakeNode(SceneObjectImpl* object, const std::string& name);
  // A new node with a given handle (scene documents); null when the handle is taken or 0.
  Node* MakeNodeWithHandle(std::uint32_t handle);
  // Deletes the node; its children move to the root node.
  void RemoveNode(Node* node);
  // Used when a scene document is loaded: gives a node its object (which must be unused and
  // pooled) and its transform controller, and sets a node's children in order (the caller makes
  // sure the result is a tree).
  bool AttachObject(Node* node, SceneObjectImpl* object);
  void SetTransform(Node* node, std::unique_ptr<host::TransformController> transform);
  void SetChildren(Node* parent, const std::vector<Node*>& children);
  // Destroys a pooled object or controller.
  void DestroyEntity(SceneEntity* entity);
  bool Owns(const SceneEntity* entity) const { return pool_.count(entity) != 0; }
  template <class T>
  T* Adopt(std::unique_ptr<T> entity) {
    T* raw = entity.get();
    pool_.emplace(raw, std::move(entity));
    return raw;
  }
  // `name` if no node has it, else its stem (trailing digits removed) with the first free
  // three-digit number.
  std::string UniqueName(const std::string& name) const;
  // Gives `node` a new name, keeping the index by name up to date.
  void Rename(Node* node, std::string name);

  // Time and units.
  int frameRate() const { return frameRate_; }
  // Rates outside 1 to 4800 are ignored: a frame must last at least one tick.
  void set_frameRate(int fps) {
    if (fps >= 1 && fps <= kTicksPerSecond) frameRate_ = fps;
  }
  int ticksPerFrame() const { return kTicksPerSecond / frameRate_; }
  TickTime currentTime() const { return currentTime_; }
  void set_currentTime(TickTime t) { currentTime_ = t; }
  Interval animationRange() const { return range_; }
  void set_animationRange(const Interval& range) { range_ = range; }
  double millimetresPerUnit() const { return millimetresPerUnit_; }
  void set_millimetresPerUnit(double mm) { millimetresPerUnit_ = mm; }

  // Selection, in selection order.
  const std::vector<std::uint32_t>& selection() const { return selection_; }
  void Select(Node* node, bool add);
  void ClearSelection() { selection_.clear(); }
  void set_selection(std::vector<std::uint32_t> handles) { selection_ = std::move(handles); }

  ModeState& animate() { return animate_; }
  ModeState& setKey() { return setKey_; }
  std::uint32_t nextHandle() const { return nextHandle_; }
  void set_nextHandle(std::uint32_t next) { nextHandle_ = next; }

  // World transforms nodes remember are valid while this stays the same. A change to a node
  // whose world is remembered moves it on (and so drops every remembered world); a change to any
  // other node cannot affect a remembered world (those are computed down from the top, so every
  // node above a remembered one is remembered too) and leaves it.
  std::uint64_t worldRevision() const { return worldRevision_; }
  void WorldsChanged() { ++worldRevision_; }

 private:
  // Takes `node` out of the index by name.
  void Unindex(Node* node);

  std::unique_ptr<Node> root_;
  std::vector<std::unique_ptr<Node>> owned_;
  std::vector<Node*> order_;
  std::unordered_map<std::uint32_t, Node*> byHandle_;
  // The nodes of each name, in creation order.
  std::unordered_map<std::string, std::vector<Node*>> byName_;
  // For a name stem: every number below it makes a name that is taken (UniqueName starts there).
  mutable std::unordered_map<std::string, unsigned> firstFreeNumber_;
  std::uint64_t nextSequence_ = 1;
  std::uint64_t worldRevision_ = 1;
  std::unordered_map<const SceneEntity*, std::unique_ptr<SceneEntity>> pool_;
  std::uint32_t nextHandle_ = 1;
  int frameRate_ = 30;
  TickTime currentTime_ = 0;
  Interval range_{0, 100 * (kTicksPerSecond / 30)};
  double millimetresPerUnit_ = 1.0;
  std::vector<std::uint32_t> selection_;
  ModeState animate_;
  ModeState setKey_;
};

// Host quaternion helpers.
Quat QuatMultiply(const Quat& a, const Quat& b);  // a applied first, then b
Quat QuatInverse(const Quat& q);
Quat QuatNormalised(const Quat& q);
Quat Slerp(const Quat& a, const Quat& b, double u);

}  // namespace modra::host

#endif  // ZAR_MODRA_SCENE_H_
