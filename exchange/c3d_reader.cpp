// Reading C3D files: header, parameter section and point data in the three processor formats,
// with 16-bit integer or real storage.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "exchange/c3d_file.h"
#include "exchange/exchange_messages.h"
#include "filelib/file_messages.h"
#include "filelib/read_file.h"

namespace zar::exchange {

namespace {

constexpr std::uint64_t kBlock = 512;

bool ReadAt(std::FILE* file, std::uint64_t offset, unsigned char* out, std::size_t size) {
  if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return false;
  return std::fread(out, 1, size, file) == size;
}

// One point's four values (x, y, z, residual word) in one storage kind and processor format.
template <C3DProcessor P, bool Real>
struct PointCodec {
  static constexpr std::size_t kValueBytes = Real ? 4 : 2;

  static double Value(const unsigned char* p, double scale) {
    const C3DWords words(P);
    if constexpr (Real) {
      (void)scale;
      return words.Real(p);
    } else {
      return words.Integer(p) * scale;
    }
  }
  static bool Missing(const unsigned char* p) {
    const C3DWords words(P);
    if constexpr (Real) {
      return words.Real(p) < 0.0;
    } else {
      return words.Integer(p) < 0;
    }
  }
};

// Decodes `frames` whole frames from `in` into the samples at `out`.
template <C3DProcessor P, bool Real>
void DecodeFrames(const unsigned char* in, std::size_t frames, std::size_t points,
                  std::size_t frame_bytes, double scale, MarkerSample* out) {
  using Codec = PointCodec<P, Real>;
  constexpr std::size_t kStep = Codec::kValueBytes;
  for (std::size_t f = 0; f < frames; ++f, in += frame_bytes) {
    const unsigned char* p = in;
    for (std::size_t m = 0; m < points; ++m, p += 4 * kStep, ++out) {
      if (Codec::Missing(p + 3 * kStep)) continue;
      const double x = Codec::Value(p, scale);
      const double y = Codec::Value(p + kStep, scale);
      const double z = Codec::Value(p + 2 * kStep, scale);
      if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) continue;
      *out = {x, y, z, true};
    }
  }
}

// The most common layout: Intel reals, copied as they are.
template <>
void DecodeFrames<C3DProcessor::kIntel, true>(const unsigned char* in, std::size_t frames,
                                              std::size_t points, std::size_t frame_bytes,
                                              double /*scale*/, MarkerSample* out) {
  for (std::size_t f = 0; f < frames; ++f, in += frame_bytes) {
    const unsigned char* p = in;
    for (std::size_t m = 0; m < points; ++m, p += 16, ++out) {
      float v[4];
      std::memcpy(v, p, sizeof v);
      if (v[3] < 0.0F || !std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) {
        continue;
      }
      *out = {v[0], v[1], v[2], true};
    }
  }
}

using Decoder = void (*)(const unsigned char*, std::size_t, std::size_t, std::size_t, double,
                         MarkerSample*);

Decoder DecoderFor(C3DProcessor processor, bool real) {
  switch (processor) {
    case C3DProcessor::kIntel:
      return real ? DecodeFrames<C3DProcessor::kIntel, true>
                  : DecodeFrames<C3DProcessor::kIntel, false>;
    case C3DProcessor::kDec:
      return real ? DecodeFrames<C3DProcessor::kDec, true>
                  : DecodeFrames<C3DProcessor::kDec, false>;
    case C3DProcessor::kMips:
      return real ? DecodeFrames<C3DProcessor::kMips, true>
                  : DecodeFrames<C3DProcessor::kMips, false>;
  }
  return nullptr;
}

class C3DReader {
 public:
  C3DReader(std::FILE* file, C3DFile& model, bool lenient)
      : file_(file), model_(model), lenient_(lenient) {}

  std::string Run();

  // Whether the reading stopped because the file could not be read, and the system's reason.
  bool ReadFailed() const { return read_failed_; }
  int ReadErrorNumber() const { return read_error_; }

 private:
  // Notes that the file could not be read; its message.
  std::string CannotRead() {
    read_failed_ = true;
    read_error_ = ReadError(file_);
    return std::string(zar::messages::kCannotRead);
  }

  std::string Header();
  std::string ParameterSection(std::uint64_t begin, std::uint64_t end);
  std::string Points();
  std::string FrameLayout(std::uint64_t frames, std::size_t value_bytes, std::uint64_t room);
  std::string ParameterName(int group, const std::string& name) const;

