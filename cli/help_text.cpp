#include "cli/help_text.h"

#include <memory>

namespace zar::cli {

std::string OptionFlagsHelpFormatter::make_option_opts(const CLI::Option* option) const {
  std::string opts;
  if (option->get_type_size() == 0) return opts;
  if (!option->get_type_name().empty()) opts += " " + option->get_type_name();
  if (option->get_expected_max() == CLI::detail::expected_max_vector_size) opts += " ...";
  if (option->get_required()) opts += " REQUIRED";
  return opts;
}

void UseOptionFlagsHelp(CLI::App& command) {
  command.formatter(std::make_shared<OptionFlagsHelpFormatter>());
}

}  // namespace zar::cli
