#include "cli/dialog_flags.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

#include "cli/command_line.h"
#include "plugin_description/dialog_controls.h"
#include "plugin_description/resource_ids.h"

namespace zar::cli {
namespace {

namespace id = resource;

constexpr FlagKind kRadio = FlagKind::kRadio;
constexpr FlagKind kImplied = FlagKind::kImplied;
constexpr FlagKind kCheck = FlagKind::kCheck;
constexpr FlagKind kInteger = FlagKind::kInteger;
constexpr FlagKind kNumber = FlagKind::kNumber;
constexpr TakesEntry kAlways = TakesEntry::kAlways;
constexpr TakesEntry kCreateMode = TakesEntry::kCreateMode;
constexpr TakesEntry kApplyMode = TakesEntry::kApplyMode;
constexpr TakesEntry kAnimationOn = TakesEntry::kAnimationOn;

// Rows in the order a user makes the entries: each choice before the controls it enables.
constexpr std::array kImportHtrFlags = {
    DialogFlag{"create", id::kHTRCreateRadio, kRadio, kAlways,
               "Build a new skeleton under a dummy named after the file", 1, 0, "Apply", 0},
    DialogFlag{"apply", id::kHTRApplyRadio, kRadio, kAlways,
               "Apply the motion to the selected skeleton (see --select)", 1, 0, "Apply", 1},
    DialogFlag{"animation", id::kAnimationCheck, kCheck, kAlways, "Key the motion of every frame",
               0, 0, "Animate"},
    DialogFlag{"base-position", id::kBasePositionCheck, kCheck, kAlways,
               "Key the base position one frame before the first keyed frame", 0, 0,
               "KeyBasePosition"},
    DialogFlag{"end-effectors", id::kEndEffectorsCheck, kCheck, kCreateMode,
               "Add an end-effector bone below every leaf segment", 0, 0, "EndEffectors"},
    DialogFlag{"segment-size", id::kSizeEdit, kNumber, kCreateMode,
               "Thickness of the new bones and half the size of the root dummy", 0, 0, "Size"},
    DialogFlag{"all", id::kAllRadio, kRadio, kAnimationOn, "Import every frame", 2, 0, "Range", 0},
    DialogFlag{"range", id::kRangeRadio, kImplied, kAnimationOn, "", 2, 0, "Range", 1},
    DialogFlag{"from", id::kFromEdit, kInteger, kAlways,
               "First frame to import (a frame number of the file)", 0, id::kRangeRadio},
    DialogFlag{"to", id::kToEdit, kInteger, kAlways, "Last frame to import", 0, id::kRangeRadio},
    DialogFlag{"offset", id::kOffsetEdit, kInteger, kAlways,
               "Shift the keys this many frames later"},
    DialogFlag{"euler", id::kEulerRadio, kRadio, kAlways, "Keep each bone's rotation controller", 3,
               0, "RotationController", 0},
    DialogFlag{"tcb", id::kTCBRadio, kRadio, kAlways,
               "Give each bone a TCB rotation controller before keying", 3, 0, "RotationController",
               1},
    DialogFlag{"set-frame-rate", id::kSetFrameRateCheck, kCheck, kAlways,
               "Set the scene's frame rate to the file's", 0, 0, "FPS"},
    DialogFlag{"scale", id::kGlobalScaleEdit, kNumber, kAlways,
               "Multiply the bone sizes and every translation by this", 0, 0, "ScaleFactor"},
};

constexpr std::array kImportTrcFlags = {
    DialogFlag{"create", id::kTRCCreateRadio, kRadio, kAlways, "Make a new object for every marker",
               1, 0, "Apply", 0},
    DialogFlag{"apply", id::kTRCApplyRadio, kRadio, kAlways,
               "Key the nodes named like the markers (see --select)", 1, 0, "Apply", 1},
    DialogFlag{"selected-only", id::kSelectedOnlyCheck, kCheck, kApplyMode,
               "Make no object for a marker that matches no node", 0, 0, "SelectedOnly"},
    DialogFlag{"root-node", id::kRootNodeCheck, kCheck, kCreateMode,
               "Put the marker objects under a new dummy named TRCCloud", 0, 0, "RootNode"},
    DialogFlag{"sphere", id::kSphereRadio, kRadio, kCreateMode, "Make the marker objects spheres",
               2, 0, "Geometry", 1},
    DialogFlag{"point", id::kPointRadio, kRadio, kCreateMode, "Make the marker objects points", 2,
               0, "Geometry", 0},
    DialogFlag{"size", id::kSizeEdit, kNumber, kCreateMode,
               "Size of the marker objects and of the root dummy", 0, 0, "Size"},
    DialogFlag{"all", id::kAllRadio, kRadio, kAlways, "Import every frame", 3, 0, "Range", 0},
    DialogFlag{"range", id::kRangeRadio, kImplied, kAlways, "", 3, 0, "Range", 1},
    DialogFlag{"from", id::kFromEdit, kInteger, kAlways,
               "First frame to import (a frame number of the file)", 0, id::kRangeRadio},
    DialogFlag{"to", id::kToEdit, kInteger, kAlways, "Last frame to import", 0, id::kRangeRadio},
    DialogFlag{"offset", id::kOffsetEdit, kInteger, kAlways,
               "Shift the keys this many frames later"},
    DialogFlag{"set-frame-rate", id::kSetFrameRateCheck, kCheck, kAlways,
               "Set the scene's frame rate to the file's", 0, 0, "FPS"},
    DialogFlag{"scale", id::kGlobalScaleEdit, kNumber, kAlways,
               "Multiply the marker positions and object sizes by this", 0, 0, "ScaleFactor"},
};

constexpr std::array kExportHtrFlags = {
    DialogFlag{"saved-pose", id::kSavedPoseRadio, kRadio, kAlways,
               "Take each bone's base position from the one saved when it was imported, where "
               "there is one",
               1, 0, "Pose", 1},
    DialogFlag{"current-pose", id::kCurrentPoseRadio, kRadio, kAlways,
               "Take the base position from the bones' current pose", 1, 0, "Pose", 0},
    DialogFlag{"animation", id::kExportAnimationCheck, kCheck, kAlways,
               "Write the motion of every frame", 0, 0, "Animate"},
    DialogFlag{"parent-transforms", id::kParentTransformsCheck, kCheck, kAlways,
               "Include the transforms of the root bone's parents in its motion", 0, 0,
               "ParentTransforms"},
    // The frame choices matter only with animation on (the dialog leaves them enabled; the
    // command refuses them with --no-animation).
    DialogFlag{"slider", id::kAllRadio, kRadio, kAnimationOn, "Export the scene's animation range",
               2, 0, "Range", 0},
    DialogFlag{"range", id::kRangeRadio, kImplied, kAnimationOn, "", 2, 0, "Range", 1},
    DialogFlag{"from", id::kFromEdit, kInteger, kAlways, "First frame to export", 0,
               id::kRangeRadio},
    DialogFlag{"to", id::kToEdit, kInteger, kAlways, "Last frame to export", 0, id::kRangeRadio},
    DialogFlag{"offset", id::kOffsetEdit, kInteger, kAnimationOn,
               "Add this to the frame numbers written", 0, 0, "Offset"},
    DialogFlag{"scale", id::kGlobalScaleEdit, kNumber, kAlways, "Multiply every length by this", 0,
               0, "ScaleFactor"},
};

// Every remembered option a flag names is one of its class's: a misspelt or renamed option fails
// to compile instead of dropping the flag from the list of remembered values.
constexpr bool NamesItsOptions(std::span<const DialogFlag> flags,
                               const description::OptionClass& options) {
  for (const DialogFlag& row : flags) {
    if (row.option != nullptr && !description::HasOption(options, row.option)) {
      return false;
    }
  }
  return true;
}
static_assert(NamesItsOptions(kImportHtrFlags, description::kImportHtrOptions));
static_assert(NamesItsOptions(kImportTrcFlags, description::kImportTrcOptions));
static_assert(NamesItsOptions(kExportHtrFlags, description::kExportHtrOptions));

// Every flag of a control the dialog enables only in one state is taken only in that state, and
// the frame boxes that "Range" enables choose it: the flags say what the dialog does.
constexpr bool AgreesWithTheDialog(std::span<const DialogFlag> flags,
                                   std::span<const description::ControlRule> rules) {
  for (const DialogFlag& row : flags) {
    const std::optional<description::EnabledBy> rule = description::RuleOf(rules, row.control);
    if (!rule) continue;
    switch (*rule) {
      case description::EnabledBy::kCreateMode:
        if (row.takes != kCreateMode) return false;
        break;
      case description::EnabledBy::kApplyMode:
        if (row.takes != kApplyMode) return false;
        break;
      case description::EnabledBy::kAnimationOn:
        if (row.takes != kAnimationOn) return false;
        break;
      case description::EnabledBy::kRangeChosen:
        if (row.implies != id::kRangeRadio) return false;
        break;
    }
  }
  return true;
}
static_assert(AgreesWithTheDialog(kImportHtrFlags, description::kImportHtrControls));
static_assert(AgreesWithTheDialog(kImportTrcFlags, description::kImportTrcControls));
static_assert(AgreesWithTheDialog(kExportHtrFlags, description::kExportHtrControls));

// How each state of a dialog is chosen from the command line and named in messages.
struct StateRule {
  TakesEntry state;
  std::string_view chosenBy;   // the flag that puts the dialog in the state
  std::string_view leftBy;     // the flag that takes it out of it
  std::string_view name;       // the state
  std::string_view otherName;  // the state `leftBy` chooses
};

constexpr std::array kStateRules = {
    StateRule{kCreateMode, "create", "apply", "in create mode", "in apply mode"},
    StateRule{kApplyMode, "apply", "create", "in apply mode", "in create mode"},
    StateRule{kAnimationOn, "animation", "no-animation", "with animation on", "with animation off"},
};

const StateRule* RuleFor(TakesEntry state) {
  for (const StateRule& rule : kStateRules)
    if (rule.state == state) return &rule;
  return nullptr;
}

std::string HelpSuffix(TakesEntry state) {
  const StateRule* rule = RuleFor(state);
  return rule == nullptr ? "" : " (only " + std::string(rule->name) + ")";
}

// "-1.000000" → "-1", "2.500000" → "2.5"; other texts as they are.
std::string ShortNumber(std::string text) {
  if (text.find('.') == std::string::npos) return text;
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

std::string Dashed(std::string_view name) { return "--" + std::string(name); }

}  // namespace

const DialogTable kImportHtrDialog{id::kImportHTRDialog, description::kImportHtrOptions,
                                   kImportHtrFlags};
const DialogTable kImportTrcDialog{id::kImportTRCDialog, description::kImportTrcOptions,
                                   kImportTrcFlags};
const DialogTable kExportHtrDialog{id::kExportHTRDialog, description::kExportHtrOptions,
                                   kExportHtrFlags};

double BuiltInValue(const DialogTable& table, const DialogFlag& row) {
  const description::OptionRow* option =
      row.option != nullptr ? description::FindOption(table.options, row.option) : nullptr;
  if (option == nullptr) return 0;
  const bool choice = row.kind == FlagKind::kRadio || row.kind == FlagKind::kImplied;
  return choice ? (option->initial == row.choosesAt ? 1 : 0) : option->initial;
}

DialogEntries::DialogEntries(const DialogTable& table)
    : table_(table), entries_(table.flags.size()) {}

void DialogEntries::AddFlags(CLI::App& command) {
  const std::size_t n = table_.flags.size();
  std::vector<CLI::Option*> on(n, nullptr);
  for (std::size_t i = 0; i < n; ++i) {
    const DialogFlag& row = table_.flags[i];
    Entry& entry = entries_[i];
    TakesEntry takes = row.takes;
    if (row.implies != 0)
      if (const DialogFlag* chosen = Find(row.implies)) takes = chosen->takes;
    const std::string help = std::string(row.help) + HelpSuffix(takes);
    switch (row.kind) {
      case FlagKind::kImplied:
        break;
      case FlagKind::kRadio:
        on[i] = command.add_flag(Dashed(row.name), entry.on, help);
        break;
      case FlagKind::kCheck:
        on[i] = command.add_flag(Dashed(row.name), entry.on, help);
        command
            .add_flag("--no-" + std::string(row.name), entry.off,
                      "Turn " + Dashed(row.name) + " off")
            ->excludes(on[i]);
        break;
      case FlagKind::kInteger:
        on[i] = command.add_option(Dashed(row.name), entry.text, help)
                    ->type_name("INT")
                    ->check(CLI::TypeValidator<int>(""));
        break;
      case FlagKind::kNumber:
        on[i] = command.add_option(Dashed(row.name), entry.text, help)
                    ->type_name("NUMBER")
                    ->check(FiniteNonZeroNumber());
        break;
    }
  }
  // Radio buttons of one choice exclude each other, and so do the entries that choose one.
  auto group_of = [&](std::size_t i) {
    const DialogFlag& row = table_.flags[i];
    if (row.group != 0) return row.group;
    const DialogFlag* chosen = row.implies != 0 ? Find(row.implies) : nullptr;
    return chosen != nullptr ? chosen->group : 0;
  };
  auto choice_of = [&](std::size_t i) {
    const DialogFlag& row = table_.flags[i];
    return row.implies != 0 ? row.implies : row.control;
  };
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      if (on[i] == nullptr || on[j] == nullptr || group_of(i) == 0) continue;
      if (group_of(i) == group_of(j) && choice_of(i) != choice_of(j)) on[i]->excludes(on[j]);
    }
  }
}

