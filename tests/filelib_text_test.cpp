// Numbers, lines and atomic output of the file library.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "atomic_file/output_file.h"
#include "filelib/line_reader.h"
#include "filelib/number_text.h"
#include "filelib_test_support.h"
#include "line_batches_test_support.h"

namespace zar {
namespace {

// The C library in the C locale is the reference for every number read and written.
double CStrtod(const std::string& text, std::size_t& used) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  used = static_cast<std::size_t>(end - text.c_str());
  return value;
}

void ExpectSameAsStrtod(const std::string& text) {
  std::size_t used = 0;
  const double expected = CStrtod(text, used);
  const ParsedReal got = ParseRealPrefix(text.data(), text.data() + text.size());
  SCOPED_TRACE("text \"" + text + "\"");
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(got.value));
    EXPECT_EQ(std::signbit(expected), std::signbit(got.value));
  } else {
    EXPECT_EQ(expected, got.value);
    EXPECT_EQ(std::signbit(expected), std::signbit(got.value));
  }
  // strtod reports no number as "nothing used"; so does ParseRealPrefix.
  EXPECT_EQ(used, static_cast<std::size_t>(got.end - text.data()));
}

TEST(NumberText, RealsReadAsAtof) {
  for (const char* text : {"0",
                           "1",
                           "-1",
                           "+2.5",
                           "  \t\v\f\r\n42",
                           "3.25abc",
                           "1e5",
                           "1E-3",
                           "1e",
                           "1e+",
                           "-.5",
                           ".5",
                           "5.",
                           ".",
                           "-",
                           "+",
                           "",
                           "abc",
                           "- 5",
                           "+-5",
                           "-+5",
                           "--5",
                           "++5",
                           "inf",
                           "-INF",
                           "Infinity",
                           "infin",
                           "nan",
                           "-NaN",
                           "NAN(123)",
                           "nan(",
                           "0x1A",
                           "-0x1p3",
                           "0X.8p1",
                           "0x",
                           "0xg",
                           "0x.p1",
                           "0x1p99999",
                           "0x1p-99999",
                           "1e400",
                           "-1e400",
                           "1e-400",
                           "-1e-400",
                           "1e-320",
                           "2e-324",
                           "4.9e-324",
                           "123456789012345678901234567890",
                           "0.000000000000000000000000000000000000000000001e-300",
                           "1.7976931348623157e308",
                           "1.7976931348623159e308",
                           "00012.50",
                           "1,5",
                           "1.2.3",
                           "-0",
                           "-0.0e-5",
                           "1e99999999999999999999",
                           "99999999999999999999e-99999999999999999999"}) {
    ExpectSameAsStrtod(text);
  }
}

TEST(NumberText, RandomRealTextsReadAsAtof) {
  // Texts assembled from the pieces numbers are made of, in random order.
  const std::vector<std::string> pieces = {"0", "1", "7",  "9", ".", "e", "E", "-",  "+",  "x",
                                           "p", " ", "\t", "a", "f", "n", "i", "00", "5e3"};
  std::mt19937 random(12345);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 8);
    for (int i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
    ExpectSameAsStrtod(text);
  }
}

