#include "modra/scene_document.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <new>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

namespace modra::host {
namespace {

using Json = nlohmann::json;

constexpr const char* kFormat = "zarfileio-scene";

// A problem found while reading a document; caught at the top and turned into the message.
struct DocumentError {
  std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw DocumentError{message}; }

Json FloatJson(float f) {
  if (std::isnan(f)) return "nan";
  if (std::isinf(f)) return f > 0 ? "inf" : "-inf";
  return static_cast<double>(f);
}

Json PointJson(const Point3& p) {
  return Json::array({FloatJson(p.x), FloatJson(p.y), FloatJson(p.z)});
}

Json QuatJson(const Quat& q) {
  return Json::array({FloatJson(q.x), FloatJson(q.y), FloatJson(q.z), FloatJson(q.w)});
}

Json ClassIdJson(ClassId id) { return Json::array({id.a, id.b}); }

// Reading helpers: each names what it reads in its failure message.
const Json& Field(const Json& object, const char* name, const std::string& where) {
  if (!object.is_object()) Fail(where + " is not an object");
  auto it = object.find(name);
  if (it == object.end()) Fail(where + " has no \"" + name + "\"");
  return *it;
}

float ReadFloat(const Json& j, const std::string& what) {
  if (j.is_number()) {
    const double d = j.get<double>();
    if (std::isfinite(d) && std::fabs(d) > static_cast<double>(std::numeric_limits<float>::max()))
      Fail(what + " is out of single-precision range");
    return static_cast<float>(d);
  }
  if (j.is_string()) {
    const std::string s = j.get<std::string>();
    if (s == "nan") return std::numeric_limits<float>::quiet_NaN();
    if (s == "inf") return std::numeric_limits<float>::infinity();
    if (s == "-inf") return -std::numeric_limits<float>::infinity();
  }
  Fail(what + " is not a number");
}

double ReadDouble(const Json& j, const std::string& what) {
  if (!j.is_number()) Fail(what + " is not a number");
  return j.get<double>();
}

std::int64_t ReadInteger(const Json& j, const std::string& what, std::int64_t low,
                         std::int64_t high) {
  std::int64_t v = 0;
  if (j.is_number_unsigned()) {
    const auto u = j.get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
      Fail(what + " is out of range");
    v = static_cast<std::int64_t>(u);
  } else if (j.is_number_integer()) {
    v = j.get<std::int64_t>();
  } else {
    Fail(what + " is not an integer");
  }
  if (v < low || v > high) Fail(what + " is out of range");
  return v;
}

bool ReadBool(const Json& j, const std::string& what) {
  if (!j.is_boolean()) Fail(what + " is not true or false");
  return j.get<bool>();
}

const Json& Array(const Json& j, const std::string& what, std::size_t size = 0) {
  if (!j.is_array() || (size != 0 && j.size() != size))
    Fail(what + (size ? " is not an array of " + std::to_string(size) : " is not an array"));
  return j;
}

Point3 ReadPoint(const Json& j, const std::string& what) {
  Array(j, what, 3);
  return {ReadFloat(j[0], what), ReadFloat(j[1], what), ReadFloat(j[2], what)};
}

Quat ReadQuat(const Json& j, const std::string& what) {
  Array(j, what, 4);
  return {ReadFloat(j[0], what), ReadFloat(j[1], what), ReadFloat(j[2], what),
          ReadFloat(j[3], what)};
}

ClassId ReadClassId(const Json& j, const std::string& what) {
  Array(j, what, 2);
  return {static_cast<std::uint32_t>(ReadInteger(j[0], what, 0, 0xFFFFFFFF)),
          static_cast<std::uint32_t>(ReadInteger(j[1], what, 0, 0xFFFFFFFF))};
}

TickTime ReadTime(const Json& j, const std::string& what) {
  return static_cast<TickTime>(ReadInteger(j, what, std::numeric_limits<TickTime>::min(),
                                           std::numeric_limits<TickTime>::max()));
}

// ---------------------------------------------------------------------------------------------
// Writing

Json PointControllerJson(const PointController* c) {
  if (c == nullptr) return nullptr;
  Json keys = Json::array();
  for (const auto& [t, p] : c->keys())
    keys.push_back(Json::array({t, FloatJson(p.x), FloatJson(p.y), FloatJson(p.z)}));
  return {{"locked", c->locked()}, {"value", PointJson(c->constant())}, {"keys", keys}};
}

Json RotationControllerJson(const RotationController* c) {
  if (c == nullptr) return nullptr;
  Json keys = Json::array();
  Json j;
  if (auto* euler = dynamic_cast<const EulerRotationController*>(c)) {
    for (const auto& [t, a] : euler->keys())
      keys.push_back(Json::array({t, FloatJson(a[0]), FloatJson(a[1]), FloatJson(a[2])}));
    const auto v = euler->constant();
    j = {{"type", "euler"},
         {"value", Json::array({FloatJson(v[0]), FloatJson(v[1]), FloatJson(v[2])})}};
  } else if (auto* tcb = dynamic_cast<const TcbRotationController*>(c)) {
    for (const auto& [t, q] : tcb->keys())
      keys.push_back(
          Json::array({t, FloatJson(q.x), FloatJson(q.y), FloatJson(q.z), FloatJson(q.w)}));
    j = {{"type", "tcb"}, {"value", QuatJson(tcb->constant())}};
  }
  j["locked"] = c->locked();
  j["keys"] = keys;
  return j;
}

Json NodeJson(Node& n) {
  Json j;
  j["handle"] = n.NodeHandle();
  j["name"] = n.name();
  Json children = Json::array();
  for (Node* c : n.children()) children.push_back(c->NodeHandle());
  j["children"] = children;
  j["colour"] = n.DisplayColour();
  j["showBoneLinks"] = n.showBoneLinks();
  j["boneMode"] = n.boneMode();
  j["boneModeTime"] = n.boneModeTime();
  Json props = Json::array();
  for (const auto& [k, v] : n.userProperties()) props.push_back(Json::array({k, FloatJson(v)}));
  j["userProperties"] = props;
  if (SceneObjectImpl* o = n.object()) {
    Json params = Json::array();
    for (const auto& p : o->parameters().parameters()) {
      if (p.isInt)
        params.push_back(Json::array({p.id, "int", p.intValue}));
      else
        params.push_back(Json::array({p.id, "float", FloatJson(p.floatValue)}));
    }
    j["object"] = {{"superClass", o->SuperClass()},
                   {"classId", ClassIdJson(o->ClassIdentifier())},
                   {"parameters", params},
                   {"box", Json::array({PointJson(o->BoxLow()), PointJson(o->BoxHigh())})}};
  } else {
    j["object"] = nullptr;
  }
  const ObjectOffset& off = n.objectOffset();
  j["objectOffset"] = {{"position", PointJson(off.position)},
                       {"rotation", QuatJson(off.rotation)},
                       {"scale", PointJson(off.scale)}};
  if (TransformController* t = n.transform()) {
    j["transform"] = {{"classId", ClassIdJson(t->ClassIdentifier())},
                      {"refusesRotation", t->refusesRotation()},
                      {"position", PointControllerJson(t->position())},
                      {"rotation", RotationControllerJson(t->rotation())},
                      {"scale", PointControllerJson(t->scale())}};
  } else {
    j["transform"] = nullptr;
  }
  return j;
}

// ---------------------------------------------------------------------------------------------
// Reading

PointController* ReadPointController(Scene& scene, const Json& j, ControllerValueKind kind,
                                     const std::string& where) {
  if (j.is_null()) return nullptr;
  auto* c = scene.Adopt(std::make_unique<PointController>(scene, kind));
  c->set_locked(ReadBool(Field(j, "locked", where), where + " locked"));
  c->set_constant(ReadPoint(Field(j, "value", where), where + " value"));
  const Json& keys = Array(Field(j, "keys", where), where + " keys");
  auto& map = c->mutable_keys();
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string what = where + " key " + std::to_string(i);
    const Json& k = keys[i];
    if (!k.is_array() || k.size() != 4) Fail(what + " is not [tick, x, y, z]");
    const TickTime t = ReadTime(k[0], what + " tick");
    if (!map.emplace(t, Point3(ReadFloat(k[1], what), ReadFloat(k[2], what), ReadFloat(k[3], what)))
             .second)
      Fail(what + " repeats tick " + std::to_string(t));
  }
  return c;
}

RotationController* ReadRotationController(Scene& scene, const Json& j, const std::string& where) {
  if (j.is_null()) return nullptr;
  const Json& type = Field(j, "type", where);
  RotationController* result = nullptr;
  const Json& keys = Array(Field(j, "keys", where), where + " keys");
  if (type == "euler") {
    auto* c = scene.Adopt(std::make_unique<EulerRotationController>(scene));
    const Json& v = Array(Field(j, "value", where), where + " value", 3);
    c->set_constant({ReadFloat(v[0], where), ReadFloat(v[1], where), ReadFloat(v[2], where)});
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const std::string what = where + " key " + std::to_string(i);
      const Json& k = keys[i];
      if (!k.is_array() || k.size() != 4) Fail(what + " is not [tick, x, y, z]");
      const TickTime t = ReadTime(k[0], what + " tick");
      const EulerRotationController::Angles a{ReadFloat(k[1], what), ReadFloat(k[2], what),
                                              ReadFloat(k[3], what)};
      if (!c->mutable_keys().emplace(t, a).second)
        Fail(what + " repeats tick " + std::to_string(t));
    }
    result = c;
  } else if (type == "tcb") {
    auto* c = scene.Adopt(std::make_unique<TcbRotationController>(scene));
    c->SetConstant(ReadQuat(Field(j, "value", where), where + " value"));
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const std::string what = where + " key " + std::to_string(i);
      const Json& k = keys[i];
      if (!k.is_array() || k.size() != 5) Fail(what + " is not [tick, x, y, z, w]");
      const TickTime t = ReadTime(k[0], what + " tick");
      const Quat q(ReadFloat(k[1], what), ReadFloat(k[2], what), ReadFloat(k[3], what),
                   ReadFloat(k[4], what));
      if (!c->mutable_keys().emplace(t, q).second)
        Fail(what + " repeats tick " + std::to_string(t));
    }
    result = c;
  } else {
    Fail(where + " type is neither \"euler\" nor \"tcb\"");
  }
  auto* base = static_cast<ControllerBase*>(result);
  base->set_locked(ReadBool(Field(j, "locked", where), where + " locked"));
  return result;
}

