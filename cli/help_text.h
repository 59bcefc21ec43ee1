#ifndef ZAR_CLI_HELP_TEXT_H_
#define ZAR_CLI_HELP_TEXT_H_

// How a command's --help reads: its description wrapped to 80 columns and followed by its
// examples, and its options listed with their value kinds and wrapped descriptions (the
// flags that exclude each other are said in the descriptions, not listed).

#include <CLI/CLI.hpp>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zar::cli {

inline constexpr std::size_t kHelpWidth = 80;

// `text` with its lines broken at spaces so that none is longer than `width`.
std::string Wrap(std::string_view text, std::size_t width = kHelpWidth);

// A command's description: `text` wrapped, then its examples, one a line.
std::string Describe(std::string_view text, std::initializer_list<std::string_view> examples);

// Gives `command` (and the subcommands added to it later) this help layout.
void UseHelpLayout(CLI::App& command);

}  // namespace zar::cli

#endif  // ZAR_CLI_HELP_TEXT_H_
