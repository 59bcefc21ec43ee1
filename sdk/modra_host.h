#ifndef ZAR_SDK_MODRA_HOST_H_
#define ZAR_SDK_MODRA_HOST_H_

// The host's scene as a plug-in sees it: the host interface handed to every import, export and
// utility panel, scene nodes, objects, controllers, parameter blocks, the pick view and the
// custom edit control, and the functions imported by name from the host's libraries.
//
// The host owns every object reached through these interfaces; a plug-in keeps pointers only
// for the duration of the call it was handed them in and never deletes them.

#include <cstddef>
#include <cstdint>
#include <string>

#include "sdk/modra_platform.h"
#include "sdk/modra_types.h"

namespace modra {

class SceneNode;
class SceneObject;
class DummyObject;
class Controller;
class TransformControl;
class ParamBlock;
class PickModeCallback;
class PickNodeCallback;
class ExitModraCallback;

// ---------------------------------------------------------------------------------------------
// Functions imported by name

// Ticks per frame at the scene's frame rate (4800 / frames per second, truncated).
int GetTicksPerFrame();
// Sets the scene's frame rate in frames per second; values outside 1 to 4800 (a frame of less
// than one tick) are ignored.
void SetFrameRate(int framesPerSecond);
int GetFrameRate();
// The size of one system unit in the unit type given (kUnitMillimetres = 3: millimetres per
// system unit). Unknown types answer 1.
double GetMasterScale(int unitType);

// Animate mode. Suspend saves the present state on a stack and switches animate off; Resume
// restores the most recently saved state. On and Off change the present state only. Suspensions
// nest; a Resume without a matching Suspend is ignored.
void SuspendAnimate();
void ResumeAnimate();
void AnimateOn();
void AnimateOff();
bool IsAnimating();
// Set-key mode, with the same nesting as animate mode.
void SuspendSetKeyMode();
void ResumeSetKeyMode();
bool IsSetKeyMode();

// The host's user-interface colour `index` as (red, green, blue), each 0 to 1.
Point3 GetUIColor(int index);
inline constexpr int kColourBone = 23;
// Centres a dialog over its parent window (or the main window when parent is null).
void CenterWindow(WindowHandle dialog, WindowHandle parent);

// The host's numeric edit control inside a dialog or panel page.
class ICustEdit {
 public:
  virtual ~ICustEdit() = default;
  virtual void SetText(const char* text) = 0;
  // Copies at most maxCount − 1 characters and a zero; answers the number copied.
  virtual int GetText(char* buffer, int maxCount) = 0;
  // The text as a number. *valid (when not null) is true only when the whole text, blanks
  // around it aside, is a decimal number; otherwise the answer is 0.
  virtual float GetFloat(bool* valid) = 0;
};
// The custom edit behind a control window (DialogItem of a kCustomEdit control), or null. Each
// successful call must be paired with ReleaseICustEdit.
ICustEdit* GetICustEdit(WindowHandle control);
void ReleaseICustEdit(ICustEdit* edit);

// ---------------------------------------------------------------------------------------------
// Scene entities: objects and controllers

// What the host makes with MakeObject: an object or a controller.
class SceneEntity {
 public:
  virtual ~SceneEntity() = default;
  virtual SuperClassId SuperClass() = 0;
  virtual ClassId ClassIdentifier() = 0;
  virtual SceneObject* AsObject() { return nullptr; }
  virtual Controller* AsController() { return nullptr; }
};

// Parameters of an object. Blocks reached with ParameterBlock address parameters by identifier;
// the block reached with ObjectParamBlock addresses them by index (ParamBlockIndex turns a
// parameter number into its index). Values are not animated: a set applies at every time.
class ParamBlock {
 public:
  virtual ~ParamBlock() = default;
  // Sets float parameter `id`; false when the block has no such float parameter.
  virtual bool SetParameter(int id, TickTime t, float value) = 0;
  // Reads float parameter `id` into value; valid is narrowed to the times the value holds.
  virtual bool FloatParameter(int id, TickTime t, float& value, Interval& valid, int listIndex) = 0;
  virtual bool IntParameter(int id, TickTime t, int& value) = 0;
  // By index (ObjectParamBlock): false for an index out of range or of the other type.
  virtual bool SetParamFloat(int index, TickTime t, float value) = 0;
  virtual bool SetParamInt(int index, TickTime t, int value) = 0;
};

// Bone parameter identifiers (ParameterBlock(0) of a bone object).
inline constexpr int kBoneWidth = 0;
inline constexpr int kBoneHeight = 1;
inline constexpr int kBoneTaper = 2;
inline constexpr int kBoneLength = 3;
// Sphere parameter numbers (ObjectParamBlock, through ParamBlockIndex).
inline constexpr int kSphereRadius = 0;      // float
inline constexpr int kSphereSegments = 1;    // int
inline constexpr int kSphereSmooth = 2;      // int
inline constexpr int kSphereHemisphere = 3;  // float
inline constexpr int kSphereMapping = 6;     // int

class SceneObject : public SceneEntity {
 public:
  SceneObject* AsObject() override { return this; }
  // Parameter block `index` (addressed by identifier), or null.
  virtual ParamBlock* ParameterBlock(int index) = 0;
  // The object's index-addressed parameter block, or null.
  virtual ParamBlock* ObjectParamBlock() = 0;
  // The index of parameter `number` in ObjectParamBlock, or −1.
  virtual int ParamBlockIndex(int number) = 0;
  // This object as a dummy helper, or null.
  virtual DummyObject* AsDummyObject() { return nullptr; }
};

// The host's dummy helper: a box drawn around its node.
class DummyObject : public SceneObject {
 public:
  DummyObject* AsDummyObject() override { return this; }
  // The box runs from `low` to `high` in the node's coordinates.
  virtual void SetBox(const Point3& low, const Point3& high) = 0;
  virtual Point3 BoxLow() = 0;
  virtual Point3 BoxHigh() = 0;
};

// What SetControllerValue and ControllerValue pass through their void pointer.
enum class ControllerValueKind : std::uint8_t {
  kPosition,  // const Point3*: a translation in the parent's coordinates
  kRotation,  // const Quat*: a host quaternion (see modra_types.h)
  kScale,     // const Point3*: scale factors along the local axes
};

// SetControllerValue methods.
inline constexpr int kValueRelative = 0;  // the value is added to (position, scale: multiplied
                                          // into; rotation: applied after) the present one
inline constexpr int kValueAbsolute = 1;

// A position, rotation or scale controller.
//
// Setting a value: with animate mode on, a key is created at that time (or the key there is
// replaced). With animate mode off, a controller without keys takes the value as its constant;
// a controller with keys moves all its keys by the change at that time, as the host does for
// a keyed track edited outside animate mode.
//
// Evaluation: position and scale interpolate linearly between keys; the Euler rotation
// controller interpolates its three angles linearly; the TCB rotation controller interpolates
// quaternions by spherical linear interpolation along the shorter arc. Before the first key and
// after the last the value of that key holds.
class Controller : public SceneEntity {
 public:
  Controller* AsController() override { return this; }
  virtual ControllerValueKind ValueKind() = 0;
  // 0 when the controller must not be given a value (it is locked), 1 otherwise.
  virtual int ControllerCheck() = 0;
  // value points to a Point3 or a Quat (ValueKind). A locked controller ignores the call.
  virtual void SetControllerValue(TickTime t, const void* value, int commit, int method) = 0;
  // Writes the value at t into *value (a Point3 or a Quat).
  virtual void ControllerValue(TickTime t, void* value) = 0;
  // Removes the key at exactly t, if there is one. Cheap when there is none.
  virtual void RemoveKeyAt(TickTime t) = 0;
  virtual int KeyCount() = 0;
  // Time of key `index` (keys are in time order); 0 for an index out of range.
  virtual TickTime KeyTime(int index) = 0;
  // Takes over the keys and value of `from` (a rotation controller may take another rotation
  // controller's, converting its values). Nothing happens for a controller of another kind.
  virtual void CopyController(Controller* from) = 0;
  // Destroys a controller that MakeObject made and nobody installed; the pointer is then
  // invalid. An installed controller is not destroyed.
  virtual void DeleteController() = 0;
};

// The transform controller of a node: position, rotation and scale sub-controllers. The node's
// local transform at t is ScaleMatrix(scale) * RotationMatrix(rotation) *
// TranslationMatrix(position) (scale first, then rotation, then translation).
class TransformControl : public SceneEntity {
 public:
  // The position sub-controller, or null when the node has none.
  virtual Controller* PositionController() = 0;
  virtual Controller* RotationSubController() = 0;
  virtual Controller* ScaleSubController() = 0;
  // Installs a rotation controller made by MakeObject in place of the present one (which is
  // destroyed). Answers 0 and changes nothing when the controller refuses it or `rotation` is
  // not a free rotation controller; 1 otherwise.
  virtual int ReplaceRotationController(Controller* rotation) = 0;
};

// ---------------------------------------------------------------------------------------------
// Scene nodes

class SceneNode {
 public:
  virtual ~SceneNode() = default;
  virtual const char* NodeName() = 0;
  virtual void SetNodeName(const char* name) = 0;
  // The node's handle: unique in the scene, never reused; the scene's root node has 0.
  virtual std::uint32_t NodeHandle() = 0;
  // The parent; a top-level node answers the scene's root node, the root node answers null.
  virtual SceneNode* ParentNode() = 0;
  virtual int ChildCount() = 0;
  // Child `index` in the host's child order, or null for an index out of range.
  virtual SceneNode* Child(int index) = 0;
  // Makes `child` the last child of this node. keepWorldPosition 0: the child's local transform
  // is kept (it moves with its new parent); 1: its values at the current time are changed so
  // that its world transform stays. Linking a node below itself or its own descendant is
  // refused.
  virtual void LinkChild(SceneNode* child, int keepWorldPosition) = 0;
  // The node's world transform at t: its local transform composed with its parent's,
  // local * parentWorld.
  virtual Matrix3 NodeTransform(TickTime t) = 0;
  // The object's world transform: the object offset composed with NodeTransform(t),
  // offset * NodeTransform(t); exactly NodeTransform(t) when the node has no offset.
  virtual Matrix3 ObjectTransform(TickTime t) = 0;
  virtual SceneObject* NodeObject() = 0;
  // The super-class of the node's object evaluated at t (0x10 geometry, 0x50 helper, ...);
  // 0 for a node without an object.
  virtual SuperClassId NodeObjectKind(TickTime t) = 0;
  virtual TransformControl* TransformController() = 0;
  // Wire colour, packed red in bits 0–7, green in 8–15, blue in 16–23.
  virtual void SetDisplayColour(std::uint32_t colour) = 0;
  virtual std::uint32_t DisplayColour() = 0;
  // User-defined properties holding numbers.
  virtual void SetUserFloatProperty(const char* key, float value) = 0;
  // True and the value when the node's properties hold `key` as a number; false otherwise.
  virtual bool UserFloatProperty(const char* key, float& value) = 0;
  // Moves the node by `offset`, given in the axes of `frame` (its rows 0 to 2), at time t
  // (a key with animate mode on). affectChildren 0: the children keep their world positions.
  virtual void MoveNode(TickTime t, const Matrix3& frame, const Point3& offset, int localOrigin,
                        int affectChildren, int pivotMode, int ignoreLocks) = 0;
  // Scales the node by `factors` along its local axes at time t.
  virtual void ScaleNode(TickTime t, const Matrix3& axis, const Point3& factors, int localOrigin,
                         int affectChildren, int pivotMode, int ignoreLocks) = 0;
  // The two bone settings of a node: whether the links to its children are drawn as bones, and
  // whether the node behaves as a bone from time t on.
  virtual void ShowBoneLinks(int show) = 0;
  virtual void SetBoneMode(int on, TickTime t) = 0;
};

// ---------------------------------------------------------------------------------------------
// Pick mode

// A screen position in a viewport, in pixels.
struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// The viewport a pick happens in.
class PickView {
 public:
  virtual ~PickView() = default;
  // The node under `cursor` that passes `filter` (null: any node), or null.
  virtual SceneNode* HitNode(WindowHandle window, ScreenPoint cursor, PickNodeCallback* filter) = 0;
  // The node the last successful hit test found, or null.
  virtual SceneNode* ClosestHitNode() = 0;
};

// ---------------------------------------------------------------------------------------------
// The host interface

// The progress display's work function: called once when the display opens, its answer unused.
using ProgressFunction = std::uint32_t (*)(void* argument);

// Category number of the utility panel's pages.
inline constexpr int kPanelCategoryUtility = 4000;

class HostInterface {
 public:
  virtual ~HostInterface() = default;