void ReadNode(Scene& scene, Node& node, const Json& j, const std::string& where) {
  const Json& name = Field(j, "name", where);
  if (!name.is_string()) Fail(where + " name is not a text");
  node.SetNodeName(name.get<std::string>().c_str());
  const std::string at = "node " + std::to_string(node.NodeHandle()) + " (" + node.name() + ")";
  node.SetDisplayColour(static_cast<std::uint32_t>(
      ReadInteger(Field(j, "colour", at), at + " colour", 0, 0xFFFFFFFF)));
  node.ShowBoneLinks(static_cast<int>(
      ReadInteger(Field(j, "showBoneLinks", at), at + " showBoneLinks", INT32_MIN, INT32_MAX)));
  node.SetBoneMode(static_cast<int>(ReadInteger(Field(j, "boneMode", at), at + " boneMode",
                                                INT32_MIN, INT32_MAX)),
                   ReadTime(Field(j, "boneModeTime", at), at + " boneModeTime"));
  const Json& props = Array(Field(j, "userProperties", at), at + " userProperties");
  for (const Json& p : props) {
    if (!p.is_array() || p.size() != 2 || !p[0].is_string())
      Fail(at + " has a user property that is not [key, number]");
    node.SetUserFloatProperty(p[0].get<std::string>().c_str(),
                              ReadFloat(p[1], at + " user property " + p[0].get<std::string>()));
  }
  const Json& object = Field(j, "object", at);
  if (!object.is_null()) {
    const std::string what = at + " object";
    const auto superClass = static_cast<SuperClassId>(
        ReadInteger(Field(object, "superClass", what), what + " superClass", 0, 0xFFFFFFFF));
    const ClassId classId = ReadClassId(Field(object, "classId", what), what + " classId");
    if (!SceneObjectImpl::Known(superClass, classId))
      Fail(what + " is of a class the host does not know");
    auto* o = static_cast<SceneObjectImpl*>(scene.MakeEntity(superClass, classId));
    const Json& params = Array(Field(object, "parameters", what), what + " parameters");
    auto& list = o->parameters().mutable_parameters();
    list.clear();
    for (const Json& p : params) {
      if (!p.is_array() || p.size() != 3 || !p[1].is_string())
        Fail(what + " has a parameter that is not [id, \"float\" or \"int\", value]");
      ParameterSet::Parameter param;
      param.id = static_cast<int>(ReadInteger(p[0], what + " parameter id", INT32_MIN, INT32_MAX));
      if (p[1] == "int") {
        param.isInt = true;
        param.intValue =
            static_cast<int>(ReadInteger(p[2], what + " parameter", INT32_MIN, INT32_MAX));
      } else if (p[1] == "float") {
        param.floatValue = ReadFloat(p[2], what + " parameter");
      } else {
        Fail(what + " parameter type is neither \"float\" nor \"int\"");
      }
      list.push_back(param);
    }
    const Json& box = Array(Field(object, "box", what), what + " box", 2);
    o->SetBox(ReadPoint(box[0], what + " box"), ReadPoint(box[1], what + " box"));
    scene.AttachObject(&node, o);
  }
  const Json& offset = Field(j, "objectOffset", at);
  node.objectOffset().position = ReadPoint(Field(offset, "position", at), at + " offset position");
  node.objectOffset().rotation = ReadQuat(Field(offset, "rotation", at), at + " offset rotation");
  node.objectOffset().scale = ReadPoint(Field(offset, "scale", at), at + " offset scale");
  const Json& t = Field(j, "transform", at);
  if (t.is_null()) {
    scene.SetTransform(&node, nullptr);
    return;
  }
  const std::string what = at + " transform";
  auto* position = ReadPointController(scene, Field(t, "position", what),
                                       ControllerValueKind::kPosition, what + " position");
  auto* rotation = ReadRotationController(scene, Field(t, "rotation", what), what + " rotation");
  auto* scale = ReadPointController(scene, Field(t, "scale", what), ControllerValueKind::kScale,
                                    what + " scale");
  auto transform = std::make_unique<TransformController>(scene, position, rotation, scale);
  transform->set_classId(ReadClassId(Field(t, "classId", what), what + " classId"));
  transform->set_refusesRotation(
      ReadBool(Field(t, "refusesRotation", what), what + " refusesRotation"));
  scene.SetTransform(&node, std::move(transform));
}