TEST(NumberText, RandomDecimalsReadAsAtof) {
  // The shapes real files hold: fixed and exponent notation at every precision, and long runs
  // of digits on both sides of the fast path's limits (19 digits, 2^53, 10^22).
  std::mt19937_64 random(2024);
  std::uniform_real_distribution<double> exponent(-30.0, 30.0);
  char text[400];
  for (int round = 0; round < 200000; ++round) {
    const double magnitude = std::pow(10.0, exponent(random));
    const double value = (random() & 1U) != 0 ? magnitude : -magnitude;
    const int precision = static_cast<int>(random() % 18);
    switch (round % 3) {
      case 0:
        std::snprintf(text, sizeof text, "%.*f", precision, value);
        break;
      case 1:
        std::snprintf(text, sizeof text, "%.*E", precision, value);
        break;
      default: {
        std::string digits;
        const int count = 1 + static_cast<int>(random() % 24);
        const int point = static_cast<int>(random() % static_cast<unsigned>(count + 1));
        for (int i = 0; i < count; ++i) {
          if (i == point) digits.push_back('.');
          digits.push_back(static_cast<char>('0' + random() % 10));
        }
        std::snprintf(text, sizeof text, "%s%se%d", (random() & 1U) != 0 ? "-" : "", digits.c_str(),
                      static_cast<int>(random() % 60) - 30);
        break;
      }
    }
    ExpectSameAsStrtod(text);
  }
  for (const char* edge :
       {"9007199254740992", "9007199254740993", "9007199254740993e-22", "1234567890123456789",
        "12345678901234567890", "1e22", "1e23", "4.5e-22", "4.5e-23", "0.0000000000000000000001",
        "1.e5", "1.5e", "1.5e+", "1.5e-x", "2E-0", "-0.000000"}) {
    ExpectSameAsStrtod(edge);
  }
}

TEST(NumberText, IntegersReadAsAtoi) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  for (const Case& c : std::vector<Case>{{"0", 0},
                                         {"42", 42},
                                         {"-17", -17},
                                         {"+8", 8},
                                         {" \t 12", 12},
                                         {"12.9", 12},
                                         {"-12.9", -12},
                                         {"1e3", 1},
                                         {"abc", 0},
                                         {"", 0},
                                         {"-", 0},
                                         {"- 4", 0},
                                         {"2147483647", 2147483647},
                                         {"-2147483648", -2147483647 - 1},
                                         // The unsigned text a writer gives to -1 reads back.
                                         {"4294967295", -1},
                                         {"4294967296", 0},
                                         // Beyond 64 bits strtol saturates; the low bits stay.
                                         {"99999999999999999999", -1},
                                         {"-99999999999999999999", 0}}) {
    EXPECT_EQ(c.value, ParseInt(c.text)) << "text \"" << c.text << "\"";
  }
}

std::string Printf(double value, int precision) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.*f", precision, value);
  return buffer;
}

std::string Format(double value, int precision) {
  std::string text;
  AppendFixed(text, value, precision);
  return text;
}

TEST(NumberText, FixedPointIsByteIdenticalToPrintf) {
  const double specials[] = {0.0078125, 9223372036854775807.0, 9223372036854775808.0,
                             4503599627370495.5, 0.0, -0.0, 1.0, -1.0, 0.5, 1.5, 2.5, 0.125, 0.375,
                             1e-7, -1e-7, 5e-7, 0.0000005, 123.4565, 1e300, -1e308, 4.9e-324, 1e22,
                             NAN, -NAN, INFINITY, -INFINITY, 57.29577951308232, 0.1 + 0.2,
                             // Six decimals either side of 1000, where the integer part stops
                             // being looked up whole, and carries into the next integer.
                             999.9999994, 999.9999996, -999.9999996, 999.999999, 1000.0000004,
                             99.9999996, 9.9999996, 0.9999996};
  for (const double value : specials) {
    for (const int precision : {0, 1, 2, 6, 9, 17}) {
      EXPECT_EQ(Printf(value, precision), Format(value, precision)) << value;
    }
  }
  std::mt19937_64 random(99);
  std::uniform_real_distribution<double> exponent(-30.0, 22.0);
  for (int round = 0; round < 100000; ++round) {
    const double magnitude = std::pow(10.0, exponent(random));
    const double value = (random() & 1U) != 0 ? magnitude : -magnitude;
    for (const int precision : {1, 2, 6, 9}) {
      ASSERT_EQ(Printf(value, precision), Format(value, precision)) << value;
    }
  }
  // Dyadic values: exact halves at the last digit (1/128 is 0.0078125) must round to even.
  for (int round = 0; round < 100000; ++round) {
    const auto numerator = static_cast<double>(random() % 100000000);
    const double value = std::ldexp(numerator, -static_cast<int>(random() % 40));
    for (const int precision : {1, 2, 6}) {
      ASSERT_EQ(Printf(value, precision), Format(value, precision)) << value;
      ASSERT_EQ(Printf(-value, precision), Format(-value, precision)) << -value;
    }
  }
  // Values next to a half at the last digit, where one rounded multiplication cannot tell the
  // side: the few doubles around (n + 1/2) / 10^6.
  for (int round = 0; round < 20000; ++round) {
    double value = (static_cast<double>(random() % 2000000000) + 0.5) / 1e6;
    for (int step = 0; step < 4; ++step) value = std::nextafter(value, 0.0);
    for (int step = 0; step < 8; ++step, value = std::nextafter(value, 1e300)) {
      ASSERT_EQ(Printf(value, 6), Format(value, 6)) << value;
    }
  }
  // Every bit pattern class: subnormals, powers of two around 2^63, the largest doubles.
  for (int round = 0; round < 100000; ++round) {
    std::uint64_t bits = random();
    if (round % 2 == 0) bits = (bits & 0x800FFFFFFFFFFFFFULL) | ((random() % 1200) << 52);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    ASSERT_EQ(Printf(value, 6), Format(value, 6)) << value;
  }
}