  virtual WindowHandle MainWindow() = 0;
  // Non-zero when a command mode (a pick mode or a scene tool) is active.
  virtual int IsModeActive() = 0;
  virtual void EndActiveMode() = 0;

  // The progress display. BeginProgress answers 1 when the display opened.
  virtual int BeginProgress(const char* title, int showBar, ProgressFunction function,
                            void* argument) = 0;
  virtual void UpdateProgress(int percent, int showPercent, const char* title) = 0;
  virtual void EndProgress() = 0;
  // Non-zero once the user has asked to cancel the progress display (until it ends).
  virtual int ProgressCancelled() = 0;
  // Lets the host handle pending user input (this is where the scripted user acts between
  // a plug-in's steps). Answers 1, or 0 once the host is quitting.
  virtual int PumpHostMessages() = 0;

  virtual TickTime CurrentTime() = 0;
  virtual Interval AnimationRange() = 0;
  // Sets the animation range; an interval whose end lies before its start is ignored.
  virtual void SetAnimationRange(const Interval& range) = 0;

  virtual int SelectedNodeCount() = 0;
  // Selected node `index` in selection order, or null.
  virtual SceneNode* SelectedNode(int index) = 0;

  // A new object or controller of the class given, owned by the scene; null for a class the
  // host does not know.
  virtual SceneEntity* MakeObject(SuperClassId superClass, ClassId classId) = 0;
  // A new top-level node carrying `object` (which must not be on another node), named after its
  // class, with a transform controller of the default kind (linear position, Euler rotation,
  // linear scale) at the origin; null when object is null or already used.
  virtual SceneNode* MakeNodeForObject(SceneObject* object) = 0;
  // Deletes the node (not its children, which become children of the scene's root node).
  virtual void RemoveNode(SceneNode* node, int redraw) = 0;
  // Changes `name` in place to a name no node of the scene has (unchanged when free).
  virtual void UniqueNodeName(std::string& name) = 0;
  virtual SceneNode* NodeByHandle(std::uint32_t handle) = 0;
  virtual SceneNode* RootNode() = 0;
  virtual void RefreshViewports(int redrawAll) = 0;

