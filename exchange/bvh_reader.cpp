#include "exchange/bvh_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>
#include <vector>

#include "exchange/exchange_messages.h"
#include "filelib/file_messages.h"
#include "filelib/line_reader.h"
#include "filelib/read_file.h"
#include "filelib/text_fields.h"

namespace zar::exchange {

namespace {

constexpr double kRadians = std::numbers::pi / 180.0;
constexpr std::size_t kMostChannels = 6;

struct Channel {
  bool position = false;
  std::size_t axis = 0;  // 0 X, 1 Y, 2 Z
};

// Column-vector matrices (v' = M v), as BVH files are written: rows of three.
using Matrix = std::array<std::array<double, 3>, 3>;

Matrix Product(const Matrix& a, const Matrix& b) {
  Matrix out{};
  for (std::size_t r = 0; r < 3; ++r) {
    for (std::size_t c = 0; c < 3; ++c) {
      out[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
    }
  }
  return out;
}

// A turn of `degrees` about one axis.
Matrix Turn(std::size_t axis, double degrees) {
  const double c = std::cos(degrees * kRadians);
  const double s = std::sin(degrees * kRadians);
  Matrix m = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  const std::size_t i = (axis + 1) % 3;
  const std::size_t j = (axis + 2) % 3;
  m[i][i] = c;
  m[j][j] = c;
  m[i][j] = -s;
  m[j][i] = s;
  return m;
}

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
         });
}

// "Xposition" ... "Zrotation", in any case.
bool ChannelFrom(std::string_view name, Channel& channel) {
  if (name.size() != 9) return false;
  const char axis = static_cast<char>(name[0] | 0x20);
  if (axis < 'x' || axis > 'z') return false;
  channel.axis = static_cast<std::size_t>(axis - 'x');
  if (SameWord(name.substr(1), "position")) {
    channel.position = true;
    return true;
  }
  channel.position = false;
  return SameWord(name.substr(1), "rotation");
}

// `token` read whole as a number.
bool NumberFrom(std::string_view token, double& value) {
  if (token.empty()) return false;
  const ParsedReal parsed = ParseRealPrefix(token.data(), token.data() + token.size());
  value = parsed.value;
  return parsed.end == token.data() + token.size() && std::isfinite(value);
}

class BvhReader {
 public:
  BvhReader(std::FILE* file, Skeleton& skeleton) : lines_(file), skeleton_(skeleton) {}

  FileOutcome Run(BVHFacts& facts);

 private:
  // The next line's tokens; false at the end of the file.
  bool NextLine();
  // The message of a fault at the current line, which it names.
  std::string Fault(std::string_view what) {
    fault_line_ = lines_.LineNumber();
    return std::string(messages::kBVHMalformed) + std::string(what) + " (line " +
           std::to_string(fault_line_) + ")";
  }
  std::string Hierarchy();
  std::string Motion(BVHFacts& facts);
  std::string Frame(std::int64_t k);

  LineReader lines_;
  Skeleton& skeleton_;
  std::vector<std::string_view> tokens_;  // of the current line
  std::vector<std::vector<Channel>> channels_;
  std::size_t total_channels_ = 0;
  std::vector<double> values_;   // one frame line's values
  std::int64_t fault_line_ = 0;  // the line a Fault named
};

bool BvhReader::NextLine() {
  std::string_view line;
  while (lines_.Next(line)) {
    tokens_.clear();
    Tokens tokens(line);
    for (std::string_view t = tokens.Next(); !t.empty(); t = tokens.Next()) tokens_.push_back(t);
    if (!tokens_.empty()) return true;
  }
  return false;
}