// Reads all lines of `bytes` with a small block, so that lines cross block boundaries.
std::vector<std::string> ReadLines(const std::string& bytes, std::size_t block) {
  testing::ScratchFolder folder;
  const std::string file = folder.Write("lines.txt", bytes);
  std::FILE* f = std::fopen(file.c_str(), "rb");
  std::vector<std::string> lines;
  {
    LineReader reader(f, block);
    EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), reader.RemainingBytes());
    std::string_view line;
    while (reader.Next(line)) lines.emplace_back(line);
    EXPECT_FALSE(reader.Failed());
    EXPECT_EQ(0, reader.RemainingBytes());
  }
  std::fclose(f);
  return lines;
}

TEST(LineReader, SplitsLinesWhateverTheirLengthAndEnds) {
  const std::string long_line(100000, 'x');
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"a\nb\n", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\r\nb\r", {"a", "b"}},  // a lone CR at the very end ends the line too
      {"a\rb\n", {"a\rb"}},      // inside a line a lone CR is data
      {"\n\n\r\n", {"", "", ""}},
      {"x\r\r\n", {"x\r"}},
      {long_line + "\r\n" + long_line, {long_line, long_line}},
      {"head\n" + long_line + "\ntail", {"head", long_line, "tail"}},
  };
  for (const Case& c : cases) {
    for (const std::size_t block : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
      EXPECT_EQ(c.lines, ReadLines(c.bytes, block)) << "block " << block;
    }
  }
}

// A line longer than the bound ends the reading at that line, whatever the block size and the
// line end; lines up to the bound, and a CR LF after one, come back whole.
TEST(LineReader, StopsAtALineLongerThanItsBound) {
  constexpr std::size_t kBound = 10;
  const std::string full(kBound, 'x');
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;  // the lines before the stop
    bool too_long;
    std::int64_t line;  // LineNumber when it stops
  };
  const std::vector<Case> cases = {
      {full + "\r\n" + full + "\n" + full, {full, full, full}, false, 3},
      {full + "\r", {full}, false, 1},
      {"a\n" + full + "y\nb\n", {"a"}, true, 2},
      {"a\n" + full + "y", {"a"}, true, 2},
      {full + "yy\r\n", {}, true, 1},
      {"a\nb\n" + std::string(1000, 'z'), {"a", "b"}, true, 3},
  };
  testing::ScratchFolder folder;
  for (const Case& c : cases) {
    for (const std::size_t block : {std::size_t{1}, std::size_t{4}, std::size_t{4096}}) {
      const std::string file = folder.Write("lines.txt", c.bytes);
      std::FILE* f = std::fopen(file.c_str(), "rb");
      ASSERT_NE(nullptr, f);
      std::vector<std::string> lines;
      {
        LineReader reader(f, block, kBound);
        std::string_view line;
        while (reader.Next(line)) lines.emplace_back(line);
        EXPECT_EQ(c.too_long, reader.TooLong()) << c.bytes << " block " << block;
        EXPECT_EQ(c.line, reader.LineNumber()) << c.bytes << " block " << block;
        EXPECT_FALSE(reader.Next(line));
      }
      std::fclose(f);
      EXPECT_EQ(c.lines, lines) << c.bytes << " block " << block;
    }
  }
}