  std::FILE* file_;
  C3DFile& model_;
  bool lenient_ = false;  // read past the faults of a parameter section that can be read past
  std::uint64_t size_ = 0;
  unsigned char header_[kBlock] = {};
  std::vector<C3DParameter> loose_;  // parameters read before their group
  std::vector<int> loose_groups_;
  bool read_failed_ = false;
  int read_error_ = 0;
};

std::string C3DReader::Run() {
  if (std::fseek(file_, 0, SEEK_END) != 0) return CannotRead();
  const long end = std::ftell(file_);
  if (end < 0) return CannotRead();
  size_ = static_cast<std::uint64_t>(end);
  model_.file_size = size_;
  if (size_ == 0) return std::string(messages::kC3DEmpty);
  if (size_ < kBlock) {
    return std::string(messages::kC3DShortHeader) + " (" + std::to_string(size_) + " bytes)";
  }
  if (!ReadAt(file_, 0, header_, kBlock)) return CannotRead();
  if (header_[1] != 0x50) return std::string(messages::kC3DKey);
  if (std::string message = Header(); !message.empty()) return message;
  return Points();
}

std::string C3DReader::Header() {
  const std::uint64_t block = header_[0];
  const std::uint64_t begin = (block - 1) * kBlock;
  if (block == 0 || begin + 4 > size_) {
    return std::string(messages::kC3DParameterStart) + " (block " + std::to_string(block) +
           ", the file has " + std::to_string((size_ + kBlock - 1) / kBlock) + ")";
  }
  unsigned char start[4];
  if (!ReadAt(file_, begin, start, sizeof start)) return CannotRead();
  if (start[3] < 84 || start[3] > 86) {
    return std::string(messages::kC3DProcessor) + " (" + std::to_string(start[3]) + ")";
  }
  model_.processor = static_cast<C3DProcessor>(start[3]);
  const C3DWords words(model_.processor);
  C3DHeader& h = model_.header;
  const auto word = [&](int n) { return words.Word(header_ + 2 * (n - 1)); };
  h.parameter_block = static_cast<int>(block);
  h.points = word(2);
  h.analog_words = word(3);
  h.first_frame = word(4);
  h.last_frame = word(5);
  h.max_gap = word(6);
  h.scale = words.Real(header_ + 12);
  h.data_start = word(9);
  h.analog_per_frame = word(10);
  h.rate = words.Real(header_ + 20);

  // The section ends where the point data starts (its declared block count is often wrong).
  std::uint64_t end = size_;
  if (h.data_start > block) end = std::min(end, (h.data_start - 1) * kBlock);
  return ParameterSection(begin, end);
}

std::string C3DReader::ParameterName(int group, const std::string& name) const {
  for (const C3DGroup& g : model_.parameters.groups) {
    if (g.id == group) return g.name + ":" + name;
  }
  return "group " + std::to_string(group) + ":" + name;
}

// Records: a signed name length (negative when locked; 0 ends the section), a signed group id
// (negative for a group, its group's id for a parameter), the name, the 16-bit distance from
// that word to the next record (0 for the last), then for a group its description and for a
// parameter its type, dimensions, values and description.
std::string C3DReader::ParameterSection(std::uint64_t begin, std::uint64_t end) {
  std::vector<unsigned char> bytes(static_cast<std::size_t>(end - begin));
  if (!ReadAt(file_, begin, bytes.data(), bytes.size())) {
    return CannotRead();
  }
  const C3DWords words(model_.processor);
  const std::size_t limit = bytes.size();
  std::size_t at = 4;
  std::vector<std::pair<int, C3DParameter>> parameters;
  while (at + 2 <= limit) {
    const auto name_length = static_cast<std::int8_t>(bytes[at]);
    const auto id = static_cast<std::int8_t>(bytes[at + 1]);
    if (name_length == 0 || id == 0) break;
    const std::size_t length = static_cast<std::size_t>(std::abs(name_length));
    std::string name(reinterpret_cast<const char*>(bytes.data() + at + 2),
                     std::min(length, limit - std::min(limit, at + 2)));
    const std::string who = id < 0 ? name + " (group)" : ParameterName(id, name);
    const std::size_t link = at + 2 + length;  // the offset word
    // A record past the section's end: refused, or read leniently by ending the section before
    // it (what came before is kept).
    const auto overrun = [&] {
      model_.lenient_would_read = true;
      if (!lenient_) return std::string(messages::kC3DParameterOverrun) + who;
      model_.warnings.push_back(std::string(messages::kC3DParameterOverrun) + who +
                                "; it and any record after it were not read");
      return std::string();
    };
    if (link + 2 > limit) {
      if (std::string refused = overrun(); !refused.empty()) return refused;
      break;
    }
    const std::uint16_t offset = words.Word(bytes.data() + link);
    std::size_t p = link + 2;
    if (id < 0) {
      if (p + 1 > limit || p + 1 + bytes[p] > limit) {
        if (std::string refused = overrun(); !refused.empty()) return refused;
        break;
      }
      C3DGroup group;
      group.name = std::move(name);
      group.locked = name_length < 0;
      group.id = -id;
      group.description.assign(reinterpret_cast<const char*>(bytes.data() + p + 1), bytes[p]);
      p += 1U + bytes[p];
      // A group named twice keeps its first record.
      const bool known =
          std::any_of(model_.parameters.groups.begin(), model_.parameters.groups.end(),
                      [&](const C3DGroup& g) { return g.id == group.id; });
      if (!known) model_.parameters.groups.push_back(std::move(group));
    } else {
      if (p + 2 > limit) {
        if (std::string refused = overrun(); !refused.empty()) return refused;
        break;
      }
      C3DParameter parameter;
      parameter.name = std::move(name);
      parameter.locked = name_length < 0;
      const auto type = static_cast<std::int8_t>(bytes[p]);
      if (type != -1 && type != 1 && type != 2 && type != 4) {
        return std::string(messages::kC3DParameterType) + who + " (" + std::to_string(type) + ")";
      }
      parameter.type = static_cast<C3DType>(type);
      const std::size_t count_dimensions = bytes[p + 1];
      p += 2;
      if (p + count_dimensions > limit) {
        if (std::string refused = overrun(); !refused.empty()) return refused;
        break;
      }
      std::uint64_t values = 1;
      for (std::size_t d = 0; d < count_dimensions; ++d) {
        parameter.dimensions.push_back(bytes[p + d]);
        // Past the section's size the count only has to stay too large (or become 0).
        values = std::min<std::uint64_t>(values * bytes[p + d], limit + 1);
      }
      p += count_dimensions;
      const std::size_t size = static_cast<std::size_t>(std::abs(type));
      if (values > (limit - p) / size) {
        if (std::string refused = overrun(); !refused.empty()) return refused;
        break;
      }
      const auto count = static_cast<std::size_t>(values);
      const unsigned char* data = bytes.data() + p;
      switch (parameter.type) {
        case C3DType::kChar:
          parameter.text.assign(reinterpret_cast<const char*>(data), count);
          break;
        case C3DType::kByte:
          parameter.numbers.assign(data, data + count);
          break;
        case C3DType::kInteger:
          parameter.numbers.reserve(count);
          for (std::size_t i = 0; i < count; ++i) {
            parameter.numbers.push_back(words.Integer(data + 2 * i));
          }
          break;
        case C3DType::kFloat:
          parameter.numbers.reserve(count);
          for (std::size_t i = 0; i < count; ++i) {
            parameter.numbers.push_back(words.Real(data + 4 * i));
          }
          break;
      }
      p += count * size;
      if (p + 1 > limit || p + 1 + bytes[p] > limit) {
        if (std::string refused = overrun(); !refused.empty()) return refused;
        break;
      }
      const std::size_t values_end = p;
      parameter.description.assign(reinterpret_cast<const char*>(bytes.data() + p + 1), bytes[p]);
      p += 1U + bytes[p];
      // A record that runs into the next (some writers link to the end of the values, leaving
      // the description out, or short of them): leniently, the description is cut where the
      // next record starts, or a parameter whose values the next record cuts is left out.
      const std::size_t next = link + offset;
      if (offset != 0 && next < p && next > link) {
        model_.lenient_would_read = true;
        if (!lenient_) return std::string(messages::kC3DParameterOverlap) + who;
        if (next >= values_end) {
          parameter.description.resize(next > values_end ? next - values_end - 1 : 0);
          parameters.emplace_back(id, std::move(parameter));
          model_.warnings.push_back(who +
                                    ": its description runs into the next record; it was cut "
                                    "where that record starts");
        } else {
          model_.warnings.push_back(std::string(messages::kC3DParameterOverlap) + who +
                                    "; it was left out");
        }
        at = next;
        continue;
      }
      parameters.emplace_back(id, std::move(parameter));
    }
    if (offset == 0) break;
    const std::size_t next = link + offset;
    if (next < p) return std::string(messages::kC3DParameterOverlap) + who;
    // Some writers get the last record's distance wrong (MIPS files with its bytes swapped):
    // a link past the section ends it.
    at = next;
  }
  for (auto& entry : parameters) {
    const int group_id = entry.first;
    auto group = std::find_if(model_.parameters.groups.begin(), model_.parameters.groups.end(),
                              [&](const C3DGroup& g) { return g.id == group_id; });
    if (group == model_.parameters.groups.end()) {
      C3DGroup unnamed;
      unnamed.id = group_id;
      model_.parameters.groups.push_back(std::move(unnamed));
      group = model_.parameters.groups.end() - 1;
    }
    group->parameters.push_back(std::move(entry.second));
  }
  return std::string();
}

std::string C3DReader::Points() {
  const C3DHeader& h = model_.header;
  const C3DParameters& parameters = model_.parameters;
  const C3DParameter* scale = parameters.Find("POINT", "SCALE");
  model_.scale = h.scale;
  if (scale != nullptr && scale->Number() && *scale->Number() != 0.0 &&
      std::isfinite(*scale->Number())) {
    model_.scale = *scale->Number();
  }
  model_.float_storage = model_.scale < 0.0;

  model_.data_start = h.data_start;
  if (model_.data_start == 0) {
    const C3DParameter* start = parameters.Find("POINT", "DATA_START");
    if (start != nullptr && start->Word()) model_.data_start = *start->Word();
  }
  const std::uint64_t blocks = (size_ + kBlock - 1) / kBlock;
  // A file without frames may end where its data would start.
  if (model_.data_start < 2 || model_.data_start > blocks + 1) {
    return std::string(messages::kC3DDataStart) + " (block " + std::to_string(model_.data_start) +
           ", the file has " + std::to_string(blocks) + ")";
  }
  const std::uint64_t data_offset = (model_.data_start - 1) * kBlock;

  // Frames: the header's range, unless it is full (65535) or wrapped and the trial or the long
  // frame count says more.
  std::uint64_t first = h.first_frame;
  std::uint64_t frames = h.last_frame + 1 >= first ? h.last_frame + 1 - first : 0;
  const bool saturated = h.last_frame == 65535 || h.last_frame + 1 < first;
  const C3DParameter* start_field = parameters.Find("TRIAL", "ACTUAL_START_FIELD");
  const C3DParameter* end_field = parameters.Find("TRIAL", "ACTUAL_END_FIELD");
  const C3DParameter* long_frames = parameters.Find("POINT", "LONG_FRAMES");
  const auto field = [](const C3DParameter* p) -> std::uint64_t {
    return p->Word(0).value_or(0) + std::uint64_t{p->Word(1).value_or(0)} * 65536;
  };
  // A range that ends before it starts needs the long counts; a full one may simply be full.
  bool known = h.last_frame + 1 >= first;
  if (saturated && start_field != nullptr && end_field != nullptr &&
      field(end_field) >= field(start_field) && field(start_field) > 0) {
    first = field(start_field);
    frames = field(end_field) - first + 1;
    known = true;
  } else if (saturated && long_frames != nullptr && long_frames->Number() &&
             *long_frames->Number() >= 0 && *long_frames->Number() < 4294967296.0) {
    frames = static_cast<std::uint64_t>(*long_frames->Number());
    known = true;
  }
  if (!known) {
    return std::string(messages::kC3DFrameRange) + " (first " + std::to_string(h.first_frame) +
           ", last " + std::to_string(h.last_frame) + ")";
  }

  const std::size_t value_bytes = model_.float_storage ? 4 : 2;
  const std::uint64_t room = size_ > data_offset ? size_ - data_offset : 0;
  if (std::string message = FrameLayout(frames, value_bytes, room); !message.empty()) {
    return message;
  }
  const std::size_t points = model_.frame_points;
  const std::size_t frame_bytes = (points * 4 + model_.frame_analog_words) * value_bytes;
  // Frames of no values take no room: whatever the header says, the data holds none of them.
  if (frame_bytes == 0) frames = 0;
  if (frame_bytes > 0 && frames > room / frame_bytes) {
    return std::string(messages::kC3DDataShort) + " (" + std::to_string(room / frame_bytes) +
           " of " + std::to_string(frames) + " frames)";
  }

  MarkerSet& set = model_.points;
  const std::vector<std::string> labels = parameters.ContinuedStrings("POINT", "LABELS");
  const std::vector<std::string> descriptions =
      parameters.ContinuedStrings("POINT", "DESCRIPTIONS");
  set.markers.assign(points, MarkerName{});
  for (std::size_t i = 0; i < points; ++i) {
    if (i < labels.size()) set.markers[i].name = labels[i];
    if (i < descriptions.size()) set.markers[i].description = descriptions[i];
  }
  // Model outputs are listed by label in a POINT parameter of their kind; the rest are markers.
  constexpr std::pair<std::string_view, PointKind> kKindLists[] = {
      {"ANGLES", PointKind::kAngle},   {"FORCES", PointKind::kForce},
      {"MOMENTS", PointKind::kMoment}, {"POWERS", PointKind::kPower},
      {"SCALARS", PointKind::kScalar}, {"REACTIONS", PointKind::kReaction}};
  std::unordered_map<std::string, PointKind> kinds;
  for (const auto& [list, kind] : kKindLists) {
    for (std::string& label : parameters.ContinuedStrings("POINT", list)) {
      if (!label.empty()) kinds.emplace(std::move(label), kind);
    }
  }
  for (MarkerName& marker : set.markers) {
    if (const auto found = kinds.find(marker.name); found != kinds.end()) {
      marker.kind = found->second;
    }
  }
  set.rate = h.rate;
  if (const C3DParameter* rate = parameters.Find("POINT", "RATE");
      rate != nullptr && rate->Number() && *rate->Number() > 0.0) {
    set.rate = *rate->Number();
  }
  if (std::isfinite(set.rate) && std::abs(set.rate) < 3e38) {
    set.rate = ShortestDecimal(static_cast<float>(set.rate));
  }
  if (const C3DParameter* units = parameters.Find("POINT", "UNITS"); units != nullptr) {
    const std::vector<std::string> texts = units->Strings();
    if (!texts.empty()) {
      const std::string& text = texts.front();
      set.units = LengthUnitFromText(text.substr(text.find_first_not_of(' ') == std::string::npos
                                                     ? text.size()
                                                     : text.find_first_not_of(' ')));
    }
  }
  // POINT:Y_SCREEN names the axis that points up on screen ("+Z" in most labs, "+Y" or "-Y" in
  // some); any other axis there leaves the set's default.
  if (const C3DParameter* screen = parameters.Find("POINT", "Y_SCREEN"); screen != nullptr) {
    const std::vector<std::string> texts = screen->Strings();
    const std::string axis = texts.empty() ? std::string() : texts.front();
    const char last = axis.empty() ? ' ' : axis.back();
    if (last == 'Z' || last == 'z' || last == 'Y' || last == 'y') {
      set.up = last == 'Z' || last == 'z' ? Axis::kZ : Axis::kY;
      set.up_known = true;
    }
  }
  set.first_frame = static_cast<std::int64_t>(first);
  set.SetFrames(static_cast<std::int64_t>(frames));
  if (points == 0 || frames == 0) return std::string();

  const Decoder decode = DecoderFor(model_.processor, model_.float_storage);
  const std::size_t chunk = std::max<std::size_t>(1, (std::size_t{1} << 20) / frame_bytes);
  std::vector<unsigned char> buffer(chunk * frame_bytes);
  if (std::fseek(file_, static_cast<long>(data_offset), SEEK_SET) != 0) {
    return CannotRead();
  }
  for (std::uint64_t done = 0; done < frames;) {
    const auto now = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, frames - done));
    if (std::fread(buffer.data(), 1, now * frame_bytes, file_) != now * frame_bytes) {
      return CannotRead();
    }
    decode(buffer.data(), now, points, frame_bytes, model_.scale,
           set.Frame(static_cast<std::int64_t>(done)));
    done += now;
  }
  return std::string();
}

