#include "text/base64.h"

#include <array>
#include <cstdint>

namespace zar::text {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of each base64 character, 64 for any other byte.
constexpr std::array<std::uint8_t, 256> DecodeTable() {
  std::array<std::uint8_t, 256> table{};
  for (auto& v : table) v = 64;
  for (std::uint8_t i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
  return table;
}
constexpr std::array<std::uint8_t, 256> kDecode = DecodeTable();

// The bits a character contributes to its group of three bytes at each of the four positions
// (`position`), or kBad for a byte that is not a base64 character; one lookup per character and
// one test per group.
constexpr std::uint32_t kBad = 0x01000000;
constexpr std::array<std::uint32_t, 256> PlacedTable(int position) {
  std::array<std::uint32_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    const std::uint32_t v = kDecode[static_cast<std::size_t>(c)];
    table[static_cast<std::size_t>(c)] = v == 64 ? kBad : v << (18 - 6 * position);
  }
  return table;
}
constexpr std::array<std::array<std::uint32_t, 256>, 4> kPlaced = {PlacedTable(0), PlacedTable(1),
                                                                   PlacedTable(2), PlacedTable(3)};

// Two base64 characters for each 12 bits.
constexpr std::array<std::array<char, 2>, 4096> PairTable() {
  std::array<std::array<char, 2>, 4096> table{};
  for (std::size_t v = 0; v < 4096; ++v) table[v] = {kAlphabet[v >> 6], kAlphabet[v & 63]};
  return table;
}
constexpr std::array<std::array<char, 2>, 4096> kPairs = PairTable();

}  // namespace

char* EncodeBase64(const unsigned char* in, std::size_t size, char* o) {
  std::size_t i = 0;
  for (; i + 3 <= size; i += 3, o += 4) {
    const std::uint32_t v =
        (std::uint32_t{in[i]} << 16) | (std::uint32_t{in[i + 1]} << 8) | in[i + 2];
    const auto& high = kPairs[v >> 12];
    const auto& low = kPairs[v & 4095];
    o[0] = high[0];
    o[1] = high[1];
    o[2] = low[0];
    o[3] = low[1];
  }
  if (const std::size_t rest = size - i; rest > 0) {
    const std::uint32_t v =
        (std::uint32_t{in[i]} << 16) | (rest == 2 ? std::uint32_t{in[i + 1]} << 8 : 0U);
    *o++ = kAlphabet[v >> 18];
    *o++ = kAlphabet[(v >> 12) & 63];
    *o++ = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    *o++ = '=';
  }
  return o;
}

void AppendBase64(std::string_view bytes, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + Base64Size(bytes.size()));
  EncodeBase64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
               out.data() + start);
}

bool DecodeBase64(std::string_view text, std::string& bytes) {
  bytes.clear();
  if (text.size() % 4 != 0) return false;
  std::size_t padding = 0;
  if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
  bytes.resize(text.size() / 4 * 3 - padding);
  auto* out = reinterpret_cast<unsigned char*>(bytes.data());
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t full = padding == 0 ? text.size() : text.size() - 4;
  std::size_t o = 0;
  for (std::size_t i = 0; i < full; i += 4) {
    const std::uint32_t v =
        kPlaced[0][in[i]] | kPlaced[1][in[i + 1]] | kPlaced[2][in[i + 2]] | kPlaced[3][in[i + 3]];
    if ((v & kBad) != 0) return false;
    out[o++] = static_cast<unsigned char>(v >> 16);
    out[o++] = static_cast<unsigned char>(v >> 8);
    out[o++] = static_cast<unsigned char>(v);
  }
  if (padding != 0) {
    const std::uint32_t a = kDecode[in[full]], b = kDecode[in[full + 1]];
    const std::uint32_t c = padding == 1 ? kDecode[in[full + 2]] : 0;
    if ((a | b | c) & 64) return false;
    const std::uint32_t v = (a << 18) | (b << 12) | (c << 6);
    out[o++] = static_cast<unsigned char>(v >> 16);
    if (padding == 1) out[o++] = static_cast<unsigned char>(v >> 8);
  }
  return true;
}

}  // namespace zar::text
