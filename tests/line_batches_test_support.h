#ifndef ZAR_TESTS_LINE_BATCHES_TEST_SUPPORT_H_
#define ZAR_TESTS_LINE_BATCHES_TEST_SUPPORT_H_

// The check every way of reading line batches passes: lines reach the handler one by one in the
// order they were taken, each with its own values, and a handler that throws stops the reading
// with its exception.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "filelib/line_batches.h"

namespace zar::testing {

// Reads 30000 numbered lines through LineBatches with `parsing` (null: on this thread), with
// the handler throwing at no line, the first and a late one. Answers whether any line was read
// on another thread than this one (which a LineParsing with threads may still leave undone on
// small batches: its second thread may start after the calling thread has read them all).
inline bool CheckLineBatches(LineParsing* parsing) {
  struct Handler {
    using Tag = int;
    using Value = long;
    void Parse(std::string_view text, const int& tag, long* values) const {
      values[0] = std::stol(std::string(text));
      values[1] = tag;
      if (std::this_thread::get_id() != reader) elsewhere = true;
    }
    bool Give(const int& tag, const long* values) {
      if (tag == throw_at) throw std::runtime_error("full");
      given.push_back({values[0], values[1]});
      return true;
    }
    int throw_at = -1;
    std::vector<std::pair<long, long>> given;
    std::thread::id reader = std::this_thread::get_id();
    // Set from other threads only after the batch they read was handed to them and read before
    // it is given, so reading it here is ordered by the handover.
    mutable bool elsewhere = false;
  };
  bool elsewhere = false;
  for (const int throw_at : {-1, 0, 9999}) {
    Handler handler;
    handler.throw_at = throw_at;
    bool threw = false;
    try {
      LineBatches<Handler> batches(handler, 2, 64, parsing);
      for (int i = 0; i < 30000; ++i) batches.Add(std::to_string(7 * i), i);
      batches.Drain();
    } catch (const std::runtime_error&) {
      threw = true;
    }
    EXPECT_EQ(throw_at >= 0, threw) << throw_at;
    const std::size_t expected = throw_at >= 0 ? static_cast<std::size_t>(throw_at) : 30000;
    EXPECT_EQ(expected, handler.given.size()) << throw_at;
    for (std::size_t i = 0; i < std::min(expected, handler.given.size()); ++i) {
      EXPECT_EQ(std::make_pair(7 * static_cast<long>(i), static_cast<long>(i)), handler.given[i])
          << i;
      if (handler.given[i] != std::make_pair(7 * static_cast<long>(i), static_cast<long>(i))) {
        break;
      }
    }
    elsewhere = elsewhere || handler.elsewhere;
  }
  return elsewhere;
}

}  // namespace zar::testing

#endif  // ZAR_TESTS_LINE_BATCHES_TEST_SUPPORT_H_
