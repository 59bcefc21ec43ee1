#ifndef ZAR_EXCHANGE_C3D_WORDS_H_
#define ZAR_EXCHANGE_C3D_WORDS_H_

// The numbers of a C3D file as each processor format stores them. This is the one place that
// knows the three formats:
// - Intel: 16-bit words and IEEE single-precision reals, least significant byte first;
// - DEC: words least significant byte first; reals in the DEC F format, whose 16-bit halves
//   come in the opposite order to Intel's and whose exponent is biased by 128 with the binary
//   point before the hidden bit, so a DEC real is a quarter of the IEEE real with the same bits;
// - MIPS: words and IEEE reals, most significant byte first.

#include <cmath>
#include <cstdint>
#include <cstring>

namespace zar::exchange {

enum class C3DProcessor : std::uint8_t {
  kIntel = 84,
  kDec = 85,
  kMips = 86,
};

// "Intel", "DEC" or "MIPS".
const char* C3DProcessorName(C3DProcessor processor);

// Reads the words and reals of one processor format from raw bytes.
class C3DWords {
 public:
  explicit C3DWords(C3DProcessor processor) : processor_(processor) {}

  C3DProcessor Processor() const { return processor_; }

  std::uint16_t Word(const unsigned char* p) const {
    return processor_ == C3DProcessor::kMips ? static_cast<std::uint16_t>(p[0] << 8 | p[1])
                                             : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
  }
  std::int16_t Integer(const unsigned char* p) const { return static_cast<std::int16_t>(Word(p)); }

  // A 32-bit real, exactly (DEC reals below the IEEE single range are kept, not flushed).
  double Real(const unsigned char* p) const {
    switch (processor_) {
      case C3DProcessor::kIntel:
        return IeeeReal(static_cast<std::uint32_t>(p[3]) << 24 |
                        static_cast<std::uint32_t>(p[2]) << 16 |
                        static_cast<std::uint32_t>(p[1]) << 8 | p[0]);
      case C3DProcessor::kMips:
        return IeeeReal(static_cast<std::uint32_t>(p[0]) << 24 |
                        static_cast<std::uint32_t>(p[1]) << 16 |
                        static_cast<std::uint32_t>(p[2]) << 8 | p[3]);
      case C3DProcessor::kDec:
        return DecReal(static_cast<std::uint32_t>(p[1]) << 24 |
                       static_cast<std::uint32_t>(p[0]) << 16 |
                       static_cast<std::uint32_t>(p[3]) << 8 | p[2]);
    }
    return 0.0;
  }

  static double IeeeReal(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return static_cast<double>(value);
  }

  // Sign, 8-bit exponent biased by 128, 23-bit fraction of 0.1fff...; an exponent of 0 is zero
  // (with the sign set it is the reserved operand, read as zero too).
  static double DecReal(std::uint32_t bits) {
    const auto exponent = static_cast<int>((bits >> 23) & 0xFFU);
    if (exponent == 0) return 0.0;
    const double magnitude =
        std::ldexp(static_cast<double>((bits & 0x7FFFFFU) | 0x800000U), exponent - 152);
    return (bits >> 31) != 0 ? -magnitude : magnitude;
  }

 private:
  C3DProcessor processor_;
};

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_C3D_WORDS_H_
