#ifndef ZAR_UTILITIES_ZAR_UTILITIES_H_
#define ZAR_UTILITIES_ZAR_UTILITIES_H_

// The utilities panel as the host sees it, its page "Convert TRC to PNX", and its descriptor.

#include <cstdint>

#include "plugin_services/plugin_class_desc.h"
#include "sdk/modra_plugin.h"
#include "utilities/convert_pnx.h"

namespace zar {

class ZARUtilities : public modra::UtilityObj {
 public:
  // Makes the converter, which reads its settings from the registry.
  ZARUtilities() = default;

  // Remembers both interfaces and shows the page (once).
  void OpenPanel(modra::HostInterface* host, modra::UtilityPanel* panel) override;
  // Ends a node pick the MNM creator may have left running, saves the settings, removes the
  // page and forgets both interfaces.
  void ClosePanel(modra::HostInterface* host, modra::UtilityPanel* panel) override;
  void Release() override {}
  void SelectionChanged(modra::HostInterface* /*host*/, modra::UtilityPanel* /*panel*/) override {}
  void SetStartupParameter(modra::CStr /*parameter*/) override {}

  ConvertPNX& Converter() { return converter_; }
  modra::HostInterface* Host() const { return host_; }
  // The page window, null while no page is shown.
  modra::WindowHandle Page() const { return page_; }

 private:
  modra::UtilityPanel* panel_ = nullptr;
  modra::HostInterface* host_ = nullptr;
  modra::WindowHandle page_ = nullptr;
  ConvertPNX converter_;
};

// The page's procedure (template 116); its window's user data is the panel object.
std::intptr_t UtilitiesPageProc(modra::WindowHandle page, std::uint32_t message,
                                std::uintptr_t w_param, std::intptr_t l_param);

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
