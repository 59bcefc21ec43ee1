// The stand-in scene: objects and their parameters, nodes and their transforms, the node tree.

#include "modra/scene.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace modra::host {

// ---------------------------------------------------------------------------------------------
// Parameters

ParameterSet::Parameter* ParameterSet::Find(int id) {
  for (Parameter& p : parameters_)
    if (p.id == id) return &p;
  return nullptr;
}

int ParameterSet::IndexOf(int id) const {
  for (std::size_t i = 0; i < parameters_.size(); ++i)
    if (parameters_[i].id == id) return static_cast<int>(i);
  return -1;
}

bool ParameterSet::SetParameter(int id, TickTime, float value) {
  Parameter* p = Find(id);
  if (p == nullptr || p->isInt) return false;
  p->floatValue = value;
  return true;
}

bool ParameterSet::FloatParameter(int id, TickTime, float& value, Interval& valid, int) {
  Parameter* p = Find(id);
  if (p == nullptr || p->isInt) return false;
  value = p->floatValue;
  valid = Interval::Forever();
  return true;
}

bool ParameterSet::IntParameter(int id, TickTime, int& value) {
  Parameter* p = Find(id);
  if (p == nullptr || !p->isInt) return false;
  value = p->intValue;
  return true;
}

bool ParameterSet::SetParamFloat(int index, TickTime, float value) {
  if (index < 0 || index >= static_cast<int>(parameters_.size())) return false;
  Parameter& p = parameters_[static_cast<std::size_t>(index)];
  if (p.isInt) return false;
  p.floatValue = value;
  return true;
}

