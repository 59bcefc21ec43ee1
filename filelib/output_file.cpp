#include "filelib/output_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace zar {
namespace {

// A name beside `target` that no other writer is likely to pick at the same time.
std::string TemporaryName(const std::string& target, int attempt) {
  static std::atomic<std::uint64_t> counter{0};
  const auto ticks =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::uint64_t mix = ticks ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL) ^
                      (static_cast<std::uint64_t>(attempt) << 48);
  std::string name = target + ".~";
  for (int i = 0; i < 12; ++i) {
    name += "0123456789abcdef"[mix & 15U];
    mix >>= 4;
  }
  return name + ".tmp";
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Open(const std::string& path) {
  Discard();
  std::error_code error;
  if (path.empty() || std::filesystem::is_directory(path, error)) return false;
  for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
    temporary_ = TemporaryName(path, attempt);
    // "x": never reuse a file that is already there.
    file_ = std::fopen(temporary_.c_str(), "wbx");
    if (file_ == nullptr && errno != EEXIST) break;
  }
  if (file_ == nullptr) {
    temporary_.clear();
    return false;
  }
  target_ = path;
  if (!buffer_) {
    buffer_.reset(new char[kBufferSize]);
    capacity_ = kBufferSize;
  }
  used_ = 0;
  failed_ = false;
  return true;
}

void OutputFile::Flush() {
  if (used_ == 0) return;
  if (file_ == nullptr || std::fwrite(buffer_.get(), 1, used_, file_) != used_) failed_ = true;
  used_ = 0;
}

char* OutputFile::Reserve(std::size_t size) {
  if (capacity_ - used_ < size) {
    Flush();
    if (capacity_ < size) {
      buffer_.reset(new char[size]);
      capacity_ = size;
    }
  }
  return buffer_.get() + used_;
}

void OutputFile::Write(std::string_view text) {
  char* place = Reserve(text.size());
  std::memcpy(place, text.data(), text.size());
  used_ += text.size();
}

bool OutputFile::Commit() {
  if (file_ == nullptr) return false;
  Flush();
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  std::error_code error;
  if (!failed_) {
    // Keep the permissions of a file that is being replaced.
    const auto status = std::filesystem::status(target_, error);
    if (!error && std::filesystem::exists(status)) {
      std::filesystem::permissions(temporary_, status.permissions(), error);
    }
    error.clear();
    std::filesystem::rename(temporary_, target_, error);
    if (error) failed_ = true;
  }
  if (failed_) {
    std::filesystem::remove(temporary_, error);
  }
  temporary_.clear();
  used_ = 0;
  return !failed_;
}

void OutputFile::Discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    std::error_code error;
    std::filesystem::remove(temporary_, error);
    temporary_.clear();
  }
  used_ = 0;
}

}  // namespace zar
