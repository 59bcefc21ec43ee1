#ifndef ZAR_CLI_DIALOG_FLAGS_H_
#define ZAR_CLI_DIALOG_FLAGS_H_

// The command-line flags of an options dialog: one table per dialog says, for each flag, the
// control it makes an entry in, what kind of entry, and in which state of the dialog the
// control takes one. The flags' help, the order in which the entries are made, the message
// for an entry the dialog refused and the list of remembered options a run used all come from
// that table.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "modra/scripted_user.h"
#include "plugin_description/option_rows.h"

namespace zar::cli {

// The state of the dialog in which a control is enabled.
enum class TakesEntry : std::uint8_t {
  kAlways,
  kCreateMode,   // "Create" chosen
  kApplyMode,    // "Apply" chosen
  kAnimationOn,  // "Animation" ticked
};

enum class FlagKind : std::uint8_t {
  kRadio,    // --NAME chooses the radio button
  kImplied,  // no flag of its own: the radio button chosen by the entries that name it in
             // `implies` (Range, chosen by --from and --to)
  kCheck,    // --NAME ticks the check box, --no-NAME clears it
  kInteger,  // --NAME INT is typed into the edit box
  kNumber,   // --NAME NUMBER is typed into the edit box (a size or factor: finite, not 0)
};

struct DialogFlag {
  std::string_view name;  // the flag without its dashes
  int control;
  FlagKind kind;
  TakesEntry takes;
  std::string_view help;
  int group = 0;    // radio buttons of one choice share a group number
  int implies = 0;  // the radio button chosen before this entry is made, 0 when none
  // The remembered option the dialog shows in the control when it opens (null: none), and for
  // a radio button the option's value that chooses it.
  const char* option = nullptr;
  double choosesAt = 1;
};

struct DialogTable {
  int templateId;
  const description::OptionClass& options;  // the class's remembered options
  std::span<const DialogFlag> flags;
};

// The control's state in the dialog opened on the built-in options: 1 chosen or ticked, 0 not;
// an edit box's number. Only for a row with an option.
double BuiltInValue(const DialogTable& table, const DialogFlag& row);

extern const DialogTable kImportHtrDialog;
extern const DialogTable kImportTrcDialog;
extern const DialogTable kExportHtrDialog;

// The entries one run of a command makes in its dialog, as its command line gives them.
class DialogEntries {
 public:
  explicit DialogEntries(const DialogTable& table);
  DialogEntries(const DialogEntries&) = delete;
  DialogEntries& operator=(const DialogEntries&) = delete;

  // Adds the table's flags to `command`, with their help.
  void AddFlags(CLI::App& command);
  bool Any() const;
  const DialogTable& table() const { return table_; }

  // Queues the entries in the table's order (a choice before the boxes it enables), then OK.
  void Queue(modra::host::ScriptedUser& user) const;
  // The line for the entries the dialog refused because their `controls` were disabled: which
  // flags cannot go together (or which state of the dialog, remembered or built in, stands in
  // the way).
  std::string Refusal(const std::vector<int>& controls) const;
  // The remembered values the dialog showed when it opened (`opened`) that differ from the
  // built-in ones and that the command line did not set, e.g. "scale -1, apply"; "" when none.
  std::string Remembered(const modra::host::DialogState& opened) const;

 private:
  struct Entry {
    bool on = false;   // --NAME
    bool off = false;  // --no-NAME
    std::string text;  // --NAME VALUE
    bool Given() const { return on || off || !text.empty(); }
  };
  bool FlagGiven(std::string_view flag) const;
  bool GroupGiven(int group) const;
  const DialogFlag* Find(int control) const;
  std::string Flags(const DialogFlag& row, std::size_t index) const;

  const DialogTable& table_;
  std::vector<Entry> entries_;  // one per row of the table; CLI11 writes into them
};

}  // namespace zar::cli

#endif  // ZAR_CLI_DIALOG_FLAGS_H_