// Without a LineParsing, every line is read on the caller's thread as it is taken.
TEST(LineBatches, GivesEveryLineInOrderOnTheCallersThreadAndPassesOnAFailure) {
  EXPECT_FALSE(testing::CheckLineBatches(nullptr));
}

TEST(OutputFile, ReplacesTheTargetOnlyWhenCommitted) {
  testing::ScratchFolder folder;
  const std::string target = folder.Write("out.txt", "old");
  {
    OutputFile out;
    ASSERT_TRUE(out.Open(target));
    out.Write("new text");
    EXPECT_EQ("old", testing::ReadBytes(target));
    // Abandoned: the target stays and no temporary file is left.
  }
  EXPECT_EQ("old", testing::ReadBytes(target));
  EXPECT_EQ(1U, folder.Count());

  OutputFile out;
  ASSERT_TRUE(out.Open(target));
  const std::string big(3 << 20, 'z');  // more than one buffer
  out.Write(big);
  ASSERT_TRUE(out.Commit());
  EXPECT_EQ(big, testing::ReadBytes(target));
  EXPECT_EQ(1U, folder.Count());
}

TEST(OutputFile, RefusesFoldersAndMissingFolders) {
  testing::ScratchFolder folder;
  OutputFile out;
  EXPECT_FALSE(out.Open(folder.Path().string()));
  EXPECT_FALSE(out.Open(folder.File("no/such/folder/out.txt")));
  EXPECT_FALSE(out.Open(""));
  EXPECT_FALSE(out.Commit());
}

TEST(OutputFile, AFailedWriteIsReportedAndLeavesTheTarget) {
  testing::ScratchFolder folder;
  const std::string target = folder.Write("out.txt", "old");
  const int status = testing::WithFileSizeLimit(4096, [&] {
    OutputFile out;
    if (!out.Open(target)) return 2;
    out.Write(std::string(100000, 'z'));
    return out.Commit() ? 0 : 1;
  });
  EXPECT_EQ(1, status);
  EXPECT_EQ("old", testing::ReadBytes(target));
  EXPECT_EQ(1U, folder.Count());
}

// A writer stopped by a signal in the middle of its file (more than one buffer already written)
// leaves the target as it was and nothing else in the folder.
TEST(OutputFile, AWriterKilledMidWriteLeavesNoTemporaryFile) {
  for (const int sig : {SIGTERM, SIGINT, SIGKILL}) {
    SCOPED_TRACE(sig);
    testing::ScratchFolder folder;
    const std::string target = folder.Write("out.txt", "old");
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(ready[0]);
      OutputFile out;
      if (!out.Open(target)) _exit(2);
      out.Write(std::string(3 << 20, 'z'));
      if (write(ready[1], "w", 1) != 1) _exit(3);
      for (;;) pause();
    }
    close(ready[1]);
    char written = 0;
    ASSERT_EQ(1, read(ready[0], &written, 1));
    close(ready[0]);
    ASSERT_EQ(0, kill(child, sig));
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ("old", testing::ReadBytes(target));
    EXPECT_EQ(1U, folder.Count());
  }
}

}  // namespace
}  // namespace zar