// One frame's counts: 3D points and analog values.
struct Counts {
  std::uint64_t points = 0;
  std::uint64_t analog_words = 0;
  bool operator==(const Counts&) const = default;
};

std::string CountsText(const Counts& c) {
  return std::to_string(c.points) + " points and " + std::to_string(c.analog_words) +
         " analog values";
}

// The header's counts (words 2 and 3) unless the parameters say otherwise, in which case the
// counts whose frames fill the data to the file's last block win, with a warning; when neither
// does, the file cannot be read without a guess.
std::string C3DReader::FrameLayout(std::uint64_t frames, std::size_t value_bytes,
                                   std::uint64_t room) {
  const C3DHeader& h = model_.header;
  const C3DParameters& parameters = model_.parameters;
  const Counts header{h.points, h.analog_words};
  Counts stated = header;
  std::string how;  // where the parameters' analog count comes from
  if (const C3DParameter* used = parameters.Find("POINT", "USED"); used && used->Word()) {
    stated.points = *used->Word();
  }
  const C3DParameter* channels = parameters.Find("ANALOG", "USED");
  const C3DParameter* analog_rate = parameters.Find("ANALOG", "RATE");
  const C3DParameter* point_rate = parameters.Find("POINT", "RATE");
  if (channels != nullptr && channels->Word() && *channels->Word() == 0) {
    stated.analog_words = 0;
    how = "ANALOG:USED 0";
  } else if (channels != nullptr && channels->Word() && analog_rate != nullptr &&
             analog_rate->Number()) {
    const double rate =
        point_rate != nullptr && point_rate->Number() ? *point_rate->Number() : h.rate;
    const double samples = *analog_rate->Number() / rate;
    const double whole = std::round(samples);
    // A rate that is not a whole multiple of the point rate says nothing of the layout.
    if (std::isfinite(samples) && whole >= 1.0 && whole <= 65535.0 &&
        std::abs(samples - whole) <= 1e-3 * whole) {
      stated.analog_words = *channels->Word() * static_cast<std::uint64_t>(whole);
      std::ostringstream text;
      text << "ANALOG:USED " << *channels->Word() << " x ANALOG:RATE " << *analog_rate->Number()
           << " / POINT:RATE " << rate;
      how = text.str();
    }
  }
  const auto use = [this](const Counts& c) {
    model_.frame_points = static_cast<std::uint32_t>(c.points);
    model_.frame_analog_words = static_cast<std::uint32_t>(c.analog_words);
  };
  // Without frames nothing is read from the data, and nothing can be misread.
  if (stated == header || frames == 0) {
    use(header);
    return std::string();
  }
  // The data of `frames` frames of these counts ends in the file's last block.
  const auto fits = [&](const Counts& c) {
    const std::uint64_t bytes = frames * (c.points * 4 + c.analog_words) * value_bytes;
    return bytes <= room && room - bytes < kBlock;
  };
  const bool header_fits = fits(header);
  const bool stated_fits = fits(stated);
  const std::string both = "the header gives " + CountsText(header) +
                           " per frame, the parameters " + CountsText(stated) +
                           (how.empty() ? "" : " (" + how + ")");
  if (!header_fits && !stated_fits) {
    return std::string(messages::kC3DFrameLayout) + " (" + both + "; " + std::to_string(frames) +
           " frames)";
  }
  const bool parameters_win = stated_fits;
  use(parameters_win ? stated : header);
  model_.warnings.push_back(both + "; the file's size fits " +
                            (header_fits && stated_fits ? "both, and the parameters are taken"
                             : parameters_win           ? "the parameters', which are taken"
                                                        : "the header's, which is taken"));
  return std::string();
}

}  // namespace

