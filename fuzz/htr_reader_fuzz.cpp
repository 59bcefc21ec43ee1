// Fuzz entry point for the HTR reader: any bytes as a file, read with and without frames; a
// model that reads is also transformed, searched and written out and read again.
//
// Properties checked on every input:
// - the message is empty or one the reader may give (those naming a segment end in its name);
// - a model that read without a message (and whose written file stays small) is written without
//   a message and reads back without one, with the same segment names in the same order and the
//   same parent of every segment (one without a parent comes back as a root); every segment
//   holds the frame count the file declares, which is the model's own (1 for none) when its
//   segments held all their declared frames.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "filelib/file_messages.h"
#include "filelib/zar_filelib.h"
#include "fuzz/fuzz_property.h"

namespace {

using zar::fuzz::Require;

std::FILE* OpenBytes(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return std::fopen("/dev/null", "rb");
  return fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
}

const std::string& ScratchFile() {
  static const std::string file = [] {
    const auto folder =
        std::filesystem::temp_directory_path() / ("zar_htr_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return (folder / "written.htr").string();
  }();
  return file;
}

bool IsHtrReaderMessage(std::string_view message) {
  namespace m = zar::messages;
  for (const std::string_view exact :
       {m::kHtrFileType, m::kHtrDataType, m::kHtrFileVersion, m::kHtrEulerRotationOrder,
        m::kHtrGlobalAxisofGravity, m::kHtrBoneLengthAxis, m::kHtrSegmentCount, m::kCannotRead}) {
    if (message == exact) return true;
  }
  for (const std::string_view prefix :
       {m::kHtrDuplicateSegment, m::kHtrSegmentNotFound, m::kHtrHierarchyCycle}) {
    if (message.substr(0, prefix.size()) == prefix) return true;
  }
  return message.empty();
}

bool AllNamesWritable(const zar::HTRFile& model) {
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    if (!zar::IsWritableSegmentName(model.Segment(i)->Name())) return false;
  }
  return true;
}

std::string ParentName(const zar::HTRSegment& segment) {
  return segment.Parent() != nullptr ? segment.Parent()->Name() : "GLOBAL";
}

// Writes `model` and reads the file back with its frames.
void CheckRoundTrip(const zar::HTRFile& model) {
  const std::string written = model.Write(ScratchFile());
  Require(written.empty(), "a model that read is written", written);
  zar::HTRFile back;
  const std::string message = back.Read(ScratchFile(), true);
  Require(message.empty(), "a written model reads back", message);
  Require(back.NumSegments() == model.NumSegments(), "the same number of segments");
  bool held_all = true;
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    const zar::HTRSegment& before = *model.Segment(i);
    const zar::HTRSegment& after = *back.Segment(i);
    Require(after.Name() == before.Name(), "the same segment names in order", before.Name());
    Require(ParentName(after) == ParentName(before), "the same parent", before.Name());
    // A segment without a parent is written under "GLOBAL", so it comes back as a root.
    Require(after.IsRoot() == (before.IsRoot() || before.Parent() == nullptr),
            "the same roots, and the parentless as roots", before.Name());
    Require(after.NumStoredFrames() == back.NumFrames(), "every segment holds the declared frames",
            before.Name());
    held_all = held_all && before.NumStoredFrames() >= model.NumFrames();
  }
  const std::int32_t declared = std::max(model.NumFrames(), std::int32_t{1});
  Require(back.NumFrames() >= 1 && back.NumFrames() <= declared, "no frames are made up");
  Require(!held_all || back.NumFrames() == declared, "the same frame count",
          std::to_string(model.NumFrames()) + " -> " + std::to_string(back.NumFrames()));
}

void Exercise(zar::HTRFile& model) {
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    const zar::HTRSegment* segment = model.Segment(i);
    (void)segment->FindInSubtree("none");
    (void)segment->AbsoluteRotation(0);
    (void)segment->AbsoluteTranslation(segment->NumStoredFrames() - 1);
  }
  model.ConvertUnits(zar::LengthUnit::kInches);
  model.Scale(2.0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const bool frames : {true, false}) {
    std::FILE* file = OpenBytes(data, size);
    if (file == nullptr) return 0;
    zar::HTRFile model;
    const std::string message = model.Read(file, frames);
    std::fclose(file);
    Require(IsHtrReaderMessage(message), "the message is one the reader gives", message);
    if (!frames) continue;
    // A written file holds NumFrames lines per segment: keep it small.
    const std::int64_t lines = static_cast<std::int64_t>(model.NumSegments()) * model.NumFrames();
    if (message.empty() && model.NumSegments() > 0 && model.NumFrames() >= 0 && lines <= 20000) {
      // A name that would not read back (it holds ']', names a section, ...) is refused by the
      // writer rather than written into a file that reads back differently.
      if (AllNamesWritable(model)) {
        CheckRoundTrip(model);
      } else {
        const std::string written = model.Write(ScratchFile());
        Require(written == zar::messages::kCannotWrite, "an unwritable name is refused", written);
      }
    }
    Exercise(model);
  }
  return 0;
}
