#include "exchange/c3d_section_builder.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "exchange/c3d_words.h"

namespace zar::exchange {

namespace {
constexpr std::size_t kBlock = 512;
}  // namespace

void PutC3DWord(unsigned char* p, std::uint32_t value) {
  p[0] = static_cast<unsigned char>(value & 0xFFU);
  p[1] = static_cast<unsigned char>((value >> 8) & 0xFFU);
}

void PutC3DReal(unsigned char* p, float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  PutC3DWord(p, bits & 0xFFFFU);
  PutC3DWord(p + 2, bits >> 16);
}

C3DSectionBuilder::C3DSectionBuilder()
    : bytes_{1, 0x50, 0, static_cast<unsigned char>(C3DProcessor::kIntel)} {}

void C3DSectionBuilder::Group(int id, std::string_view name, std::string_view description,
                              bool locked) {
  Record(-id, name, locked);
  Text(description);
}

std::size_t C3DSectionBuilder::Words(int group, std::string_view name,
                                     const std::vector<std::uint32_t>& values,
                                     std::string_view description) {
  Record(group, name);
  bytes_.push_back(static_cast<unsigned char>(C3DType::kInteger));
  Dimensions(values.size());
  const std::size_t at = bytes_.size();
  for (const std::uint32_t value : values) {
    bytes_.resize(bytes_.size() + 2);
    PutC3DWord(bytes_.data() + bytes_.size() - 2, value);
  }
  Text(description);
  return at;
}

void C3DSectionBuilder::Real(int group, std::string_view name, float value,
                             std::string_view description) {
  Record(group, name);
  bytes_.push_back(static_cast<unsigned char>(C3DType::kFloat));
  bytes_.push_back(0);
  bytes_.resize(bytes_.size() + 4);
  PutC3DReal(bytes_.data() + bytes_.size() - 4, value);
  Text(description);
}

void C3DSectionBuilder::Strings(int group, std::string_view name,
                                const std::vector<std::string>& strings, std::size_t length,
                                std::string_view description) {
  Record(group, name);
  bytes_.push_back(static_cast<unsigned char>(static_cast<std::int8_t>(C3DType::kChar)));
  bytes_.push_back(2);
  bytes_.push_back(static_cast<unsigned char>(length));
  bytes_.push_back(static_cast<unsigned char>(strings.size()));
  for (const std::string& text : strings) {
    std::string padded = text.substr(0, length);
    padded.resize(length, ' ');
    bytes_.insert(bytes_.end(), padded.begin(), padded.end());
  }
  Text(description);
}

void C3DSectionBuilder::Text1(int group, std::string_view name, std::string_view text,
                              std::string_view description) {
  Record(group, name);
  bytes_.push_back(static_cast<unsigned char>(static_cast<std::int8_t>(C3DType::kChar)));
  bytes_.push_back(1);
  bytes_.push_back(static_cast<unsigned char>(text.size()));
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  Text(description);
}

void C3DSectionBuilder::Parameter(int group, const C3DParameter& parameter) {
  Record(group, parameter.name, parameter.locked);
  bytes_.push_back(static_cast<unsigned char>(static_cast<std::int8_t>(parameter.type)));
  bytes_.push_back(static_cast<unsigned char>(parameter.dimensions.size()));
  for (const int dimension : parameter.dimensions) {
    bytes_.push_back(static_cast<unsigned char>(dimension));
  }
  switch (parameter.type) {
    case C3DType::kChar:
      bytes_.insert(bytes_.end(), parameter.text.begin(), parameter.text.end());
      break;
    case C3DType::kByte:
      for (const double value : parameter.numbers) {
        bytes_.push_back(static_cast<unsigned char>(static_cast<int>(value)));
      }
      break;
    case C3DType::kInteger:
      // Signed values and unsigned counts past 32767 alike keep their 16 bits.
      for (const double value : parameter.numbers) {
        bytes_.resize(bytes_.size() + 2);
        PutC3DWord(bytes_.data() + bytes_.size() - 2,
                   static_cast<std::uint32_t>(static_cast<std::int32_t>(value)) & 0xFFFFU);
      }
      break;
    case C3DType::kFloat:
      for (const double value : parameter.numbers) {
        bytes_.resize(bytes_.size() + 4);
        PutC3DReal(bytes_.data() + bytes_.size() - 4, static_cast<float>(value));
      }
      break;
  }
  Text(parameter.description);
}

std::vector<unsigned char> C3DSectionBuilder::Finish() {
  if (link_ != 0) PutC3DWord(bytes_.data() + link_, 0);
  const std::size_t blocks = (bytes_.size() + kBlock - 1) / kBlock;
  bytes_.resize(blocks * kBlock, 0);
  bytes_[2] = static_cast<unsigned char>(std::min<std::size_t>(blocks, 255));
  return std::move(bytes_);
}

void C3DSectionBuilder::Record(int id, std::string_view name, bool locked) {
  Link();
  const auto length = static_cast<int>(std::min<std::size_t>(name.size(), 127));
  bytes_.push_back(static_cast<unsigned char>(static_cast<std::int8_t>(locked ? -length : length)));
  bytes_.push_back(static_cast<unsigned char>(static_cast<std::int8_t>(id)));
  bytes_.insert(bytes_.end(), name.begin(), name.begin() + length);
  link_ = bytes_.size();
  bytes_.resize(bytes_.size() + 2);
}

// The previous record links to the one that starts now.
void C3DSectionBuilder::Link() {
  if (link_ != 0) {
    PutC3DWord(bytes_.data() + link_, static_cast<std::uint32_t>(bytes_.size() - link_));
  }
}

void C3DSectionBuilder::Dimensions(std::size_t count) {
  if (count == 1) {
    bytes_.push_back(0);
  } else {
    bytes_.push_back(1);
    bytes_.push_back(static_cast<unsigned char>(count));
  }
}

void C3DSectionBuilder::Text(std::string_view text) {
  text = text.substr(0, 255);
  bytes_.push_back(static_cast<unsigned char>(text.size()));
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void ContinuedC3DStrings(C3DSectionBuilder& section, int group, std::string_view name,
                         const std::vector<std::string>& strings, std::string_view description) {
  std::size_t length = 1;
  for (const std::string& text : strings) length = std::max(length, text.size());
  length = std::min<std::size_t>(length, 255);
  const std::size_t per_part = std::min<std::size_t>(255, 32000 / length);
  std::size_t part = 1;
  for (std::size_t from = 0; from < strings.size() || part == 1; from += per_part, ++part) {
    const std::size_t to = std::min(strings.size(), from + per_part);
    std::string part_name(name);
    if (part > 1) part_name += std::to_string(part);
    section.Strings(group, part_name,
                    std::vector<std::string>(strings.begin() + static_cast<std::ptrdiff_t>(from),
                                             strings.begin() + static_cast<std::ptrdiff_t>(to)),
                    length, description);
    if (to == strings.size()) break;
  }
}

}  // namespace zar::exchange