const char* C3DProcessorName(C3DProcessor processor) {
  switch (processor) {
    case C3DProcessor::kIntel:
      return "Intel";
    case C3DProcessor::kDec:
      return "DEC";
    case C3DProcessor::kMips:
      return "MIPS";
  }
  return "unknown";
}

FileContents C3DFile::Contents() const {
  FileContents contents;
  contents.items = FileContents::Items::kMarkers;
  contents.count = static_cast<std::int64_t>(points.NumMarkers());
  contents.frames = points.NumFrames();
  return contents;
}

FileOutcome C3DFile::Read(std::FILE* file, const C3DReadOptions& options) {
  *this = C3DFile();
  C3DReader reader(file, *this, options.lenient);
  std::string message = reader.Run();
  if (!message.empty() && lenient_would_read) message += messages::kLenientHint;
  if (reader.ReadFailed()) return FileOutcome::CannotRead(message, reader.ReadErrorNumber());
  return FileOutcome::Unless(FileFault::kBadFormat, std::move(message));
}

FileOutcome C3DFile::Read(const std::string& path, const C3DReadOptions& options) {
  int error = 0;
  const ReadFile file = OpenForReading(path, error);
  if (!file) return FileOutcome::CannotRead(zar::messages::kCannotOpen, error);
  return Read(file.get(), options);
}

}  // namespace zar::exchange
