#ifndef ZAR_UTILITIES_ZAR_UTILITIES_H_
#define ZAR_UTILITIES_ZAR_UTILITIES_H_

// The utilities panel as the host sees it, and its descriptor.

#include <string>

#include "frame/plugin_class_desc.h"
#include "sdk/modra_plugin.h"

namespace zar {

class ZARUtilities : public modra::UtilityObj {
 public:
  // Remembers both interfaces.
  void OpenPanel(modra::HostInterface* host, modra::UtilityPanel* panel) override;
  // Forgets both interfaces.
  void ClosePanel(modra::HostInterface* host, modra::UtilityPanel* panel) override;
  void Release() override {}
  void SelectionChanged(modra::HostInterface* /*host*/, modra::UtilityPanel* /*panel*/) override {}
  void SetStartupParameter(modra::CStr /*parameter*/) override {}

 private:
  modra::HostInterface* host_ = nullptr;
  modra::UtilityPanel* panel_ = nullptr;
};

// Descriptor 3: super-class 0x1020, class id (0x34CC2142, 0x1E45027A), class name string 33.
// It keeps the base class's resource-string answer.
class ZARUtilitiesClassDesc : public PluginClassDesc {
 public:
  ZARUtilitiesClassDesc();
  void* Create(int loading) override;
};

inline constexpr modra::ClassId kZARUtilitiesClassId{0x34CC2142, 0x1E45027A};

// The library's static descriptor of the panel (library_entry.cpp).
extern ZARUtilitiesClassDesc zar_utilities_class_desc;

}  // namespace zar

#endif  // ZAR_UTILITIES_ZAR_UTILITIES_H_
