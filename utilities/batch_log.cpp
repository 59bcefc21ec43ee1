#include "utilities/batch_log.h"

#include <filesystem>
#include <system_error>

namespace zar {

bool BatchLog::Create(const std::string& path) {
  Close();
  std::error_code error;
  if (path.empty() || std::filesystem::is_directory(path, error)) return false;
  file_ = std::fopen(path.c_str(), "wb");
  return file_ != nullptr;
}

void BatchLog::Write(std::string_view text) {
  if (file_ == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), file_);
  std::fflush(file_);
}

void BatchLog::Close() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

}  // namespace zar
