#ifndef ZAR_PLUGIN_SERVICES_DIALOG_FIELDS_H_
#define ZAR_PLUGIN_SERVICES_DIALOG_FIELDS_H_

// How the option dialogs read and show their controls: edit texts are read as at most 255
// characters and converted as the C library's atoi and atof do (text that is not a number reads
// as 0); numbers are shown with "%d" and "%f", with a '.' whatever the process's locale.

#include <cstdint>
#include <span>
#include <string>

#include "plugin_description/dialog_controls.h"
#include "sdk/modra_platform.h"

namespace zar {

// Characters an edit text is read into, terminator included.
inline constexpr int kEditBufferSize = 256;

// True when the check box or radio button is checked.
bool IsChecked(modra::WindowHandle dialog, int control);
// Checks or unchecks a check box or radio button.
void Check(modra::WindowHandle dialog, int control, bool checked);
// The edit's text, at most kEditBufferSize - 1 characters.
std::string EditText(modra::WindowHandle dialog, int control);
// The edit's text as atoi reads it.
std::int32_t EditInt(modra::WindowHandle dialog, int control);
// The edit's text as atof reads it.
double EditReal(modra::WindowHandle dialog, int control);
// Shows `value` as "%d".
void SetEditInt(modra::WindowHandle dialog, int control, std::int32_t value);
// Shows `value` as "%f".
void SetEditReal(modra::WindowHandle dialog, int control, double value);

// Enables (or disables) every control of `rules` that the choice `by` enables, in the rules'
// order.
void EnableControlsOf(modra::WindowHandle dialog, std::span<const description::ControlRule> rules,
                      description::EnabledBy by, bool enable);

}  // namespace zar

#endif  // ZAR_PLUGIN_SERVICES_DIALOG_FIELDS_H_