  // The folder picker. On a choice, its path (and a zero) is copied into buffer when it fits
  // bufferSize; on cancel the buffer is left as it was.
  virtual void PickFolder(WindowHandle owner, char* buffer, std::size_t bufferSize,
                          const char* title) = 0;

  // Starts the node pick mode with `callback` (ending any mode that is active); the scripted
  // user's picks then reach the callback from PumpHostMessages. StopNodePick ends it.
  virtual void StartNodePick(PickModeCallback* callback) = 0;
  virtual void StopNodePick() = 0;

  // Adds a page to the utility panel, made from dialog `templateId` of `module`, with `proc`
  // as its procedure (sent the initialisation message with `param`). Answers the page window.
  virtual WindowHandle AddPanelPage(ModuleHandle module, int templateId, DialogProc proc,
                                    const char* title, std::intptr_t param, std::uint32_t flags,
                                    int category) = 0;
  virtual void RemovePanelPage(WindowHandle page) = 0;
  // Hands a page's mouse message to the panel (which scrolls with it).
  virtual void ForwardPanelMouse(WindowHandle page, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam) = 0;

  // Registers a callback that is told when the host is about to quit.
  virtual void WatchHostExit(ExitModraCallback* callback) = 0;
  virtual void UnwatchHostExit(ExitModraCallback* callback) = 0;
};

}  // namespace modra

#endif  // ZAR_SDK_MODRA_HOST_H_
