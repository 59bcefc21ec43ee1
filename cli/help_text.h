#ifndef ZAR_CLI_HELP_TEXT_H_
#define ZAR_CLI_HELP_TEXT_H_

// The --help of the commands with option flags: the tool's help layout (cli/command_line.h),
// with each option shown by its name and value kind only; the flags that exclude each other
// are said in the descriptions instead of listed after every name.

#include <CLI/CLI.hpp>

#include "cli/command_line.h"

namespace zar::cli {

class OptionFlagsHelpFormatter : public HelpFormatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override;
};

// Gives `command` (and the subcommands added to it later) this help layout.
void UseOptionFlagsHelp(CLI::App& command);

}  // namespace zar::cli

#endif  // ZAR_CLI_HELP_TEXT_H_