bool ParameterSet::SetParamInt(int index, TickTime, int value) {
  if (index < 0 || index >= static_cast<int>(parameters_.size())) return false;
  Parameter& p = parameters_[static_cast<std::size_t>(index)];
  if (!p.isInt) return false;
  p.intValue = value;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Objects

bool SceneObjectImpl::Known(SuperClassId superClass, ClassId classId) {
  if (superClass == kGeometryClass)
    return classId == kBoneObjectClassId || classId == kSphereObjectClassId;
  if (superClass == kHelperClass)
    return classId == kPointHelperClassId || classId == kDummyHelperClassId;
  return false;
}

SceneObjectImpl::SceneObjectImpl(SuperClassId superClass, ClassId classId)
    : superClass_(superClass), classId_(classId) {
  if (classId == kBoneObjectClassId) {
    parameters_.AddFloat(kBoneWidth, 10.0f);
    parameters_.AddFloat(kBoneHeight, 10.0f);
    parameters_.AddFloat(kBoneTaper, 0.9f);
    parameters_.AddFloat(kBoneLength, 10.0f);
  } else if (classId == kSphereObjectClassId) {
    parameters_.AddFloat(kSphereRadius, 25.0f);
    parameters_.AddInt(kSphereSegments, 32);
    parameters_.AddInt(kSphereSmooth, 1);
    parameters_.AddFloat(kSphereHemisphere, 0.0f);
    parameters_.AddInt(4, 0);  // squash
    parameters_.AddInt(5, 0);  // base to pivot
    parameters_.AddInt(kSphereMapping, 0);
  }
}

ParamBlock* SceneObjectImpl::ParameterBlock(int index) {
  return index == 0 && !parameters_.parameters().empty() ? &parameters_ : nullptr;
}

ParamBlock* SceneObjectImpl::ObjectParamBlock() {
  return parameters_.parameters().empty() ? nullptr : &parameters_;
}

int SceneObjectImpl::ParamBlockIndex(int number) { return parameters_.IndexOf(number); }

void SceneObjectImpl::SetBox(const Point3& low, const Point3& high) {
  boxLow_ = low;
  boxHigh_ = high;
}

std::string SceneObjectImpl::KindName() const {
  if (classId_ == kBoneObjectClassId) return "Bone";
  if (classId_ == kSphereObjectClassId) return "Sphere";
  if (classId_ == kPointHelperClassId) return "Point";
  if (classId_ == kDummyHelperClassId) return "Dummy";
  return "Object";
}

// ---------------------------------------------------------------------------------------------
// Nodes

Node::Node(Scene& scene, std::uint32_t handle) : scene_(scene), handle_(handle) {}

SceneNode* Node::Child(int index) {
  if (index < 0 || index >= static_cast<int>(children_.size())) return nullptr;
  return children_[static_cast<std::size_t>(index)];
}

bool Node::IsSelfOrAncestorOf(const Node* other) const {
  for (const Node* n = other; n != nullptr; n = n->parent_)
    if (n == this) return true;
  return false;
}

void Node::SetNodeName(const char* name) { scene_.Rename(this, name ? name : ""); }

void Node::LinkChild(SceneNode* child, int keepWorldPosition) {
  auto* node = dynamic_cast<Node*>(child);
  if (node == nullptr || node->IsRoot() || &node->scene_ != &scene_) return;
  // A node without children is nobody's ancestor: linking a new leaf costs the same at any depth.
  if (node == this || (!node->children_.empty() && node->IsSelfOrAncestorOf(this))) return;
  node->LocalChanged();
  const TickTime now = scene_.currentTime();
  const Matrix3 world = node->NodeTransform(now);
  if (node->parent_ != nullptr) {
    auto& siblings = node->parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
  }
  node->parent_ = this;
  children_.push_back(node);
  if (keepWorldPosition != 0) node->SetLocal(now, world * Inverse(NodeTransform(now)));
}

Matrix3 Node::Local(TickTime t) const {
  return transform_ ? transform_->Local(t) : Matrix3::Identity();
}

void Node::SetLocal(TickTime t, const Matrix3& local) {
  if (!transform_) return;
  Point3 position, scale;
  Quat rotation;
  DecomposeMatrix(local, position, rotation, scale);
  if (Controller* c = transform_->ScaleSubController())
    c->SetControllerValue(t, &scale, 1, kValueAbsolute);
  if (Controller* c = transform_->RotationSubController())
    c->SetControllerValue(t, &rotation, 1, kValueAbsolute);
  if (Controller* c = transform_->PositionController())
    c->SetControllerValue(t, &position, 1, kValueAbsolute);
}

void Node::LocalChanged() {
  if (worldRevision_ == scene_.worldRevision()) scene_.WorldsChanged();
}

Matrix3 Node::NodeTransform(TickTime t) {
  if (IsRoot()) return Matrix3::Identity();
  // local * parentWorld, composed from the top down without recursion (so that a very deep
  // hierarchy cannot exhaust the stack), starting below the nearest node that remembers its
  // world at t; every node passed remembers its own.
  const std::uint64_t revision = scene_.worldRevision();
  auto known = [&](const Node* n) { return n->worldRevision_ == revision && n->worldTime_ == t; };
  if (known(this)) return world_;
  // The common case when a tree is sampled top down: the parent knows its world already.
  if (parent_ != nullptr && (parent_->IsRoot() || known(parent_))) {
    const Matrix3 world = parent_->IsRoot() ? Local(t) : Local(t) * parent_->world_;
    Remember(t, revision, world);
    return world;
  }
  // Most chains are short: they are gathered without allocating unless they are deep.
  constexpr std::size_t kShortChain = 32;
  std::array<Node*, kShortChain> shortChain;
  std::vector<Node*> longChain;
  std::size_t length = 0;
  Node* top = this;
  for (; top != nullptr && !top->IsRoot() && !known(top); top = top->parent_) {
    if (length < kShortChain) {
      shortChain[length] = top;
    } else {
      if (longChain.empty()) longChain.assign(shortChain.begin(), shortChain.end());
      longChain.push_back(top);
    }
    ++length;
  }
  Node* const* chain = length <= kShortChain ? shortChain.data() : longChain.data();
  std::size_t i = length;
  Matrix3 world;
  if (top != nullptr && !top->IsRoot()) {
    world = top->world_;
  } else {
    world = chain[--i]->Local(t);
    chain[i]->Remember(t, revision, world);
  }
  while (i-- > 0) {
    world = chain[i]->Local(t) * world;
    chain[i]->Remember(t, revision, world);
  }
  return world;
}

Matrix3 Node::ObjectTransform(TickTime t) {
  if (offset_.IsIdentity()) return NodeTransform(t);
  return offset_.Matrix() * NodeTransform(t);
}

SuperClassId Node::NodeObjectKind(TickTime) { return object_ ? object_->SuperClass() : 0; }

void Node::SetUserFloatProperty(const char* key, float value) {
  if (key == nullptr) return;
  for (auto& [k, v] : properties_) {
    if (k == key) {
      v = value;
      return;
    }
  }
  properties_.emplace_back(key, value);
}

bool Node::UserFloatProperty(const char* key, float& value) {
  if (key == nullptr) return false;
  for (const auto& [k, v] : properties_) {
    if (k == key) {
      value = v;
      return true;
    }
  }
  return false;
}

void Node::MoveNode(TickTime t, const Matrix3& frame, const Point3& offset, int, int affectChildren,
                    int, int) {
  if (!transform_ || IsRoot()) return;
  Controller* position = transform_->PositionController();
  if (position == nullptr) return;
  std::vector<Matrix3> childWorlds;
  if (affectChildren == 0)
    for (Node* c : children_) childWorlds.push_back(c->NodeTransform(t));
  const Point3 worldDelta = VectorTransform(frame, offset);
  const Matrix3 parentWorld = parent_ ? parent_->NodeTransform(t) : Matrix3::Identity();
  Point3 localDelta = VectorTransform(Inverse(parentWorld), worldDelta);
  position->SetControllerValue(t, &localDelta, 1, kValueRelative);
  if (affectChildren == 0) {
    // The children stay where they were in the world: their positions take the move back.
    const Matrix3 inverseWorld = Inverse(NodeTransform(t));
    for (std::size_t i = 0; i < children_.size(); ++i) {
      Controller* cp =
          children_[i]->transform_ ? children_[i]->transform_->PositionController() : nullptr;
      if (cp == nullptr) continue;
      Point3 p = childWorlds[i].Translation() * inverseWorld;
      cp->SetControllerValue(t, &p, 1, kValueAbsolute);
    }
  }
}

void Node::ScaleNode(TickTime t, const Matrix3&, const Point3& factors, int, int, int, int) {
  if (!transform_ || IsRoot()) return;
  if (Controller* scale = transform_->ScaleSubController())
    scale->SetControllerValue(t, &factors, 1, kValueRelative);
}

void Node::SetBoneMode(int on, TickTime t) {
  boneMode_ = on;
  boneModeTime_ = t;
}

// ---------------------------------------------------------------------------------------------
// Scene

Scene::Scene() : root_(std::make_unique<Node>(*this, 0)) {}

Scene::~Scene() {
  // Nodes refer to pooled controllers through their transforms: drop the nodes first.
  owned_.clear();
  root_.reset();
  pool_.clear();
}

Node* Scene::FindByHandle(std::uint32_t handle) const {
  if (handle == 0) return root_.get();
  auto it = byHandle_.find(handle);
  return it == byHandle_.end() ? nullptr : it->second;
}

Node* Scene::FindByName(const std::string& name) const {
  auto it = byName_.find(name);
  return it == byName_.end() || it->second.empty() ? nullptr : it->second.front();
}

namespace {

// A name without its trailing digits.
std::string NameStem(const std::string& name) {
  std::size_t end = name.size();
  while (end > 0 && std::isdigit(static_cast<unsigned char>(name[end - 1]))) --end;
  return name.substr(0, end);
}

}  // namespace

void Scene::Unindex(Node* node) {
  if (auto it = byName_.find(node->name_); it != byName_.end()) {
    auto& list = it->second;
    list.erase(std::remove(list.begin(), list.end(), node), list.end());
    if (list.empty()) byName_.erase(it);
  }
  // The name is free again: numbering of its stem starts over.
  firstFreeNumber_.erase(NameStem(node->name_));
}

void Scene::Rename(Node* node, std::string name) {
  if (node->IsRoot()) {
    node->name_ = std::move(name);
    return;
  }
  if (node->sequence_ != 0) {
    Unindex(node);
  } else {
    node->sequence_ = nextSequence_++;
  }
  node->name_ = std::move(name);
  auto& list = byName_[node->name_];
  const std::uint64_t sequence = node->sequence_;
  list.insert(std::upper_bound(list.begin(), list.end(), sequence,
                               [](std::uint64_t s, const Node* n) { return s < n->sequence_; }),
              node);
}

SceneEntity* Scene::MakeEntity(SuperClassId superClass, ClassId classId) {
  if (SceneObjectImpl::Known(superClass, classId))
    return Adopt(std::make_unique<SceneObjectImpl>(superClass, classId));
  if (superClass == kRotationControllerClass) {
    if (classId == kTcbRotationClassId)
      return Adopt(std::make_unique<TcbRotationController>(*this));
    if (classId == kEulerRotationClassId)
      return Adopt(std::make_unique<EulerRotationController>(*this));
  }
  if (superClass == kPositionControllerClass && classId == kLinearPositionClassId)
    return Adopt(std::make_unique<PointController>(*this, ControllerValueKind::kPosition));
  if (superClass == kScaleControllerClass && classId == kLinearScaleClassId)
    return Adopt(std::make_unique<PointController>(*this, ControllerValueKind::kScale));
  return nullptr;
}

Node* Scene::MakeNodeWithHandle(std::uint32_t handle) {
  if (handle == 0 || byHandle_.count(handle) != 0) return nullptr;
  auto node = std::make_unique<Node>(*this, handle);
  Node* raw = node.get();
  owned_.push_back(std::move(node));
  order_.push_back(raw);
  byHandle_[handle] = raw;
  Rename(raw, "");
  raw->parent_ = root_.get();
  root_->children_.push_back(raw);
  if (handle >= nextHandle_) nextHandle_ = handle + 1;
  return raw;
}

Node* Scene::MakeNode(SceneObjectImpl* object, const std::string& name) {
  if (object != nullptr && (object->usedByNode() || !Owns(object))) return nullptr;
  Node* node = MakeNodeWithHandle(nextHandle_);
  if (node == nullptr) return nullptr;
  Rename(node, name.empty() ? UniqueName(object ? object->KindName() + "001" : "Node001") : name);
  node->object_ = object;
  if (object != nullptr) object->set_usedByNode(true);
  node->transform_ = std::make_unique<host::TransformController>(
      *this, Adopt(std::make_unique<PointController>(*this, ControllerValueKind::kPosition)),
      Adopt(std::make_unique<EulerRotationController>(*this)),
      Adopt(std::make_unique<PointController>(*this, ControllerValueKind::kScale)));
  node->transform_->set_node(node);
  return node;
}

void Scene::RemoveNode(Node* node) {
  if (node == nullptr || node->IsRoot() || FindByHandle(node->handle_) != node) return;
  node->LocalChanged();
  for (Node* c : node->children_) {
    c->parent_ = root_.get();
    root_->children_.push_back(c);
  }
  node->children_.clear();
  if (node->parent_ != nullptr) {
    auto& siblings = node->parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
  }
  selection_.erase(std::remove(selection_.begin(), selection_.end(), node->handle_),
                   selection_.end());
  if (auto* t = node->transform_.get()) {
    PointController* p = t->position();
    RotationController* r = t->rotation();
    PointController* s = t->scale();
    t->Install(nullptr, nullptr, nullptr);
    for (SceneEntity* e :
         {static_cast<SceneEntity*>(p), static_cast<SceneEntity*>(r), static_cast<SceneEntity*>(s)})
      if (e != nullptr) DestroyEntity(e);
  }
  if (node->object_ != nullptr) DestroyEntity(node->object_);
  byHandle_.erase(node->handle_);
  Unindex(node);
  order_.erase(std::remove(order_.begin(), order_.end(), node), order_.end());
  owned_.erase(std::remove_if(owned_.begin(), owned_.end(),
                              [node](const std::unique_ptr<Node>& n) { return n.get() == node; }),
               owned_.end());
}

void Scene::DestroyEntity(SceneEntity* entity) { pool_.erase(entity); }

bool Scene::AttachObject(Node* node, SceneObjectImpl* object) {
  if (node == nullptr || object == nullptr || object->usedByNode() || !Owns(object)) return false;
  node->object_ = object;
  object->set_usedByNode(true);
  return true;
}

void Scene::SetTransform(Node* node, std::unique_ptr<host::TransformController> transform) {
  if (node == nullptr) return;
  node->LocalChanged();
  node->transform_ = std::move(transform);
  if (node->transform_) node->transform_->set_node(node);
}

void Scene::SetChildren(Node* parent, const std::vector<Node*>& children) {
  for (Node* c : parent->children_) c->LocalChanged();
  for (Node* c : children) c->LocalChanged();
  parent->children_ = children;
  for (Node* c : children) c->parent_ = parent;
}

std::string Scene::UniqueName(const std::string& name) const {
  if (FindByName(name) == nullptr) return name;
  const std::string stem = NameStem(name);
  unsigned& n = firstFreeNumber_.try_emplace(stem, 1u).first->second;
  for (;; ++n) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03u", n);
    std::string candidate = stem + digits;
    if (FindByName(candidate) == nullptr) return candidate;
  }
}

void Scene::Select(Node* node, bool add) {
  if (!add) selection_.clear();
  if (node == nullptr || node->IsRoot()) return;
  if (std::find(selection_.begin(), selection_.end(), node->handle_) == selection_.end())
    selection_.push_back(node->handle_);
}

}  // namespace modra::host
