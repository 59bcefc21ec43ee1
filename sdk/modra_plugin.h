#ifndef ZAR_SDK_MODRA_PLUGIN_H_
#define ZAR_SDK_MODRA_PLUGIN_H_

// The host's base classes that plug-in classes derive from, and the four functions a plug-in
// library exports with C linkage so that the host can discover it:
//
//   extern "C" const char* LibDescription();
//   extern "C" int LibNumberClasses();
//   extern "C" modra::ClassDesc* LibClassDesc(int index);
//   extern "C" std::uint32_t LibVersion();
//
// and its entry point (kModuleEntrySymbol, modra_platform.h).
//
// Loading: the host opens the library (its static objects are constructed), calls the entry
// point with kProcessAttach and the library's module handle, checks LibVersion against
// kPluginInterfaceVersion, and asks for each class descriptor. It then creates plug-in objects
// through ClassDesc::Create and owns them: it deletes each through its base class's virtual
// destructor when it is done with it. Unloading calls the entry point with kProcessDetach, then
// closes the library (its static objects are destroyed in reverse order).

#include <cstdint>

#include "sdk/modra_host.h"
#include "sdk/modra_platform.h"
#include "sdk/modra_types.h"

namespace modra {

// The version of the plug-in interface these headers describe: 10000 in the upper 16 bits,
// 23 in the next 8 bits.
inline constexpr std::uint32_t kPluginInterfaceVersion = 0x27101700u;

using LibDescriptionFunction = const char* (*)();
using LibNumberClassesFunction = int (*)();
class ClassDesc;
using LibClassDescFunction = ClassDesc* (*)(int index);
using LibVersionFunction = std::uint32_t (*)();

// Root of the host's interface-query mechanism.
class InterfaceServer {
 public:
  virtual ~InterfaceServer() = default;
  // The interface `id` this object offers, or null.
  virtual void* GetInterface(std::uint32_t id) {
    static_cast<void>(id);
    return nullptr;
  }
};

// A class descriptor: how the host learns about one plug-in class and creates its objects.
class ClassDesc {
 public:
  virtual ~ClassDesc() = default;
  // Non-zero when users may create the class from the host's interface.
  virtual int IsPublic() = 0;
  // A new object of the class, or null. The answer must be the object's address as the base
  // class its super-class names, converted to void*: static_cast<SceneImport*>(object) for
  // kSceneImportClass, SceneExport* for kSceneExportClass, UtilityObj* for kUtilityClass.
  // `loading` is non-zero when the host creates the object to load it from a scene file.
  virtual void* Create(int loading) = 0;
  virtual const char* ClassName() = 0;
  virtual SuperClassId SuperClassID() = 0;
  virtual ClassId ClassID() = 0;
  virtual const char* Category() = 0;
  // The name scripts use for the class.
  virtual const char* InternalName() { return ClassName(); }
  // The module the class lives in.
  virtual ModuleHandle ModuleInstance() { return nullptr; }
  // The text of a resource string the host asks for by identifier.
  virtual const char* GetRsrcString(std::intptr_t id) {
    static_cast<void>(id);
    return "";
  }
};

// The descriptor base plug-ins derive from; it adds nothing the library uses.
class ClassDesc2 : public ClassDesc {};

// What the host passes to an importer and an exporter besides its interface (not used).
class ImportContext {
 public:
  virtual ~ImportContext() = default;
};
class ExportContext {
 public:
  virtual ~ExportContext() = default;
};

// DoImport / DoExport results.
inline constexpr int kTranslatorFailed = 0;
inline constexpr int kTranslatorSucceeded = 1;

// A scene importer.
class SceneImport {
 public:
  virtual ~SceneImport() = default;
  virtual int ExtensionCount() = 0;
  // Extension `index` without the dot ("HTR").
  virtual const char* Extension(int index) = 0;
  virtual const char* LongDescription() = 0;
  virtual const char* ShortDescription() = 0;
  virtual const char* AuthorName() = 0;
  virtual const char* NoticeMessage() = 0;
  virtual const char* OtherMessage1() = 0;
  virtual const char* OtherMessage2() = 0;
  // Version times 100 (300 is 3.00).
  virtual unsigned Version() = 0;
  virtual void ShowAbout(WindowHandle owner) = 0;
  // Imports `name` into the host's scene; suppressPrompts non-zero: no dialogs. Answers 1 for
  // success (or a cancelled dialog), 0 for failure.
  virtual int DoImport(const char* name, ImportContext* context, HostInterface* host,
                       int suppressPrompts) = 0;
  // Whether the host zooms the viewports to the scene afterwards: −1 the user's preference,
  // 0 no, 1 yes.
  virtual int ZoomAfterImport() { return -1; }
};

// A scene exporter.
class SceneExport {
 public:
  virtual ~SceneExport() = default;
  virtual int ExtensionCount() = 0;
  virtual const char* Extension(int index) = 0;
  virtual const char* LongDescription() = 0;
  virtual const char* ShortDescription() = 0;
  virtual const char* AuthorName() = 0;
  virtual const char* NoticeMessage() = 0;
  virtual const char* OtherMessage1() = 0;
  virtual const char* OtherMessage2() = 0;
  virtual unsigned Version() = 0;
  virtual void ShowAbout(WindowHandle owner) = 0;
  // Writes the scene (or its selection) to `name`; `options` is the host's option word. Answers
  // 1 for success (or a cancelled dialog), 0 for failure.
  virtual int DoExport(const char* name, ExportContext* context, HostInterface* host,
                       int suppressPrompts, std::uint32_t options) = 0;
};

// The utility command panel as a utility sees it.
class UtilityPanel {
 public:
  virtual ~UtilityPanel() = default;
  // Closes the utility's pages (the host then calls UtilityObj::ClosePanel).
  virtual void CloseUtility() = 0;
};

// A utility of the utility command panel.
class UtilityObj {
 public:
  virtual ~UtilityObj() = default;
  // The user opened the utility: add its pages.
  virtual void OpenPanel(HostInterface* host, UtilityPanel* panel) = 0;
  // The user closed it: remove its pages.
  virtual void ClosePanel(HostInterface* host, UtilityPanel* panel) = 0;
  // The host no longer needs the object (it still deletes it afterwards).
  virtual void Release() {}
  // The scene's selection changed while the panel is open.
  virtual void SelectionChanged(HostInterface* host, UtilityPanel* panel) {
    static_cast<void>(host);
    static_cast<void>(panel);
  }
  // A start-up parameter given to the utility by a script.
  virtual void SetStartupParameter(CStr parameter) { static_cast<void>(parameter); }
};

// Told when the host is about to quit.
class ExitModraCallback {
 public:
  virtual ~ExitModraCallback() = default;
  // Answers 1 to let the host quit, 0 to keep it running.
  virtual int HostExiting(WindowHandle mainWindow) = 0;
};

// Decides which nodes a pick may hit.
class PickNodeCallback {
 public:
  virtual ~PickNodeCallback() = default;
  virtual bool Filter(SceneNode* node) = 0;
};

// A pick mode: the host calls these while the user picks nodes in the viewports.
//
// For each pick the host calls HitTest; when it answers true, Pick; when Pick answers true, the
// pick mode ends (ExitMode). A right click calls RightClick; when it answers true the pick mode
// ends.
class PickModeCallback : public InterfaceServer {
 public:
  // True when the cursor is over something this mode can pick.
  virtual bool HitTest(HostInterface* host, WindowHandle window, PickView* view, ScreenPoint cursor,
                       int flags) = 0;
  // The user picked; true ends the pick mode.
  virtual bool Pick(HostInterface* host, PickView* view) = 0;
  // Non-zero when any animatable (not only nodes) may be picked.
  virtual int PickAnything() { return 0; }
  // The user right-clicked; true ends the pick mode.
  virtual bool RightClick(HostInterface* host, PickView* view) {
    static_cast<void>(host);
    static_cast<void>(view);
    return false;
  }
  virtual void EnterMode(HostInterface* host) { static_cast<void>(host); }
  virtual void ExitMode(HostInterface* host) { static_cast<void>(host); }
  // Cursors (0: the host's).
  virtual std::uintptr_t DefaultCursor() { return 0; }
  virtual std::uintptr_t HitCursor() { return 0; }
  // The node filter HitTest passes to PickView::HitNode, or null.
  virtual PickNodeCallback* NodeFilter() { return nullptr; }
  virtual int AllowMultiSelect() { return 0; }
};

}  // namespace modra

#endif  // ZAR_SDK_MODRA_PLUGIN_H_
