// Text made on several threads comes out in item order, an exception in one block stops the
// work and reaches the caller, and the progress of the writing is heard in order up to 100%.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "atomic_file/output_file.h"
#include "exchange/ordered_blocks.h"
#include "exchange/work_progress.h"
#include "filelib_test_support.h"

namespace zar::exchange {
namespace {

std::string Lines(std::int64_t from, std::int64_t to) {
  std::string text;
  for (std::int64_t i = from; i < to; ++i) text += std::to_string(i) + "\n";
  return text;
}

TEST(OrderedBlocks, TextInItemOrderFromEveryThreadCount) {
  testing::ScratchFolder folder;
  for (const unsigned threads : {1U, 2U, 5U}) {
    std::vector<std::pair<std::string, int>> heard;
    const ProgressListener before = ListenToProgress(
        [&heard](std::string_view work, int percent) { heard.emplace_back(work, percent); });
    OutputFile out;
    ASSERT_TRUE(out.Open(folder.File("rows.txt")));
    WriteInOrder(
        out, 1000, 7,
        [](std::int64_t from, std::int64_t to, TextBlock& text) { text.Write(Lines(from, to)); },
        threads);
    ASSERT_TRUE(out.Commit());
    ListenToProgress(before);
    std::ifstream in(folder.File("rows.txt"));
    std::stringstream written;
    written << in.rdbuf();
    EXPECT_EQ(Lines(0, 1000), written.str()) << threads << " threads";
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(std::make_pair(std::string("writing"), 100), heard.back());
    for (std::size_t i = 1; i < heard.size(); ++i) {
      EXPECT_LT(heard[i - 1].second, heard[i].second) << threads << " threads";
    }
  }
}

TEST(OrderedBlocks, AFailingBlockStopsTheWorkAndReachesTheCaller) {
  testing::ScratchFolder folder;
  for (const unsigned threads : {1U, 2U, 4U}) {
    OutputFile out;
    ASSERT_TRUE(out.Open(folder.File("rows.txt")));
    const auto make = [](std::int64_t from, std::int64_t to, TextBlock& text) {
      if (from <= 500 && 500 < to) throw std::runtime_error("block 500");
      text.Write(Lines(from, to));
    };
    EXPECT_THROW(WriteInOrder(out, 100000, 10, make, threads), std::runtime_error) << threads;
  }
}

}  // namespace
}  // namespace zar::exchange
