// Fuzz entry point for the HTR reader: any bytes as a file, read with and without frames; a
// model that reads is also transformed, searched and written out and read again.
//
// Properties checked on every input:
// - the message is empty or one the reader may give (those naming a segment end in its name);
// - a model that read without a message (and whose written file stays small) is written without
//   a message and reads back without one, with the same segment names in the same order and the
//   same parent of every segment (one without a parent comes back as a root); every segment
//   holds the frame count the file declares, which is the model's own (1 for none) when its
//   segments held all their declared frames;
// - read through a frame sink, the same message and segments, and every segment's frames as the
//   model holds them.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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
        m::kHtrGlobalAxisofGravity, m::kHtrBoneLengthAxis, m::kHtrSegmentCount,
        m::kHtrNumFramesRange, m::kLineTooLong, m::kCannotRead}) {
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

// Every frame the sink is given, by segment.
class RecordingSink : public zar::HTRFrameSink {
 public:
  void Begin(const zar::HTRFile& model, std::int64_t frames) override {
    Require(frames_.empty(), "Begin comes once");
    Require(frames >= 0, "the room to make is not negative");
    frames_.resize(static_cast<std::size_t>(std::max(model.NumSegments(), 1)));
  }
  void Frame(std::int32_t segment, std::int64_t k, const zar::HTRFrame& frame) override {
    Require(!frames_.empty(), "Begin comes before every frame");
    Require(segment >= 0, "a frame names a segment");
    const auto s = static_cast<std::size_t>(segment);
    if (s >= frames_.size()) frames_.resize(s + 1);
    Require(k == static_cast<std::int64_t>(frames_[s].size()), "a segment's frames come in order");
    frames_[s].push_back(frame);
  }
  std::vector<zar::HTRFrame> Heard(std::int32_t segment) const {
    const auto s = static_cast<std::size_t>(segment);
    return s < frames_.size() ? frames_[s] : std::vector<zar::HTRFrame>();
  }

 private:
  std::vector<std::vector<zar::HTRFrame>> frames_;
};

bool SameFrame(const zar::HTRFrame& a, const zar::HTRFrame& b) {
  const auto same = [](double x, double y) { return x == y || (x != x && y != y); };
  return same(a.tx, b.tx) && same(a.ty, b.ty) && same(a.tz, b.tz) && same(a.rx, b.rx) &&
         same(a.ry, b.ry) && same(a.rz, b.rz) && same(a.scale, b.scale);
}

// The same bytes read through a frame sink give what the model holds.
void CheckSinkReading(const std::uint8_t* data, std::size_t size, const zar::HTRFile& model,
                      const std::string& message) {
  std::FILE* file = OpenBytes(data, size);
  if (file == nullptr) return;
  zar::HTRFile header;
  RecordingSink sink;
  const std::string sink_message = header.Read(file, sink);
  std::fclose(file);
  Require(sink_message == message, "a sink reading gives the same message", sink_message);
  Require(header.NumSegments() == model.NumSegments(), "a sink reading has the same segments");
  Require(header.StartFrame() == model.StartFrame(), "a sink reading has the same first frame");
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    Require(header.Segment(i)->Name() == model.Segment(i)->Name() &&
                header.Segment(i)->NumStoredFrames() == 0,
            "the sink reading's segments are named alike and hold no frames");
    const std::vector<zar::HTRFrame>& held = model.Segment(i)->Frames();
    const std::vector<zar::HTRFrame> heard = sink.Heard(i);
    Require(heard.size() == held.size(), "the sink hears every frame", model.Segment(i)->Name());
    for (std::size_t k = 0; k < held.size(); ++k) {
      Require(SameFrame(held[k], heard[k]), "the sink hears each frame as the model holds it");
    }
  }
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
    CheckSinkReading(data, size, model, message);
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
