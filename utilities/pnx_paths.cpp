#include "utilities/pnx_paths.h"

#include <filesystem>

namespace zar {
namespace {

constexpr char kFolderSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

bool IsFolderSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path.append(folder);
  if (path.empty() || !IsFolderSeparator(path.back())) path.push_back(kFolderSeparator);
  path.append(name);
  return path;
}

SourceSelection SplitSourceSelection(const modra::FileDialogResult& result, std::size_t limit) {
  SourceSelection selection;
  const std::string& buffer = result.buffer;
  const std::string first = result.FirstText();
  const std::size_t after_first = first.size() + 1;
  const bool several = after_first < buffer.size() && buffer[after_first] != '\0';
  if (!several) {
    // One file: its folder is everything before the name.
    std::size_t offset = result.fileOffset <= first.size() ? result.fileOffset : first.size();
    if (offset > 0 && IsFolderSeparator(first[offset - 1])) {
      selection.folder = first.substr(0, offset - 1);
    } else {
      selection.folder = first.substr(0, offset);
      if (selection.folder.empty()) selection.folder.assign(1, '.');
    }
    if (offset < first.size() && limit > 0) selection.names.push_back(first.substr(offset));
    return selection;
  }
  selection.folder = first;
  std::size_t pos = after_first;
  while (pos < buffer.size() && buffer[pos] != '\0' && selection.names.size() < limit) {
    const std::size_t end = buffer.find('\0', pos);
    const std::size_t stop = end == std::string::npos ? buffer.size() : end;
    selection.names.push_back(buffer.substr(pos, stop - pos));
    pos = stop + 1;
  }
  return selection;
}

std::string PnxPathBesideSource(const std::string& source) {
  std::string path = source;
  if (path.size() < 3) {
    path.append(".pnx");
  } else {
    path.replace(path.size() - 3, 3, "pnx");
  }
  return path;
}

}  // namespace zar
