// Line batches read on two threads give the same lines in the same order as on one, pass on a
// handler's exception, and do read on a second thread.

#include <gtest/gtest.h>

#include "exchange/threaded_line_parsing.h"
#include "line_batches_test_support.h"

namespace zar::exchange {
namespace {

TEST(ThreadedLineParsing, GivesEveryLineInOrderReadOnASecondThreadAndPassesOnAFailure) {
  ThreadedLineParsing parsing;
  EXPECT_TRUE(testing::CheckLineBatches(&parsing));
}

}  // namespace
}  // namespace zar::exchange
