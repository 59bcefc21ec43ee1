#include "exchange/c3d_copy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "atomic_file/output_file.h"
#include "exchange/c3d_analog.h"
#include "exchange/c3d_events.h"
#include "exchange/c3d_section_builder.h"
#include "exchange/c3d_words.h"
#include "exchange/exchange_messages.h"
#include "exchange/marker_formats.h"
#include "exchange/marker_set.h"
#include "filelib/file_messages.h"
#include "filelib/read_file.h"

namespace zar::exchange {

namespace {

constexpr std::uint64_t kBlock = 512;
constexpr std::int64_t kWordMax = 65535;

C3DGroup& GroupNamed(C3DParameters& parameters, std::string_view name,
                     std::string_view description) {
  for (C3DGroup& group : parameters.groups) {
    if (SameC3DName(group.name, name)) return group;
  }
  int id = 0;
  for (const C3DGroup& group : parameters.groups) id = std::max(id, group.id);
  C3DGroup& group = parameters.groups.emplace_back();
  group.name = name;
  group.description = description;
  group.id = id + 1;
  return group;
}

C3DParameter* Find(C3DParameters& parameters, std::string_view group, std::string_view name) {
  for (C3DGroup& g : parameters.groups) {
    if (!SameC3DName(g.name, group)) continue;
    for (C3DParameter& p : g.parameters) {
      if (SameC3DName(p.name, name)) return &p;
    }
  }
  return nullptr;
}

// Sets GROUP:NAME to `values` of `type`, adding the parameter (and its group) where `add` asks
// and it is not there; the parameter, or null when it was not there to set.
C3DParameter* Set(C3DParameters& parameters, std::string_view group, std::string_view name,
                  C3DType type, std::vector<double> values, bool add = true) {
  C3DParameter* parameter = Find(parameters, group, name);
  if (parameter == nullptr) {
    if (!add) return nullptr;
    parameter = &GroupNamed(parameters, group, "").parameters.emplace_back();
    parameter->name = name;
  }
  if (parameter->type != type || parameter->numbers.size() != values.size()) {
    parameter->dimensions.clear();
    if (values.size() != 1) parameter->dimensions.push_back(static_cast<int>(values.size()));
  }
  parameter->type = type;
  parameter->text.clear();
  parameter->numbers = std::move(values);
  return parameter;
}

void SetText(C3DParameters& parameters, std::string_view group, std::string_view name,
             std::string_view text) {
  C3DParameter* parameter = Set(parameters, group, name, C3DType::kChar, {});
  parameter->dimensions = {static_cast<int>(text.size())};
  parameter->text = text;
}

// The analog samples of each channel per point frame, as the analog reader lays the frames out;
// 0 when the file has no analog channels or no whole number of samples of each.
std::size_t SamplesPerFrame(const C3DFile& file) {
  C3DAnalog analog;
  return C3DAnalogChannels(file, analog).empty() && analog.NumChannels() > 0 ? analog.per_frame : 0;
}

// A frame number as TRIAL's fields hold it: the low word, then the high word.
std::vector<double> Field(std::int64_t frame) {
  return {static_cast<double>(frame & 0xFFFF), static_cast<double>(frame >> 16)};
}

// The point frames the copy keeps, with their numbers in the source and in the copy.
struct Kept {
  std::int64_t first = 0;  // the source's number of the first frame kept
  std::int64_t last = 0;
  double shift = 0.0;  // seconds to take from an event's time
  double rate = 0.0;

