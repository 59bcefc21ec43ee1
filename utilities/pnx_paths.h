#ifndef ZAR_UTILITIES_PNX_PATHS_H_
#define ZAR_UTILITIES_PNX_PATHS_H_

// Paths of the TRC to PNX conversion: the source files a dialog returned, the PNX file beside a
// TRC file, and folders joined with the platform's separator.

#include <cstddef>
#include <string>
#include <vector>

#include "plugin_description/plugin_texts.h"
#include "sdk/modra_platform.h"

namespace zar {

using description::kMaxSourceFiles;
// Characters the source dialog's result may take.
inline constexpr std::size_t kSourceDialogBuffer = 260000;

// `folder` and `name` joined with the platform's folder separator (none is added when the
// folder already ends in one).
std::string JoinPath(const std::string& folder, const std::string& name);

// The folder and the file names of an open-file dialog's result in multiple selection: the
// folder, then the names in the order the dialog gave them (at most `limit`; the rest are
// ignored). A single chosen file is split at its last folder separator.
struct SourceSelection {
  std::string folder;
  std::vector<std::string> names;
};
SourceSelection SplitSourceSelection(const modra::FileDialogResult& result, std::size_t limit);

// The PNX path of a single conversion named after its TRC file: the source path with its last
// three characters replaced by "pnx".
std::string PnxPathBesideSource(const std::string& source);

}  // namespace zar

#endif  // ZAR_UTILITIES_PNX_PATHS_H_
