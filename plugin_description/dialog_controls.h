#ifndef ZAR_PLUGIN_DESCRIPTION_DIALOG_CONTROLS_H_
#define ZAR_PLUGIN_DESCRIPTION_DIALOG_CONTROLS_H_

// Which choice of each options dialog enables which of its controls. The dialogs enable and
// disable their controls by these rules (when the choice is made, and when they open, as each
// dialog does); the command-line tool checks when compiled that its flags say the same.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "plugin_description/resource_ids.h"

namespace zar::description {

enum class EnabledBy : std::uint8_t {
  kCreateMode,   // "Create" chosen
  kApplyMode,    // "Apply" chosen
  kAnimationOn,  // "Animation" ticked
  kRangeChosen,  // "Range" chosen
};

struct ControlRule {
  int control;
  EnabledBy by;
};

using enum EnabledBy;

inline constexpr std::array kImportHtrControls{
    ControlRule{resource::kEndEffectorsCheck, kCreateMode},
    ControlRule{resource::kSizeEdit, kCreateMode},
    ControlRule{resource::kAllRadio, kAnimationOn},
    ControlRule{resource::kRangeRadio, kAnimationOn},
    ControlRule{resource::kFromEdit, kRangeChosen},
    ControlRule{resource::kToEdit, kRangeChosen}};

inline constexpr std::array kImportTrcControls{
    ControlRule{resource::kSelectedOnlyCheck, kApplyMode},
    ControlRule{resource::kRootNodeCheck, kCreateMode},
    ControlRule{resource::kSphereRadio, kCreateMode},
    ControlRule{resource::kPointRadio, kCreateMode},
    ControlRule{resource::kSizeEdit, kCreateMode},
    ControlRule{resource::kFromEdit, kRangeChosen},
    ControlRule{resource::kToEdit, kRangeChosen}};

inline constexpr std::array kExportHtrControls{ControlRule{resource::kFromEdit, kRangeChosen},
                                               ControlRule{resource::kToEdit, kRangeChosen}};

// The rule of `control` in `rules`; none when the control is always enabled.
constexpr std::optional<EnabledBy> RuleOf(std::span<const ControlRule> rules, int control) {
  for (const ControlRule& rule : rules)
    if (rule.control == control) return rule.by;
  return std::nullopt;
}

}  // namespace zar::description

#endif  // ZAR_PLUGIN_DESCRIPTION_DIALOG_CONTROLS_H_
