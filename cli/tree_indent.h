#ifndef ZAR_CLI_TREE_INDENT_H_
#define ZAR_CLI_TREE_INDENT_H_

#include <string>

namespace zar::cli {

// The indentation of a line at `depth` in a tree listing: two spaces per level down to
// kTreeIndentLevels, below that the same indentation with the depth in brackets ("[40] "), so
// that no line grows with the depth and a listing is linear in its number of nodes.
inline constexpr int kTreeIndentLevels = 32;

inline std::string TreeIndent(int depth) {
  if (depth <= kTreeIndentLevels) return std::string(static_cast<std::size_t>(depth) * 2, ' ');
  return std::string(static_cast<std::size_t>(kTreeIndentLevels) * 2, ' ') + "[" +
         std::to_string(depth) + "] ";
}

}  // namespace zar::cli

#endif  // ZAR_CLI_TREE_INDENT_H_
