#ifndef ZAR_PLUGIN_SERVICES_ABOUT_BOX_H_
#define ZAR_PLUGIN_SERVICES_ABOUT_BOX_H_

// The translators' About box, dialog 114.

#include <cstdint>

#include "sdk/modra_platform.h"

namespace zar {

// Runs the About box modally, owned by `owner`; returns when the user presses OK.
void ShowAboutBox(modra::WindowHandle owner);

// Its procedure: centres the box on its parent when it opens and ends it with 1 on OK (1097).
std::intptr_t AboutDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                              std::uintptr_t w_param, std::intptr_t l_param);

}  // namespace zar

#endif  // ZAR_PLUGIN_SERVICES_ABOUT_BOX_H_