  bool Holds(double time) const {
    const std::int64_t frame = C3DEventFrame(time, rate);
    return frame >= first && frame <= last;
  }
};

std::string EventText(const std::string& context, const std::string& label, double time) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.3f", time);
  return "'" + context + "' '" + label + "' at " + seconds + " s";
}

// The EVENT group's events of the frames kept, every per-event parameter cut alike.
void CutEvents(C3DParameters& parameters, const Kept& kept, C3DCopyReport& report,
               std::vector<std::string>& dropped) {
  const std::vector<C3DEvent> events = C3DEvents(parameters);
  C3DParameter* times = Find(parameters, "EVENT", "TIMES");
  if (times == nullptr || times->dimensions.size() != 2 || times->dimensions[0] != 2) return;
  const auto slots = static_cast<std::size_t>(times->dimensions[1]);
  std::vector<std::size_t> keep;
  for (std::size_t i = 0; i < events.size() && i < slots; ++i) {
    if (kept.Holds(events[i].time)) {
      keep.push_back(i);
    } else {
      dropped.push_back(EventText(events[i].context, events[i].label, events[i].time));
    }
  }
  report.events += keep.size();
  report.events_dropped += events.size() - keep.size();
  for (C3DGroup& group : parameters.groups) {
    if (!SameC3DName(group.name, "EVENT")) continue;
    for (C3DParameter& p : group.parameters) {
      if (p.dimensions.empty() || static_cast<std::size_t>(p.dimensions.back()) != slots) continue;
      std::size_t chunk = 1;
      for (std::size_t d = 0; d + 1 < p.dimensions.size(); ++d) {
        chunk *= static_cast<std::size_t>(p.dimensions[d]);
      }
      std::string text;
      std::vector<double> numbers;
      for (const std::size_t i : keep) {
        if (p.type == C3DType::kChar) {
          text += p.text.substr(i * chunk, chunk);
        } else {
          numbers.insert(numbers.end(), p.numbers.begin() + static_cast<std::ptrdiff_t>(i * chunk),
                         p.numbers.begin() + static_cast<std::ptrdiff_t>((i + 1) * chunk));
        }
      }
      p.text = std::move(text);
      p.numbers = std::move(numbers);
      p.dimensions.back() = static_cast<int>(keep.size());
    }
  }
  if (kept.shift != 0.0) {
    for (std::size_t e = 0; e < keep.size(); ++e) {
      times->numbers[2 * e] = 0.0;
      times->numbers[2 * e + 1] = events[keep[e]].time - kept.shift;
    }
  }
  Set(parameters, "EVENT", "USED", C3DType::kInteger, {static_cast<double>(keep.size())});
}

// The header's events (at most 18: times, display flags and four-letter labels), cut like the
// EVENT group's, written in the Intel format at their places in `out`.
void CutHeaderEvents(const unsigned char* in, const C3DWords& words, const Kept& kept,
                     unsigned char* out, C3DCopyReport& report, std::vector<std::string>& dropped) {
  if (words.Word(in + 298) != 12345) return;
  const std::size_t count = std::min<std::size_t>(words.Word(in + 300), 18);
  std::size_t written = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const double time = words.Real(in + 304 + 4 * i);
    const std::string label(reinterpret_cast<const char*>(in + 396 + 4 * i), 4);
    if (!kept.Holds(time)) {
      dropped.push_back(
          EventText("header", label.substr(0, label.find_last_not_of(' ') + 1), time));
      continue;
    }
    PutC3DReal(out + 304 + 4 * written, static_cast<float>(time - kept.shift));
    out[376 + written] = in[376 + i];
    std::memcpy(out + 396 + 4 * written, in + 396 + 4 * i, 4);
    ++written;
  }
  report.events += written;
  report.events_dropped += count - written;
  PutC3DWord(out + 298, 12345);
  PutC3DWord(out + 300, static_cast<std::uint32_t>(written));
}

// FORCE_PLATFORM:ZERO names the data frames (from 1) of the plates' baseline: moved with the
// cut, or cleared where the cut leaves out any of them.
void MoveBaseline(C3DParameters& parameters, const C3DCopyOptions& cut,
                  std::vector<std::string>& warnings) {
  C3DParameter* zero = Find(parameters, "FORCE_PLATFORM", "ZERO");
  if (zero == nullptr || zero->numbers.size() < 2 || zero->type == C3DType::kChar) return;
  const double from = zero->numbers[0];
  const double to = zero->numbers[1];
  if (!(from >= 1 && to >= from)) return;  // no baseline
  const auto first = static_cast<double>(cut.from + 1);
  const auto last = static_cast<double>(cut.from + cut.count);
  if (from >= first && to <= last) {
    zero->numbers[0] = from - static_cast<double>(cut.from);
    zero->numbers[1] = to - static_cast<double>(cut.from);
    return;
  }
  zero->numbers[0] = 0;
  zero->numbers[1] = 0;
  warnings.push_back("the force plates' baseline (FORCE_PLATFORM:ZERO, frames " +
                     std::to_string(static_cast<std::int64_t>(from)) + " to " +
                     std::to_string(static_cast<std::int64_t>(to)) +
                     " of the data) is not among the frames kept; it is cleared, so the plates of "
                     "the copy are read without a baseline (the analog samples are as recorded)");
}