bool DialogEntries::Any() const {
  for (const Entry& entry : entries_)
    if (entry.Given()) return true;
  return false;
}

const DialogFlag* DialogEntries::Find(int control) const {
  for (const DialogFlag& row : table_.flags)
    if (row.control == control) return &row;
  return nullptr;
}

bool DialogEntries::FlagGiven(std::string_view flag) const {
  const bool negative = flag.substr(0, 3) == "no-";
  const std::string_view name = negative ? flag.substr(3) : flag;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (table_.flags[i].name != name) continue;
    return negative ? entries_[i].off : entries_[i].on || !entries_[i].text.empty();
  }
  return false;
}

bool DialogEntries::GroupGiven(int group) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const DialogFlag& row = table_.flags[i];
    const DialogFlag* chosen = row.implies != 0 ? Find(row.implies) : &row;
    if (entries_[i].Given() && chosen != nullptr && chosen->group == group) return true;
  }
  return false;
}

void DialogEntries::Queue(modra::host::ScriptedUser& user) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const DialogFlag& row = table_.flags[i];
    const Entry& entry = entries_[i];
    switch (row.kind) {
      case FlagKind::kImplied: {
        bool chosen = false;
        for (std::size_t j = 0; j < entries_.size(); ++j)
          chosen = chosen || (table_.flags[j].implies == row.control && entries_[j].Given());
        if (chosen) user.Tick(row.control, true);
        break;
      }
      case FlagKind::kRadio:
        if (entry.on) user.Tick(row.control, true);
        break;
      case FlagKind::kCheck:
        if (entry.on || entry.off) user.Tick(row.control, entry.on);
        break;
      case FlagKind::kInteger:
      case FlagKind::kNumber:
        if (!entry.text.empty()) user.FillEdit(row.control, entry.text);
        break;
    }
  }
  user.Press(resource::kOkButton);
}

