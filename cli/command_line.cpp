#include "cli/command_line.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <vector>

#include "filelib/motion_units.h"

namespace zar::cli {
namespace {

// The number of single-character insertions, deletions and substitutions from `a` to `b`.
std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The chain of subcommands the parser entered, innermost last.
const CLI::App* Innermost(const CLI::App& app) {
  const CLI::App* current = &app;
  for (;;) {
    const std::vector<CLI::App*> parsed = current->get_subcommands();
    if (parsed.empty()) return current;
    current = parsed.back();
  }
}

std::string CommandPath(const CLI::App& command) {
  std::string path = command.get_name();
  for (const CLI::App* parent = command.get_parent(); parent != nullptr;
       parent = parent->get_parent()) {
    path = parent->get_name() + " " + path;
  }
  return path;
}

std::string Suggestion(const std::string& closest) {
  return closest.empty() ? "" : " (did you mean " + closest + "?)";
}

}  // namespace

std::string Wrap(std::string_view text, std::size_t width) {
  std::string wrapped;
  std::size_t line_length = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find_first_of(" \n", start), text.size());
    const std::string_view word = text.substr(start, end - start);
    if (!word.empty()) {
      if (line_length > 0 && line_length + 1 + word.size() > width) {
        wrapped += '\n';
        line_length = 0;
      } else if (line_length > 0) {
        wrapped += ' ';
        ++line_length;
      }
      wrapped += word;
      line_length += word.size();
    }
    if (end < text.size() && text[end] == '\n') {
      wrapped += '\n';
      line_length = 0;
    }
    start = end + 1;
  }
  return wrapped;
}

std::string HelpFormatter::make_description(const CLI::App* app) const {
  const std::string description = app->get_description();
  return description.empty() ? "" : Wrap(description, 80) + "\n";
}

std::string HelpFormatter::make_help(const CLI::App* app, std::string name,
                                     CLI::AppFormatMode mode) const {
  if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
  std::ostringstream out;
  out << make_usage(app, name);
  const std::string description = make_description(app);
  if (!description.empty()) out << '\n' << description;
  out << make_positionals(app) << make_groups(app, mode) << make_subcommands(app, mode);
  const std::string footer = make_footer(app);
  if (!footer.empty()) out << '\n' << footer;
  return out.str();
}

std::string HelpFormatter::Entry(const std::string& name, const std::string& description) const {
  std::ostringstream out;
  CLI::detail::format_help(out, name, Wrap(description, 80 - get_column_width()),
                           get_column_width());
  return out.str();
}

std::string HelpFormatter::make_option(const CLI::Option* option, bool is_positional) const {
  return Entry(make_option_name(option, is_positional) + make_option_opts(option),
               make_option_desc(option));
}

std::string HelpFormatter::make_subcommand(const CLI::App* sub) const {
  std::string summary = sub->get_description();
  const std::size_t stop = summary.find(". ");
  if (stop != std::string::npos) summary.resize(stop + 1);
  return Entry(sub->get_display_name(true), summary);
}

void SetExamples(CLI::App& command, std::initializer_list<std::string_view> examples) {
  std::string footer = "Examples:";
  for (const std::string_view example : examples) footer.append("\n  ").append(example);
  command.footer(footer);
}

std::string ClosestName(const std::string& word, const std::vector<std::string>& known) {
  std::string best;
  std::size_t best_distance = std::max<std::size_t>(2, word.size() / 3) + 1;
  for (const std::string& name : known) {
    const std::size_t distance = EditDistance(word, name);
    if (distance < best_distance) {
      best = name;
      best_distance = distance;
    }
  }
  return best;
}

CLI::Validator FiniteNonZeroNumber() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (end != text.c_str() && *end == '\0' && std::isfinite(value) && value != 0) return "";
        return "must be a finite, non-zero number, not " + text;
      },
      "", "finite non-zero");
}

std::vector<std::string> LengthUnitNames() {
  std::vector<std::string> names;
  for (const LengthUnit unit :
       {LengthUnit::kMillimetres, LengthUnit::kCentimetres, LengthUnit::kMetres,
        LengthUnit::kInches, LengthUnit::kFeet, LengthUnit::kYards}) {
    names.emplace_back(LengthUnitText(unit));
  }
  return names;
}

bool RefuseUnusedFlags(const CLI::App& command, std::initializer_list<std::string_view> flags,
                       std::string_view when) {
  std::string given;
  for (const std::string_view flag : flags) {
    if (command.count(std::string(flag)) == 0) continue;
    given.append(given.empty() ? "" : " and ").append(flag);
  }
  if (given.empty()) return false;
  std::cerr << CommandPath(command) << ": " << given
            << (given.find(" and ") == std::string::npos ? " is" : " are") << " not used " << when
            << "\n";
  return true;
}

std::string ExplainUnknownArgument(const CLI::App& app) {
  const std::vector<std::string> unknown = app.remaining(true);
  const CLI::App& command = *Innermost(app);
  if (unknown.empty()) {
    // A group named without its command.
    std::string names;
    for (const CLI::App* sub : command.get_subcommands({}))
      names += (names.empty() ? "" : ", ") + sub->get_name();
    if (names.empty() || command.get_require_subcommand_min() == 0) return "";
    return CommandPath(command) + ": a command is required: " + names;
  }
  const std::string& first = unknown.front();
  if (first.size() > 1 && first[0] == '-') {
    const std::string flag = first.substr(0, first.find('='));
    std::vector<std::string> flags;
    for (const CLI::Option* option : command.get_options()) {
      for (const std::string& name : option->get_lnames()) flags.push_back("--" + name);
      for (const std::string& name : option->get_snames()) flags.push_back("-" + name);
    }
    return CommandPath(command) + ": unknown flag " + flag + Suggestion(ClosestName(flag, flags));
  }
  std::vector<std::string> names;
  for (const CLI::App* sub : command.get_subcommands({})) names.push_back(sub->get_name());
  if (names.empty()) return "";
  return CommandPath(command) + ": unknown command " + first +
         Suggestion(ClosestName(first, names));
}

}  // namespace zar::cli