std::string BvhReader::Hierarchy() {
  if (!NextLine() || !SameWord(tokens_[0], "HIERARCHY")) {
    if (lines_.Failed()) return std::string(zar::messages::kCannotRead);
    return std::string(messages::kBVHHierarchy);
  }
  // The joints whose braces are open, innermost last; an End Site is -2.
  std::vector<std::int64_t> open;
  bool awaiting_brace = false;
  std::int64_t current = -1;  // the joint OFFSET and CHANNELS belong to; -2 an End Site
  std::size_t at = 1;         // the next token of the line to read
  for (;;) {
    if (at >= tokens_.size()) {
      if (!NextLine()) {
        return lines_.Failed() ? std::string(zar::messages::kCannotRead)
                               : Fault("the file ends inside the hierarchy");
      }
      at = 0;
    }
    const std::string_view word = tokens_[at++];
    if (awaiting_brace) {
      if (word != "{") return Fault("expected { after a joint's name");
      awaiting_brace = false;
      open.push_back(current);
      continue;
    }
    if (SameWord(word, "ROOT") || SameWord(word, "JOINT")) {
      const bool root = SameWord(word, "ROOT");
      if (root != open.empty()) {
        return Fault(root ? "a ROOT inside another joint" : "a JOINT outside every ROOT");
      }
      if (!open.empty() && open.back() < 0) return Fault("a JOINT inside an End Site");
      // The name is the rest of the line, but for a brace that ends it.
      std::size_t end = tokens_.size();
      if (end > at && tokens_[end - 1] == "{") --end;
      if (end == at) return Fault("a joint without a name");
      std::string name(tokens_[at]);
      for (std::size_t i = at + 1; i < end; ++i) name.append(" ").append(tokens_[i]);
      at = end;
      SkeletonJoint joint;
      joint.name = std::move(name);
      joint.parent = root ? -1 : static_cast<std::int32_t>(open.back());
      current = static_cast<std::int64_t>(skeleton_.joints.size());
      skeleton_.joints.push_back(std::move(joint));
      channels_.emplace_back();
      awaiting_brace = true;
    } else if (SameWord(word, "End")) {
      if (at >= tokens_.size() || !SameWord(tokens_[at], "Site")) {
        return Fault("expected Site after End");
      }
      ++at;
      if (open.empty() || open.back() < 0) return Fault("an End Site outside a joint");
      current = -2;
      awaiting_brace = true;
    } else if (SameWord(word, "OFFSET")) {
      if (current == -1) return Fault("an OFFSET outside a joint");
      std::array<double, 3> offset{};
      for (double& value : offset) {
        if (at >= tokens_.size() || !NumberFrom(tokens_[at++], value)) {
          return Fault("an OFFSET needs three numbers");
        }
      }
      if (current == -2) {
        // The End Site's distance is its joint's bone length.
        SkeletonJoint& joint = skeleton_.joints[static_cast<std::size_t>(open[open.size() - 2])];
        joint.bone_length = std::hypot(offset[0], offset[1], offset[2]);
      } else {
        skeleton_.joints[static_cast<std::size_t>(current)].base_translation =
            Vector3(offset[0], offset[1], offset[2]);
      }
    } else if (SameWord(word, "CHANNELS")) {
      if (current < 0) return Fault("CHANNELS outside a joint");
      std::vector<Channel>& list = channels_[static_cast<std::size_t>(current)];
      double count = 0;
      if (at >= tokens_.size() || !NumberFrom(tokens_[at++], count) || count < 0 ||
          count > kMostChannels || count != std::floor(count)) {
        return Fault("CHANNELS needs a count from 0 to 6");
      }
      if (!list.empty()) return Fault("a joint with two CHANNELS lines");
      for (int c = 0; c < static_cast<int>(count); ++c) {
        Channel channel;
        if (at >= tokens_.size() || !ChannelFrom(tokens_[at++], channel)) {
          return Fault(
              "a channel that is not Xposition, Yposition, Zposition, Xrotation, "
              "Yrotation or Zrotation, or fewer channels than counted");
        }
        list.push_back(channel);
      }
      total_channels_ += list.size();
    } else if (word == "}") {
      if (open.empty()) return Fault("a } that closes nothing");
      open.pop_back();
      current = open.empty() ? -1 : open.back();
    } else if (SameWord(word, "MOTION")) {
      if (!open.empty()) return Fault("MOTION inside a joint");
      if (skeleton_.joints.empty()) return Fault("no joint before MOTION");
      return std::string();
    } else {
      return Fault("unexpected \"" + std::string(word.substr(0, 40)) + "\"");
    }
  }
}