void ReadScene(const Json& doc, Scene& scene) {
  if (!doc.is_object()) Fail("the document is not a JSON object");
  const Json& format = Field(doc, "format", "the document");
  if (format != kFormat)
    Fail("the document is not a scene (\"format\" is not \"zarfileio-scene\")");
  if (ReadInteger(Field(doc, "version", "the document"), "version", 0, 1000) != 1)
    Fail("the document's version is not 1");
  if (!scene.nodes().empty()) Fail("the scene to load into is not empty");
  const int fps = static_cast<int>(
      ReadInteger(Field(doc, "frameRate", "the document"), "frameRate", 1, kTicksPerSecond));
  scene.set_frameRate(fps);
  scene.set_currentTime(ReadTime(Field(doc, "currentTime", "the document"), "currentTime"));
  const Json& range = Array(Field(doc, "animationRange", "the document"), "animationRange", 2);
  const TickTime start = ReadTime(range[0], "animationRange start");
  const TickTime end = ReadTime(range[1], "animationRange end");
  if (end < start) Fail("animationRange ends before it starts");
  scene.set_animationRange({start, end});
  const double mm =
      ReadDouble(Field(doc, "millimetresPerUnit", "the document"), "millimetresPerUnit");
  if (!(mm > 0.0) || !std::isfinite(mm)) Fail("millimetresPerUnit is not a positive number");
  scene.set_millimetresPerUnit(mm);

  const Json& nodes = Array(Field(doc, "nodes", "the document"), "nodes");
  std::vector<std::pair<Node*, const Json*>> made;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const std::string where = "node entry " + std::to_string(i);
    const auto handle = static_cast<std::uint32_t>(
        ReadInteger(Field(nodes[i], "handle", where), where + " handle", 1, 0xFFFFFFFE));
    Node* node = scene.MakeNodeWithHandle(handle);
    if (node == nullptr) Fail(where + " repeats handle " + std::to_string(handle));
    made.emplace_back(node, &nodes[i]);
  }
  for (auto& [node, j] : made)
    ReadNode(scene, *node, *j, "node entry with handle " + std::to_string(node->NodeHandle()));

  // The tree: every node is the child of exactly one node and reachable from the root.
  std::unordered_map<std::uint32_t, int> seenAsChild;
  auto childrenOf = [&](const Json& list, const std::string& where) {
    std::vector<Node*> out;
    for (const Json& h : Array(list, where)) {
      const auto handle = static_cast<std::uint32_t>(ReadInteger(h, where, 1, 0xFFFFFFFE));
      Node* c = scene.FindByHandle(handle);
      if (c == nullptr)
        Fail(where + " names node " + std::to_string(handle) + ", which does not exist");
      if (++seenAsChild[handle] > 1)
        Fail("node " + std::to_string(handle) + " has more than one parent");
      out.push_back(c);
    }
    return out;
  };
  std::vector<std::pair<Node*, std::vector<Node*>>> links;
  links.emplace_back(&scene.root(),
                     childrenOf(Field(doc, "rootChildren", "the document"), "rootChildren"));
  for (auto& [node, j] : made)
    links.emplace_back(
        node, childrenOf(Field(*j, "children", "node " + std::to_string(node->NodeHandle())),
                         "children of node " + std::to_string(node->NodeHandle())));
  for (auto& [parent, children] : links) scene.SetChildren(parent, children);
  std::size_t reached = 0;
  std::vector<Node*> stack{&scene.root()};
  std::unordered_set<Node*> visited{&scene.root()};
  while (!stack.empty()) {
    Node* n = stack.back();
    stack.pop_back();
    for (Node* c : n->children()) {
      if (!visited.insert(c).second) continue;
      ++reached;
      stack.push_back(c);
    }
  }
  if (reached != made.size())
    Fail(
        "some nodes are not reachable from the root (a node is its own ancestor or has no parent)");

  std::vector<std::uint32_t> selection;
  for (const Json& h : Array(Field(doc, "selection", "the document"), "selection")) {
    const auto handle = static_cast<std::uint32_t>(ReadInteger(h, "selection", 1, 0xFFFFFFFE));
    if (scene.FindByHandle(handle) == nullptr)
      Fail("selection names node " + std::to_string(handle) + ", which does not exist");
    selection.push_back(handle);
  }
  scene.set_selection(std::move(selection));
  const auto next = static_cast<std::uint32_t>(
      ReadInteger(Field(doc, "nextHandle", "the document"), "nextHandle", 1, 0xFFFFFFFF));
  if (next > scene.nextHandle()) scene.set_nextHandle(next);
}

}  // namespace

