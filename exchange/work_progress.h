#ifndef ZAR_EXCHANGE_WORK_PROGRESS_H_
#define ZAR_EXCHANGE_WORK_PROGRESS_H_

// How far the long reads and writes of the exchange library have come, for a tool that shows
// it: the listener hears the work's name ("reading", "writing") and its percent, on the thread
// that reads or writes, at most once per percent.

#include <cstdint>
#include <functional>
#include <string_view>

namespace zar::exchange {

using ProgressListener = std::function<void(std::string_view work, int percent)>;

// Sets the listener (an empty one: nobody listens) and returns the one it replaces. Set it
// before the work starts, from the thread that starts it.
ProgressListener ListenToProgress(ProgressListener listener);

// Tells the listener that `done` of `total` parts of `work` are done.
void ReportProgress(std::string_view work, std::int64_t done, std::int64_t total);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_WORK_PROGRESS_H_
