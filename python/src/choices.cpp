#include "choices.h"

#include "filelib/file_contents.h"

namespace zar::python {

void NoteFewerFrames(const std::string& path, std::int64_t frames, std::int64_t declared,
                     Notes& notes) {
  FileContents contents;
  contents.frames = frames;
  contents.declared = declared;
  if (const std::string fewer = FewerFramesThanDeclared(contents); !fewer.empty()) {
    notes.push_back(path + ": " + fewer);
  }
}

void NoteSourceUp(const Choices& choices, const std::string& path, Axis up, Notes& notes) {
  if (!choices.up || AxisFromText(*choices.up) == up) return;
  notes.push_back(path + " gives " + std::string(AxisText(up)) + " as its up axis; up='" +
                  *choices.up + "' is not used");
}

}  // namespace zar::python
