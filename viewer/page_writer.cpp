#include "viewer/page_writer.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "atomic_file/output_file.h"
#include "text/base64.h"
#include "viewer/page_template.h"

namespace zar::viewer {

namespace {

// A JSON string that is safe inside a script element: "<" is escaped, so no "</script" can end
// it early.
void AppendJsonString(std::string& json, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  json += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20 || c == '<') {
      json += "\\u00";
      json += kHex[byte >> 4];
      json += kHex[byte & 0xF];
    } else {
      json += c;
    }
  }
  json += '"';
}

template <typename Number>
void AppendNumber(std::string& json, Number value) {
  std::array<char, 32> text{};
  json.append(text.data(), std::to_chars(text.data(), text.data() + text.size(), value).ptr);
}

// [a,b,...] of floats in their shortest text; null for NaN (JSON has no NaN).
void AppendNumbers(std::string& json, const std::vector<float>& values) {
  json += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i != 0) json += ',';
    if (std::isfinite(values[i])) {
      AppendNumber(json, values[i]);
    } else {
      json += "null";
    }
  }
  json += ']';
}

// The inputs without their positions. The rate is written in the shortest text that reads back
// as the same double, so the page plays at the exact rate.
std::string Header(std::span<const PageMotion> motions) {
  std::string json = "{\"inputs\":[";
  for (const PageMotion& motion : motions) {
    if (&motion != motions.data()) json += ',';
    json += "{\"kind\":";
    json += motion.kind == PageMotion::Kind::kSkeleton ? "\"skeleton\"" : "\"markers\"";
    json += ",\"file\":";
    AppendJsonString(json, motion.file);
    json += ",\"names\":[";
    for (const std::string& name : motion.names) {
      if (&name != motion.names.data()) json += ',';
      AppendJsonString(json, name);
    }
    json += "],\"parents\":[";
    for (std::size_t i = 0; i < motion.parents.size(); ++i) {
      if (i != 0) json += ',';
      AppendNumber(json, motion.parents[i]);
    }
    json += "],\"ends\":";
    AppendNumber(json, motion.ends);
    json += ",\"rate\":";
    AppendNumber(json, std::isfinite(motion.rate) ? motion.rate : 0.0);
    json += ",\"firstFrame\":";
    AppendNumber(json, motion.first_frame);
    json += ",\"frames\":";
    AppendNumber(json, motion.frames);
    json += ",\"units\":";
    AppendJsonString(json, LengthUnitText(motion.units));
    json += ",\"up\":";
    AppendJsonString(json, AxisText(motion.up));
    json += ",\"plates\":[";
    for (const PageMotion::Plate& plate : motion.plates) {
      if (&plate != motion.plates.data()) json += ',';
      json += "{\"corners\":";
      AppendNumbers(json, plate.corners);
      json += ",\"arrows\":";
      AppendNumbers(json, plate.arrows);
      json += '}';
    }
    json += "],\"events\":[";
    for (const PageMotion::Event& event : motion.events) {
      if (&event != motion.events.data()) json += ',';
      json += "{\"context\":";
      AppendJsonString(json, event.context);
      json += ",\"label\":";
      AppendJsonString(json, event.label);
      json += ",\"frame\":";
      AppendNumber(json, event.frame);
      json += '}';
    }
    json += "]}";
  }
  json += "]}";
  return json;
}

// Base64 of a stream of float32 values, written to `out` as they come.
class Base64Floats {
 public:
  explicit Base64Floats(OutputFile& out) : out_(out) {}

  void Add(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {  // little-endian on every machine
      bytes_[held_++] = static_cast<std::uint8_t>(bits >> shift);
      if (held_ == bytes_.size()) Flush();
    }
  }

  // Writes what is held, with "=" padding at the end.
  void Finish() { Flush(); }

 private:
  // Only the last flush holds other than a multiple of 3 bytes.
  void Flush() {
    out_.Advance(text::EncodeBase64(bytes_.data(), held_, out_.Reserve(text::Base64Size(held_))));
    held_ = 0;
  }

  OutputFile& out_;
  std::array<std::uint8_t, 3 * 4096> bytes_{};
  std::size_t held_ = 0;
};

}  // namespace

exchange::FileOutcome WritePage(std::span<const PageMotion> motions, const std::string& path) {
  OutputFile out;
  if (!out.Open(path)) return exchange::CannotOpen(out);
  for (const std::string_view piece : PageHead()) out.Write(piece);

  out.Write("<script type=\"application/json\" id=\"zar-inputs\">");
  out.Write(Header(motions));
  out.Write("</script>\n");
  for (std::size_t i = 0; i < motions.size(); ++i) {
    out.Write("<script type=\"text/plain\" id=\"zar-positions-" + std::to_string(i) + "\">");
    Base64Floats base64(out);
    for (const float value : motions[i].positions) base64.Add(value);
    base64.Finish();
    out.Write("</script>\n");
  }

  for (const std::string_view piece : PageTail()) out.Write(piece);
  return exchange::Commit(out);
}

}  // namespace zar::viewer