// The parameters that describe the frames, made to agree with the copy.
void FollowTheCut(const C3DFile& file, const C3DCopyOptions& cut, C3DParameters& parameters,
                  const Kept& kept, C3DCopyReport& report, std::vector<std::string>& dropped) {
  const std::int64_t last = cut.first_frame + cut.count - 1;
  const bool long_frames = last > kWordMax;
  Set(parameters, "POINT", "USED", C3DType::kInteger, {static_cast<double>(file.frame_points)});
  const double scale = std::abs(file.scale);
  Set(parameters, "POINT", "SCALE", C3DType::kFloat, {file.float_storage ? -scale : scale});
  Set(parameters, "POINT", "FRAMES", C3DType::kInteger,
      {static_cast<double>(std::min(cut.count, kWordMax))});
  Set(parameters, "POINT", "LONG_FRAMES", C3DType::kFloat, {static_cast<double>(cut.count)},
      long_frames);
  Set(parameters, "TRIAL", "ACTUAL_START_FIELD", C3DType::kInteger, Field(cut.first_frame),
      long_frames);
  Set(parameters, "TRIAL", "ACTUAL_END_FIELD", C3DType::kInteger, Field(last), long_frames);
  if (const std::size_t per_frame = SamplesPerFrame(file); per_frame > 0) {
    const double rate = file.points.rate * static_cast<double>(per_frame);
    const C3DParameter* stated = Find(parameters, "ANALOG", "RATE");
    if (stated == nullptr || !stated->Number() ||
        static_cast<float>(*stated->Number()) != static_cast<float>(rate)) {
      Set(parameters, "ANALOG", "RATE", C3DType::kFloat, {rate});
    }
  }
  if (cut.up && !file.points.up_known) {
    SetText(parameters, "POINT", "X_SCREEN", "+X");
    SetText(parameters, "POINT", "Y_SCREEN", *cut.up == Axis::kZ ? "+Z" : "+Y");
  }
  MoveBaseline(parameters, cut, report.warnings);
  CutEvents(parameters, kept, report, dropped);
}

std::vector<unsigned char> Section(const C3DParameters& parameters) {
  C3DSectionBuilder section;
  for (const C3DGroup& group : parameters.groups) {
    section.Group(group.id, group.name, group.description, group.locked);
    for (const C3DParameter& parameter : group.parameters) section.Parameter(group.id, parameter);
  }
  return section.Finish();
}

}  // namespace

bool CopiesC3DWhole(const PointChangesAsked& asked) {
  return !asked.names_from_descriptions && !asked.kinds && !asked.names && !asked.units &&
         !asked.up_out;
}

std::optional<C3DCopyOptions> C3DCut(const C3DFile& file, const FrameRange& range,
                                     std::optional<Axis> up) {
  const MarkerSet& points = file.points;
  C3DCopyOptions cut;
  cut.count = points.NumFrames();
  cut.first_frame = points.first_frame;
  if (range.Asked()) {
    const auto kept = FrameIndices(range, points.first_frame, points.NumFrames());
    if (!kept) return std::nullopt;
    cut.from = kept->first;
    cut.count = kept->second;
    cut.first_frame = range.keep_time ? points.first_frame + cut.from : 1;
  }
  for (const MarkerFormat& format : MarkerFormats()) {
    if (format.extension == ".c3d") cut.up = SourceUp(format, points, up);
  }
  return cut;
}