std::string BvhReader::Motion(BVHFacts& facts) {
  // "Frames: n" and "Frame Time: t", the colon maybe apart from the word.
  const auto value_after = [this](std::string_view first, std::string_view second,
                                  double& value) -> bool {
    if (!NextLine()) return false;
    std::string words;
    std::size_t at = 0;
    for (; at < tokens_.size() && words.size() < 32; ++at) {
      const std::string_view t = tokens_[at];
      if (!words.empty() && t != ":") words += ' ';
      words += t;
      const bool colon = !words.empty() && words.back() == ':';
      if (colon) {
        ++at;
        break;
      }
    }
    std::string wanted(first);
    if (!second.empty()) wanted.append(" ").append(second);
    wanted += ':';
    return SameWord(words, wanted) && at + 1 == tokens_.size() && NumberFrom(tokens_[at], value);
  };
  double frames = 0;
  if (!value_after("Frames", "", frames) || frames < 0 || frames != std::floor(frames) ||
      frames > 9.2e18) {
    return Fault("expected \"Frames: <count>\" after MOTION");
  }
  double frame_time = 0;
  if (!value_after("Frame", "Time", frame_time) || !(frame_time > 0)) {
    return Fault("expected \"Frame Time: <seconds above 0>\" after the frame count");
  }
  facts.declared_frames = static_cast<std::int64_t>(frames);
  facts.frame_time = frame_time;
  skeleton_.rate = 1.0 / frame_time;
  // A frame time rounded to its last digit from a whole rate gives that rate.
  const std::string_view text = tokens_.back();
  const std::size_t point = text.find('.');
  if (point != std::string_view::npos && text.find_first_of("eE") == std::string_view::npos) {
    const auto decimals = static_cast<int>(text.size() - point - 1);
    const double whole = std::round(skeleton_.rate);
    const double step = std::pow(10.0, decimals);
    if (whole > 0 && decimals <= 15 && std::round(step / whole) == std::round(frame_time * step)) {
      skeleton_.rate = whole;
    }
  }

  // Room for the declared frames, never more than the rest of the file can fill (a value takes
  // two bytes at least).
  const std::int64_t remaining = lines_.RemainingBytes();
  std::int64_t room = facts.declared_frames;
  if (remaining >= 0) {
    room = std::min<std::int64_t>(
        room,
        remaining / static_cast<std::int64_t>(2 * std::max<std::size_t>(total_channels_, 1)) + 1);
  }
  skeleton_.ReserveFrames(room);
  values_.resize(total_channels_);
  std::int64_t k = 0;
  for (; k < facts.declared_frames && NextLine(); ++k) {
    std::string message = Frame(k);
    if (!message.empty()) return message;
  }
  if (lines_.Failed()) return std::string(zar::messages::kCannotRead);
  return std::string();
}

std::string BvhReader::Frame(std::int64_t k) {
  if (tokens_.size() != total_channels_) {
    return Fault("frame " + std::to_string(k + 1) + " has " + std::to_string(tokens_.size()) +
                 " values where the hierarchy has " + std::to_string(total_channels_) +
                 " channels");
  }
  for (std::size_t i = 0; i < tokens_.size(); ++i) {
    if (!NumberFrom(tokens_[i], values_[i])) {
      return Fault("frame " + std::to_string(k + 1) + " holds \"" +
                   std::string(tokens_[i].substr(0, 40)) + "\", which is not a number");
    }
  }
  skeleton_.ResizeFrames(k + 1);
  std::size_t v = 0;
  for (std::size_t j = 0; j < skeleton_.NumJoints(); ++j) {
    std::array<double, 3> position = {0.0, 0.0, 0.0};
    Matrix turn = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    bool turned = false;
    for (const Channel& channel : channels_[j]) {
      const double value = values_[v++];
      if (channel.position) {
        position[channel.axis] = value;
      } else {
        turn = Product(turn, Turn(channel.axis, value));
        turned = true;
      }
    }
    JointMotion& motion = skeleton_.At(k, j);
    motion.translation = Displacement(position[0], position[1], position[2]);
    if (turned) {
      // The skeleton's rotations act on row vectors: the transpose of the file's.
      const Rotation rows(Vector3(turn[0][0], turn[1][0], turn[2][0]),
                          Vector3(turn[0][1], turn[1][1], turn[2][1]),
                          Vector3(turn[0][2], turn[1][2], turn[2][2]));
      const Vector3 angles = AnglesFromRotation(rows);
      motion.rx = angles.x;
      motion.ry = angles.y;
      motion.rz = angles.z;
    }
  }
  return std::string();
}

FileOutcome BvhReader::Run(BVHFacts& facts) {
  skeleton_ = Skeleton();
  skeleton_.up = Axis::kY;
  skeleton_.first_frame = 1;
  std::string message = Hierarchy();
  if (message.empty()) message = Motion(facts);
  if (lines_.Failed()) return FileOutcome::CannotRead(message, lines_.Error());
  FileOutcome outcome = FileOutcome::Unless(FileFault::kBadFormat, std::move(message), fault_line_);
  outcome.line_named = outcome.line > 0;
  return outcome;
}

}  // namespace

FileOutcome ReadBVH(std::FILE* file, Skeleton& skeleton, LengthUnit units, BVHFacts* facts) {
  BVHFacts ignored;
  BvhReader reader(file, skeleton);
  FileOutcome outcome = reader.Run(facts != nullptr ? *facts : ignored);
  skeleton.units = units;
  return outcome;
}

FileOutcome ReadBVH(const std::string& path, Skeleton& skeleton, LengthUnit units,
                    BVHFacts* facts) {
  int error = 0;
  const ReadFile file = OpenForReading(path, error);
  if (!file) return FileOutcome::CannotRead(zar::messages::kCannotOpen, error);
  return ReadBVH(file.get(), skeleton, units, facts);
}

}  // namespace zar::exchange
