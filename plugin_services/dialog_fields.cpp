#include "plugin_services/dialog_fields.h"

#include <array>

#include "filelib/number_text.h"

namespace zar {

bool IsChecked(modra::WindowHandle dialog, int control) {
  return modra::IsButtonChecked(dialog, control) != 0;
}

void Check(modra::WindowHandle dialog, int control, bool checked) {
  modra::SetButtonCheck(dialog, control, checked ? 1U : 0U);
}

std::string EditText(modra::WindowHandle dialog, int control) {
  std::array<char, kEditBufferSize> buffer{};
  modra::GetControlText(dialog, control, buffer.data(), kEditBufferSize);
  return std::string(buffer.data());
}

std::int32_t EditInt(modra::WindowHandle dialog, int control) {
  return ParseInt(EditText(dialog, control));
}

double EditReal(modra::WindowHandle dialog, int control) {
  return ParseReal(EditText(dialog, control));
}

void SetEditInt(modra::WindowHandle dialog, int control, std::int32_t value) {
  modra::SetControlText(dialog, control, std::to_string(value).c_str());
}

void SetEditReal(modra::WindowHandle dialog, int control, double value) {
  std::string text;
  AppendFixed(text, value, 6);
  modra::SetControlText(dialog, control, text.c_str());
}

void EnableControlsOf(modra::WindowHandle dialog, std::span<const description::ControlRule> rules,
                      description::EnabledBy by, bool enable) {
  for (const description::ControlRule& rule : rules) {
    if (rule.by == by) modra::EnableControl(dialog, rule.control, enable);
  }
}

}  // namespace zar