FileOutcome CopyC3DFrames(const std::string& path, const C3DFile& file, const C3DCopyOptions& asked,
                          const std::string& out, C3DCopyReport& report) {
  report = C3DCopyReport();
  C3DCopyOptions cut = asked;
  if (cut.first_frame < 1) {
    report.warnings.push_back("C3D counts frames from 1; the frames from " +
                              std::to_string(cut.first_frame) + " are numbered from 1 in " + out);
    cut.first_frame = 1;
  }
  report.first_frame = cut.first_frame;
  const std::int64_t last = cut.first_frame + cut.count - 1;
  if (cut.first_frame < 1 || last > 4294967295LL) {
    return FileOutcome::NotWritable(std::string(messages::kC3DFrameNumbers));
  }
  int error = 0;
  const ReadFile stream = OpenForReading(path, error);
  if (!stream) return FileOutcome::CannotRead(zar::messages::kCannotOpen, error);
  unsigned char source_header[kBlock];
  if (std::fread(source_header, 1, kBlock, stream.get()) != kBlock) {
    return FileOutcome::CannotRead(zar::messages::kCannotRead, ReadError(stream.get()));
  }
  const C3DWords words(file.processor);
  Kept kept;
  kept.first = file.points.first_frame + cut.from;
  kept.last = kept.first + cut.count - 1;
  kept.rate = file.points.rate;
  kept.shift = static_cast<double>(kept.first - cut.first_frame) / kept.rate;

  std::vector<std::string> dropped;
  C3DParameters parameters = file.parameters;
  FollowTheCut(file, cut, parameters, kept, report, dropped);
  // POINT:DATA_START is a word like any other: once it is there, the section's size does not
  // depend on its value.
  Set(parameters, "POINT", "DATA_START", C3DType::kInteger, {0.0});
  std::vector<unsigned char> section = Section(parameters);
  const std::uint64_t data_start = 2 + section.size() / kBlock;
  if (data_start > static_cast<std::uint64_t>(kWordMax)) {
    return FileOutcome::NotWritable(std::string(messages::kC3DTooManyPoints));
  }
  Set(parameters, "POINT", "DATA_START", C3DType::kInteger, {static_cast<double>(data_start)});
  section = Section(parameters);

  unsigned char header[kBlock] = {};
  const auto word = [&](int n, std::uint64_t value) {
    PutC3DWord(header + 2 * (n - 1), static_cast<std::uint32_t>(value));
  };
  header[0] = 2;
  header[1] = 0x50;
  word(2, file.frame_points);
  word(3, file.frame_analog_words);
  word(4, static_cast<std::uint64_t>(std::min(cut.first_frame, kWordMax)));
  word(5, static_cast<std::uint64_t>(std::min(last, kWordMax)));
  word(6, file.header.max_gap);
  const auto scale = static_cast<float>(std::abs(file.scale));
  PutC3DReal(header + 12, file.float_storage ? -scale : scale);
  word(9, data_start);
  word(10, std::max<std::size_t>(SamplesPerFrame(file), 1));
  PutC3DReal(header + 20, static_cast<float>(file.points.rate));
  CutHeaderEvents(source_header, words, kept, header, report, dropped);
  if (!dropped.empty()) {
    std::string text = "the events outside frames " + std::to_string(kept.first) + " to " +
                       std::to_string(kept.last) + " are left out:";
    for (std::size_t i = 0; i < dropped.size(); ++i) text += (i == 0 ? " " : ", ") + dropped[i];
    report.warnings.push_back(std::move(text));
  }

  OutputFile output;
  if (!output.Open(out)) return CannotOpen(output);
  output.Write({reinterpret_cast<const char*>(header), kBlock});
  output.Write({reinterpret_cast<const char*>(section.data()), section.size()});
  // Frame by frame: every value is a word (integer storage) or a real, whatever it stands for.
  const std::size_t value_bytes = file.float_storage ? 4 : 2;
  const std::size_t values = std::size_t{file.frame_points} * 4 + file.frame_analog_words;
  const std::size_t frame_bytes = values * value_bytes;
  const std::uint64_t offset = (std::uint64_t{file.data_start} - 1) * kBlock +
                               static_cast<std::uint64_t>(cut.from) * frame_bytes;
  if (frame_bytes > 0 && std::fseek(stream.get(), static_cast<long>(offset), SEEK_SET) != 0) {
    return FileOutcome::CannotRead(zar::messages::kCannotRead, ReadError(stream.get()));
  }
  const std::size_t chunk =
      std::max<std::size_t>(1, (std::size_t{1} << 20) / std::max<std::size_t>(frame_bytes, 1));
  std::vector<unsigned char> buffer(chunk * frame_bytes);
  for (std::int64_t done = 0; done < cut.count && frame_bytes > 0;) {
    const auto now = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(chunk), cut.count - done));
    const std::size_t bytes = now * frame_bytes;
    if (std::fread(buffer.data(), 1, bytes, stream.get()) != bytes) {
      return FileOutcome::CannotRead(zar::messages::kCannotRead, ReadError(stream.get()));
    }
    auto* to = reinterpret_cast<unsigned char*>(output.Reserve(bytes));
    if (file.processor == C3DProcessor::kIntel) {
      std::memcpy(to, buffer.data(), bytes);
    } else if (file.float_storage) {
      for (std::size_t i = 0; i < bytes; i += 4) {
        PutC3DReal(to + i, static_cast<float>(words.Real(buffer.data() + i)));
      }
    } else {
      for (std::size_t i = 0; i < bytes; i += 2) PutC3DWord(to + i, words.Word(buffer.data() + i));
    }
    output.Advance(reinterpret_cast<char*>(to + bytes));
    done += static_cast<std::int64_t>(now);
  }
  return Commit(output);
}

}  // namespace zar::exchange
