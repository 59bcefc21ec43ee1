#include "cli/help_text.h"

#include <memory>

namespace zar::cli {
namespace {

class HelpLayout : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override {
    std::string opts;
    if (option->get_type_size() == 0) return opts;
    if (!option->get_type_name().empty()) opts += " " + option->get_type_name();
    if (option->get_expected_max() == CLI::detail::expected_max_vector_size) opts += " ...";
    if (option->get_required()) opts += " REQUIRED";
    return opts;
  }
  std::string make_option_desc(const CLI::Option* option) const override {
    return Wrap(option->get_description(), kHelpWidth - get_column_width());
  }
};

}  // namespace

std::string Wrap(std::string_view text, std::size_t width) {
  std::string wrapped;
  std::size_t lineLength = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = text.substr(start, end - start);
    if (lineLength > 0 && lineLength + 1 + word.size() > width) {
      wrapped += '\n';
      lineLength = 0;
    } else if (lineLength > 0) {
      wrapped += ' ';
      ++lineLength;
    }
    wrapped += word;
    lineLength += word.size();
    start = end + 1;
  }
  return wrapped;
}

std::string Describe(std::string_view text, std::initializer_list<std::string_view> examples) {
  std::string described = Wrap(text);
  described += examples.size() == 1 ? "\n\nExample:\n" : "\n\nExamples:\n";
  for (std::string_view example : examples) described += "  " + std::string(example) + "\n";
  return described;
}

void UseHelpLayout(CLI::App& command) { command.formatter(std::make_shared<HelpLayout>()); }

}  // namespace zar::cli