std::string SceneToText(Scene& scene) {
  Json doc;
  doc["format"] = kFormat;
  doc["version"] = 1;
  doc["frameRate"] = scene.frameRate();
  doc["currentTime"] = scene.currentTime();
  doc["animationRange"] =
      Json::array({scene.animationRange().Start(), scene.animationRange().End()});
  doc["millimetresPerUnit"] = scene.millimetresPerUnit();
  doc["nextHandle"] = scene.nextHandle();
  doc["selection"] = scene.selection();
  Json rootChildren = Json::array();
  for (Node* c : scene.root().children()) rootChildren.push_back(c->NodeHandle());
  doc["rootChildren"] = rootChildren;
  // One line per setting and one line per node: readable, diffable, and compact enough for
  // scenes with many keys.
  std::string text = "{\n";
  for (const auto& [key, value] : doc.items()) {
    text += ' ';
    text += Json(key).dump();
    text += ": ";
    text += value.dump();
    text += ",\n";
  }
  text += " \"nodes\": [";
  const char* separator = "\n  ";
  for (Node* n : scene.nodes()) {
    text += separator;
    text += NodeJson(*n).dump();
    separator = ",\n  ";
  }
  text += scene.nodes().empty() ? "]\n}\n" : "\n ]\n}\n";
  return text;
}

