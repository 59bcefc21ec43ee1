#include "plugin_services/about_box.h"

#include "plugin_description/resource_ids.h"
#include "plugin_services/resource_text.h"
#include "sdk/modra_host.h"

namespace zar {

void ShowAboutBox(modra::WindowHandle owner) {
  modra::RunModalDialog(ModuleInstance(), resource::kAboutDialog, owner, AboutDialogProc, 0);
}

std::intptr_t AboutDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                              std::uintptr_t w_param, std::intptr_t /*l_param*/) {
  switch (message) {
    case modra::kMessageInitDialog:
      modra::CenterWindow(dialog, modra::ParentWindow(dialog));
      return 1;
    case modra::kMessageDestroy:
      return 1;
    case modra::kMessageCommand:
      if (modra::CommandId(w_param) == resource::kOkButton) {
        modra::EndDialog(dialog, 1);
        return 1;
      }
      return 0;
    default:
      return 0;
  }
}

}  // namespace zar
