#include "exchange/gltf_document.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "atomic_file/output_file.h"
#include "exchange/exchange_messages.h"
#include "exchange/work_progress.h"
#include "filelib/file_messages.h"
#include "text/base64.h"

namespace zar::exchange {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the buffer is written as the floats lie in memory");

constexpr int kFloat = 5126;
constexpr int kUnsignedShort = 5123;
constexpr const char* kTypes[] = {"", "SCALAR", "VEC2", "VEC3", "VEC4"};
constexpr std::size_t kChunk = 3 * 65536;  // bytes handed to the file at a time
constexpr std::string_view kDataUri = "data:application/octet-stream;base64,";

// Base64 text of a byte stream handed over in pieces of any size.
class Base64Writer {
 public:
  explicit Base64Writer(OutputFile& out) : out_(out) {}

  void Put(const unsigned char* data, std::size_t size) {
    while (size > 0 && held_ > 0 && held_ < 3) {
      carry_[held_++] = *data++;
      --size;
    }
    if (held_ == 3) {
      Encode(carry_, 3);
      held_ = 0;
    }
    const std::size_t whole = size - size % 3;
    for (std::size_t done = 0; done < whole; done += kChunk) {
      Encode(data + done, std::min(kChunk, whole - done));
    }
    for (std::size_t i = whole; i < size; ++i) carry_[held_++] = data[i];
  }

  // Writes the bytes still held, padded with '='.
  void Finish() {
    if (held_ == 0) return;
    out_.Advance(text::EncodeBase64(carry_, held_, out_.Reserve(4)));
    held_ = 0;
  }

 private:
  // `size` is a multiple of 3.
  void Encode(const unsigned char* data, std::size_t size) {
    out_.Advance(text::EncodeBase64(data, size, out_.Reserve(text::Base64Size(size))));
  }

  OutputFile& out_;
  unsigned char carry_[3] = {};
  std::size_t held_ = 0;
};

void PutWord(std::string& text, std::uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) text += static_cast<char>((word >> shift) & 0xFF);
}

}  // namespace

GltfDocument::GltfDocument() {
  top_["asset"] = {{"version", "2.0"}, {"generator", "zarfileio convert"}};
}

int GltfDocument::AddFloats(std::vector<float> values, int components, int target) {
  const int accessor = Describe(values, components, target);
  const std::size_t count = values.size();
  blocks_.push_back({std::move(values), nullptr, count, {}});
  return accessor;
}

int GltfDocument::AddFloats(const std::vector<float>& values, FloatMaker remake, int components,
                            int target) {
  const int accessor = Describe(values, components, target);
  blocks_.push_back({{}, std::move(remake), values.size(), {}});
  return accessor;
}

int GltfDocument::Describe(const std::vector<float>& values, int components, int target) {
  const std::size_t count = values.size() / static_cast<std::size_t>(components);
  const auto width = static_cast<std::size_t>(components);
  std::vector<float> low(width, 0.0F);
  std::vector<float> high(width, 0.0F);
  if (count > 0) {
    std::copy_n(values.begin(), width, low.begin());
    std::copy_n(values.begin(), width, high.begin());
  }
  for (std::size_t i = 0; i < values.size(); i += width) {
    for (std::size_t c = 0; c < width; ++c) {
      low[c] = std::min(low[c], values[i + c]);
      high[c] = std::max(high[c], values[i + c]);
    }
  }
  return View(values.size() * sizeof(float), target,
              {{"componentType", kFloat},
               {"count", count},
               {"type", kTypes[components]},
               {"min", low},
               {"max", high}});
}

int GltfDocument::View(std::size_t bytes, int target, Json accessor) {
  Json view = {{"buffer", 0}, {"byteOffset", buffer_bytes_}, {"byteLength", bytes}};
  if (target != 0) view["target"] = target;
  views_.push_back(std::move(view));
  Json described = {{"bufferView", views_.size() - 1}};
  for (auto& [key, value] : accessor.items()) described[key] = std::move(value);
  accessors_.push_back(std::move(described));
  buffer_bytes_ += bytes;
  return static_cast<int>(accessors_.size() - 1);
}

