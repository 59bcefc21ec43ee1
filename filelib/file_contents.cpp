#include "filelib/file_contents.h"

#include "filelib/file_messages.h"

namespace zar {

std::string NothingToConvert(const FileContents& contents) {
  if (contents.empty) return std::string(messages::kEmptyFile);
  if (!contents.header) return std::string(messages::kHeaderCut);
  if (contents.count <= 0) {
    if (contents.items == FileContents::Items::kSegments) {
      return std::string(messages::kNoSegments);
    }
    return std::string(contents.unnamed > 0 ? messages::kOnlyUnnamedMarkers : messages::kNoMarkers);
  }
  if (contents.frames <= 0) return std::string(messages::kNoFrames);
  return std::string();
}

std::string FewerFramesThanDeclared(const FileContents& contents) {
  if (contents.declared < 0 || contents.frames >= contents.declared) return std::string();
  return "The file holds " + std::to_string(contents.frames) + " of the " +
         std::to_string(contents.declared) + " frames its header declares";
}

}  // namespace zar
