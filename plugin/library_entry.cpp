// The library's face to the host: its static objects, its entry point and its four exports.
//
// The static objects are defined here, in one translation unit, because only within one unit
// does the language fix their order. They are constructed when the library is loaded, before
// the entry point runs, in the order below, and destroyed in reverse order when it is
// unloaded: the option records close their registry keys, then the descriptors go, and the
// message reporter goes last. Each option record opens (creating where missing) its registry
// key as it is constructed, so the translators' keys exist as soon as the library is loaded.

#include <cstdint>
#include <new>

#include "export_htr/export_htr.h"
#include "export_htr/export_htr_options.h"
#include "import_htr/import_htr.h"
#include "import_htr/import_htr_options.h"
#include "import_trc/import_trc.h"
#include "import_trc/import_trc_options.h"
#include "math/zar_euler_order.h"
#include "plugin/library_resources.h"
#include "plugin_description/resource_ids.h"
#include "plugin_services/message_reporter.h"
#include "plugin_services/resource_text.h"
#include "sdk/modra_plugin.h"
#include "utilities/pick_control_node.h"
#include "utilities/zar_utilities.h"

namespace zar {

MessageReporter message_reporter;
ImportHTRClassDesc import_htr_class_desc;
ImportHTROptions import_htr_options;
ImportTRCClassDesc import_trc_class_desc;
ImportTRCOptions import_trc_options;
ExportHTRClassDesc export_htr_class_desc;
ExportHTROptions export_htr_options;
ZARUtilitiesClassDesc zar_utilities_class_desc;
PickControlNode pick_control_node;
ZAREulerOrder import_htr_euler_order(0);
ZAREulerOrder export_htr_euler_order(0);

namespace {

// 10000 in the upper 16 bits, 23 in the next 8: the plug-in interface the library is built for.
constexpr std::uint32_t kLibraryVersion = 0x27101700u;
static_assert(kLibraryVersion == modra::kPluginInterfaceVersion);

constexpr int kClassCount = 4;

}  // namespace
}  // namespace zar

#define ZAR_EXPORT extern "C" __attribute__((visibility("default")))

// The description of the library: string 1, or null before the library is attached.
ZAR_EXPORT const char* LibDescription() {
  return zar::LoadResourceText(zar::resource::kLibraryDescription);
}

ZAR_EXPORT int LibNumberClasses() { return zar::kClassCount; }

// Descriptors 0 to 3: ImportHTR, ExportHTR, ImportTRC, ZARUtilities; null for any other index.
ZAR_EXPORT modra::ClassDesc* LibClassDesc(int index) {
  switch (index) {
    case 0:
      return &zar::import_htr_class_desc;
    case 1:
      return &zar::export_htr_class_desc;
    case 2:
      return &zar::import_trc_class_desc;
    case 3:
      return &zar::zar_utilities_class_desc;
    default:
      return nullptr;
  }
}

ZAR_EXPORT std::uint32_t LibVersion() { return zar::kLibraryVersion; }

// Attaching records the module handle, turns off the thread notifications and hands the
// platform the library's strings and dialogs; detaching takes the resources back. Every reason
// answers 1.
ZAR_EXPORT int ModuleEntry(modra::ModuleHandle module, std::uint32_t reason, void* /*reserved*/) {
  switch (reason) {
    case modra::kProcessAttach:
      zar::SetModuleInstance(module);
      modra::DisableThreadNotifications(module);
      try {
        modra::RegisterModuleResources(module, zar::LibraryResources());
      } catch (const std::bad_alloc&) {
        // Without its resources the library still loads; its texts then answer null.
      }
      break;
    case modra::kProcessDetach:
      if (module == zar::ModuleInstance()) {
        modra::UnregisterModuleResources(module);
        zar::SetModuleInstance(nullptr);
      }
      break;
    default:
      break;
  }
  return 1;
}
