#include "exchange/work_progress.h"

#include <algorithm>
#include <string>
#include <utility>

namespace zar::exchange {

namespace {

struct Listening {
  ProgressListener listener;
  std::string work;  // what was last heard
  int percent = -1;
};

Listening& Current() {
  static Listening listening;
  return listening;
}

}  // namespace

ProgressListener ListenToProgress(ProgressListener listener) {
  Listening& current = Current();
  current.work.clear();
  current.percent = -1;
  return std::exchange(current.listener, std::move(listener));
}

void ReportProgress(std::string_view work, std::int64_t done, std::int64_t total) {
  Listening& current = Current();
  if (!current.listener || total <= 0) return;
  const auto percent = static_cast<int>(std::clamp<std::int64_t>(done * 100 / total, 0, 100));
  if (percent == current.percent && work == current.work) return;
  current.percent = percent;
  current.work = work;
  current.listener(work, percent);
}

}  // namespace zar::exchange