int GltfDocument::AddUnsignedShorts(const std::vector<std::uint16_t>& values, int components,
                                    int target) {
  Block block;
  block.bytes.assign(reinterpret_cast<const char*>(values.data()), values.size() * 2);
  block.bytes.resize((block.bytes.size() + 3) / 4 * 4, '\0');  // the next view stays aligned
  const std::size_t bytes = block.bytes.size();
  blocks_.push_back(std::move(block));
  const int accessor = View(values.size() * 2, target,
                            {{"componentType", kUnsignedShort},
                             {"count", values.size() / static_cast<std::size_t>(components)},
                             {"type", kTypes[components]}});
  buffer_bytes_ += bytes - values.size() * 2;
  return accessor;
}

int GltfDocument::AddMatrices(std::vector<float> values) {
  const std::size_t count = values.size() / 16;
  const int accessor = View(values.size() * sizeof(float), 0,
                            {{"componentType", kFloat}, {"count", count}, {"type", "MAT4"}});
  blocks_.push_back({std::move(values), nullptr, count * 16, {}});
  return accessor;
}

FileOutcome GltfDocument::Write(const std::string& path, bool binary) {
  if (!accessors_.empty()) {
    top_["accessors"] = std::move(accessors_);
    top_["bufferViews"] = std::move(views_);
    top_["buffers"] = Json::array({{{"byteLength", buffer_bytes_}}});
    if (!binary) top_["buffers"][0]["uri"] = kDataUri;
  }
  // Names are kept as they are; bytes that are not UTF-8 become U+FFFD, so the JSON stays valid.
  std::string json = top_.dump(-1, ' ', false, Json::error_handler_t::replace);

  std::string head;
  if (binary) json.append((4 - json.size() % 4) % 4, ' ');
  std::size_t split = json.size();  // where the buffer goes: after the JSON, or into its "uri"
  if (binary) {
    const std::uint64_t total = 12 + 8 + json.size() + (blocks_.empty() ? 0 : 8 + buffer_bytes_);
    if (total > std::numeric_limits<std::uint32_t>::max())
      return FileOutcome::NotWritable(std::string(messages::kGlbSize));
    PutWord(head, 0x46546C67);  // "glTF"
    PutWord(head, 2);
    PutWord(head, static_cast<std::uint32_t>(total));
    PutWord(head, static_cast<std::uint32_t>(json.size()));
    PutWord(head, 0x4E4F534A);  // "JSON"
  } else if (!blocks_.empty()) {
    const std::string field = "\"uri\":\"" + std::string(kDataUri);
    split = json.find(field) + field.size();
  }

  OutputFile out;
  if (!out.Open(path)) return CannotOpen(out);
  out.Write(head);
  out.Write(std::string_view(json).substr(0, split));
  if (binary && !blocks_.empty()) {
    std::string chunk;
    PutWord(chunk, static_cast<std::uint32_t>(buffer_bytes_));
    PutWord(chunk, 0x004E4942);  // "BIN\0"
    out.Write(chunk);
  }
  Base64Writer base64(out);
  std::vector<float> remade;
  std::size_t written = 0;
  for (const Block& part : blocks_) {
    ReportProgress("writing", static_cast<std::int64_t>(written++),
                   static_cast<std::int64_t>(blocks_.size()));
    if (part.values.empty() && !part.remake) {
      const auto* raw = reinterpret_cast<const unsigned char*>(part.bytes.data());
      if (binary) {
        out.Write(part.bytes);
      } else {
        base64.Put(raw, part.bytes.size());
      }
      continue;
    }
    const std::vector<float>* values = &part.values;
    if (part.remake) {
      part.remake(remade);
      // Fewer or more floats than described would leave every later offset wrong.
      if (remade.size() != part.count) throw std::logic_error("glTF floats remade differently");
      values = &remade;
    }
    const std::vector<float>& block = *values;
    const auto* bytes = reinterpret_cast<const unsigned char*>(block.data());
    const std::size_t size = block.size() * sizeof(float);
    if (!binary) {
      base64.Put(bytes, size);
      continue;
    }
    for (std::size_t done = 0; done < size; done += kChunk) {
      const std::size_t n = std::min(kChunk, size - done);
      out.Write(std::string_view(reinterpret_cast<const char*>(bytes + done), n));
    }
  }
  base64.Finish();
  out.Write(std::string_view(json).substr(split));
  return Commit(out);
}

}  // namespace zar::exchange