std::string DialogEntries::Flags(const DialogFlag& row, std::size_t index) const {
  if (row.kind != FlagKind::kImplied) {
    return entries_[index].off ? "--no-" + std::string(row.name) : Dashed(row.name);
  }
  std::string names;
  for (std::size_t j = 0; j < entries_.size(); ++j) {
    if (table_.flags[j].implies != row.control || !entries_[j].Given()) continue;
    names += (names.empty() ? "" : " and ") + Dashed(table_.flags[j].name);
  }
  return names;
}

std::string DialogEntries::Refusal(const std::vector<int>& controls) const {
  // The refused flags, gathered by the state of the dialog that would have taken them.
  std::vector<std::pair<const StateRule*, std::vector<std::string>>> groups;
  for (int control : controls) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const DialogFlag& row = table_.flags[i];
      if (row.control != control) continue;
      // A box refused because the choice that enables it was refused says nothing more.
      if (row.implies != 0 &&
          std::find(controls.begin(), controls.end(), row.implies) != controls.end()) {
        continue;
      }
      const StateRule* rule = RuleFor(row.takes);
      auto group = std::find_if(groups.begin(), groups.end(),
                                [rule](const auto& g) { return g.first == rule; });
      if (group == groups.end()) group = groups.insert(groups.end(), {rule, {}});
      const std::string flags = Flags(row, i);
      if (std::find(group->second.begin(), group->second.end(), flags) == group->second.end())
        group->second.push_back(flags);
    }
  }
  std::string message;
  for (const auto& [rule, flags] : groups) {
    std::string names;
    for (const std::string& flag : flags) names += (names.empty() ? "" : " and ") + flag;
    if (!message.empty()) message += "; ";
    if (rule == nullptr) {
      message += names + " cannot be used now";
    } else if (FlagGiven(rule->leftBy)) {
      message += names + " cannot go with " + Dashed(rule->leftBy) + ": " +
                 (names.find(" and ") == std::string::npos ? "it is" : "they are") +
                 " taken only " + std::string(rule->name);
    } else {
      // The state came from the remembered options or the built-in ones.
      message += names + " cannot be used " + std::string(rule->otherName) +
                 " (the choice in force without " + Dashed(rule->chosenBy) + ")";
    }
  }
  return message;
}

std::string DialogEntries::Remembered(const modra::host::DialogState& opened) const {
  std::string list;
  auto add = [&list](const std::string& item) { list += (list.empty() ? "" : ", ") + item; };
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const DialogFlag& row = table_.flags[i];
    const modra::host::ControlState* control = opened.Find(row.control);
    if (row.option == nullptr || control == nullptr) continue;
    const double initial = BuiltInValue(table_, row);
    switch (row.kind) {
      case FlagKind::kRadio:
      case FlagKind::kImplied:
        if (control->checked != 0 && initial == 0 && !GroupGiven(row.group)) {
          add(std::string(row.name));
        }
        break;
      case FlagKind::kCheck:
        if ((control->checked != 0) != (initial != 0) && !entries_[i].Given()) {
          add((control->checked != 0 ? "" : "no-") + std::string(row.name));
        }
        break;
      case FlagKind::kInteger:
      case FlagKind::kNumber:
        if (std::strtod(control->text.c_str(), nullptr) != initial && !entries_[i].Given()) {
          add(std::string(row.name) + " " + ShortNumber(control->text));
        }
        break;
    }
  }
  return list;
}

}  // namespace zar::cli
