#ifndef ZAR_UTILITIES_BATCH_LOG_H_
#define ZAR_UTILITIES_BATCH_LOG_H_

// The log of a batch conversion. Unlike the converted files it is written as it goes and flushed
// after every line, so that it tells how far a batch got even when the host ends abnormally.

#include <cstdio>
#include <string>
#include <string_view>

namespace zar {

class BatchLog {
 public:
  BatchLog() = default;
  BatchLog(const BatchLog&) = delete;
  BatchLog& operator=(const BatchLog&) = delete;
  ~BatchLog() { Close(); }

  // Creates the log at `path`, replacing an existing one; false when it cannot be created.
  bool Create(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }
  // Writes `text` exactly as given (no formatting) and flushes it. Nothing when not open.
  void Write(std::string_view text);
  void Close();

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace zar

#endif  // ZAR_UTILITIES_BATCH_LOG_H_