std::string SceneFromText(std::string_view text, Scene& scene) {
  try {
    Json doc = Json::parse(text.begin(), text.end());
    ReadScene(doc, scene);
    return "";
  } catch (const DocumentError& e) {
    return e.message;
  } catch (const Json::parse_error& e) {
    return "not valid JSON (" + std::string(e.what()) + ")";
  } catch (const Json::exception& e) {
    return "unexpected content (" + std::string(e.what()) + ")";
  } catch (const std::bad_alloc&) {
    return "too large to load";
  }
}

std::string SaveSceneDocument(Scene& scene, const std::string& path) {
  std::string text;
  try {
    text = SceneToText(scene);
  } catch (const std::exception& e) {
    return "scene document " + path + ": cannot be written (" + e.what() + ")";
  }
  const std::string temp = path + ".tmp." + std::to_string(::getpid());
  bool ok = false;
  if (int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644); fd >= 0) {
    std::size_t done = 0;
    ok = true;
    while (done < text.size()) {
      const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = false;
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return "";
  std::remove(temp.c_str());
  return "scene document " + path + ": cannot be written";
}

std::string LoadSceneDocument(const std::string& path, Scene& scene) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "scene document " + path + ": cannot be opened";
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return "scene document " + path + ": cannot be read";
  const std::string problem = SceneFromText(text.str(), scene);
  return problem.empty() ? "" : "scene document " + path + ": " + problem;
}

}  // namespace modra::host
