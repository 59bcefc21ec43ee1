#ifndef ZAR_CLI_COMMAND_LINE_H_
#define ZAR_CLI_COMMAND_LINE_H_

// How zarfileio presents its command line: the layout of --help, examples per command, and
// what the tool says about a command line it cannot take.

#include <CLI/CLI.hpp>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zar::cli {

// --help as: the usage line, the description wrapped to 80 columns, the positionals, options
// (their descriptions wrapped beside the names) and subcommands (the first sentence of each
// description), then the footer (a command's examples). Set on the application before any
// subcommand is added, so that every subcommand inherits it.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode mode) const override;
  std::string make_description(const CLI::App* app) const override;
  std::string make_option(const CLI::Option* option, bool is_positional) const override;
  std::string make_subcommand(const CLI::App* sub) const override;

 private:
  std::string Entry(const std::string& name, const std::string& description) const;
};

// `text` with its lines broken between words so that none is longer than `width` (a line
// break of its own starts a new line; longer words stay whole).
std::string Wrap(std::string_view text, std::size_t width);

// Shows `examples` (whole command lines) under "Examples:" at the end of `command`'s help.
void SetExamples(CLI::App& command, std::initializer_list<std::string_view> examples);

// The known name closest to `word` (by edits), or "" when none is close enough to be meant.
std::string ClosestName(const std::string& word, const std::vector<std::string>& known);

// The check of a factor or size: a number other than 0, inf or nan.
CLI::Validator FiniteNonZeroNumber();

// The length units a command takes, one list for every command: mm, cm, m, in, ft, yd.
std::vector<std::string> LengthUnitNames();

// After parsing: true, after saying on stderr that it is not used `when` (e.g. "with one TRC
// file and no --batch"), when any of `flags` was given to `command`. A flag that a mode of a
// command does not use is refused rather than ignored in silence.
bool RefuseUnusedFlags(const CLI::App& command, std::initializer_list<std::string_view> flags,
                       std::string_view when);

// After `app` failed to parse: a message naming the first argument that no command knows (an
// unknown flag, or an unknown subcommand where one is expected) with the closest known name,
// or listing the commands of a group named alone; "" when the failure was something else.
std::string ExplainUnknownArgument(const CLI::App& app);

}  // namespace zar::cli

#endif  // ZAR_CLI_COMMAND_LINE_H_
