#include "atomic_file/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace zar {
namespace {

namespace fs = std::filesystem;

// A name beside `target` that carries this process's id and that no other writer of this
// process is likely to pick at the same time.
std::string TemporaryName(const std::string& target, int attempt) {
  static std::atomic<std::uint64_t> counter{0};
  const auto ticks =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::uint64_t mix = ticks ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL) ^
                      (static_cast<std::uint64_t>(attempt) << 48);
  std::string name = target + ".~" + std::to_string(::getpid()) + ".";
  for (int i = 0; i < 12; ++i) {
    name += "0123456789abcdef"[mix & 15U];
    mix >>= 4;
  }
  return name + ".tmp";
}

// The process id that a leftover temporary name carries after the target's name:
// ".~<pid>.<hex>.tmp" or ".tmp.<pid>"; 0 when `rest` is neither.
long LeftoverWriter(std::string_view rest) {
  std::string_view digits;
  if (rest.starts_with(".~") && rest.ends_with(".tmp")) {
    const std::string_view middle = rest.substr(2, rest.size() - 6);
    digits = middle.substr(0, middle.find('.'));
    if (digits.size() == middle.size()) return 0;
  } else if (rest.starts_with(".tmp.")) {
    digits = rest.substr(5);
  } else {
    return 0;
  }
  long pid = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0) return 0;
  return pid;
}

bool ProcessRuns(long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

// A file without a name in `folder`, open for writing; null where the system cannot make one
// or could not give it a name later. Such a file vanishes with the process however the process
// ends (Ctrl-C, SIGTERM, SIGKILL, a crash), so that an interrupted write leaves nothing behind.
std::FILE* OpenUnnamed(const std::string& folder) {
#ifdef O_TMPFILE
  if (::access("/proc/self/fd", X_OK) != 0) return nullptr;
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
#else
  (void)folder;
  return nullptr;
#endif
}

// Gives the unnamed file `file` a temporary name beside `target`; false with errno set when it
// cannot.
bool NameUnnamed(std::FILE* file, const std::string& target, std::string& temporary) {
  const std::string self = "/proc/self/fd/" + std::to_string(::fileno(file));
  for (int attempt = 0; attempt < 16; ++attempt) {
    temporary = TemporaryName(target, attempt);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return true;
    }
    if (errno != EEXIST) break;
  }
  temporary.clear();
  return false;
}

}  // namespace

bool ResolveLinks(const std::string& path, std::string& resolved) {
  fs::path current(path);
  for (int depth = 0; depth < 40; ++depth) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(current, error))) {
      resolved = current.string();
      return true;
    }
    const fs::path next = fs::read_symlink(current, error);
    if (error) return false;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  errno = ELOOP;
  return false;
}

void RemoveWriteLeftovers(const std::string& target) {
  const fs::path path(target);
  const std::string name = path.filename().string();
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::error_code error;
  fs::directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
  if (error) return;
  const int saved = errno;
  for (; entries != fs::directory_iterator(); entries.increment(error)) {
    if (error) break;
    const std::string entry = entries->path().filename().string();
    if (entry.size() <= name.size() || !entry.starts_with(name)) continue;
    const long pid = LeftoverWriter(std::string_view(entry).substr(name.size()));
    std::error_code ignored;
    if (pid != 0 && !ProcessRuns(pid) && entries->is_regular_file(ignored) &&
        !entries->is_symlink(ignored)) {
      fs::remove(entries->path(), ignored);
    }
  }
  errno = saved;
}

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Fail(int error) {
  if (error_ == 0) error_ = error != 0 ? error : EIO;
  failed_ = true;
  errno = error_;
  return false;
}

bool OutputFile::Open(const std::string& path) {
  Discard();
  error_ = 0;
  failed_ = false;
  target_.clear();
  if (path.empty()) return Fail(ENOENT);
  std::string target;
  if (!ResolveLinks(path, target)) return Fail(errno);
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    // Renaming over a folder, a device or a FIFO would not write into it.
    return Fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  }
  RemoveWriteLeftovers(target);
  const fs::path folder = fs::path(target).parent_path();
  file_ = OpenUnnamed(folder.empty() ? std::string(".") : folder.string());
  for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
    temporary_ = TemporaryName(target, attempt);
    // "x": never reuse a file that is already there.
    file_ = std::fopen(temporary_.c_str(), "wbx");
    if (file_ == nullptr && errno != EEXIST) break;
  }
  if (file_ == nullptr) {
    temporary_.clear();
    return Fail(errno);
  }
  target_ = target;
  if (!buffer_) {
    buffer_.reset(new char[kBufferSize]);
    capacity_ = kBufferSize;
  }
  used_ = 0;
  return true;
}

void OutputFile::Flush() {
  if (used_ == 0) return;
  if (file_ == nullptr || std::fwrite(buffer_.get(), 1, used_, file_) != used_) Fail(errno);
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

bool OutputFile::Commit(bool durable) {
  if (file_ == nullptr) return Fail(error_ != 0 ? error_ : EBADF);
  Flush();
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0) Fail(errno);
  if (durable && !failed_ && ::fsync(::fileno(file_)) != 0) Fail(errno);
  // An unnamed file gets its temporary name only now, just before the rename.
  if (!failed_ && temporary_.empty() && !NameUnnamed(file_, target_, temporary_)) Fail(errno);
  if (std::fclose(file_) != 0) Fail(errno);
  file_ = nullptr;
  std::error_code error;
  if (!failed_) {
    // Keep the permissions of a file that is being replaced.
    const auto status = fs::status(target_, error);
    if (!error && fs::exists(status)) {
      fs::permissions(temporary_, status.permissions(), error);
    }
    error.clear();
    fs::rename(temporary_, target_, error);
    if (error) Fail(error.value());
  }
  if (failed_ && !temporary_.empty()) {
    fs::remove(temporary_, error);
  }
  temporary_.clear();
  used_ = 0;
  if (failed_) errno = error_;
  return !failed_;
}

void OutputFile::Discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    std::error_code error;
    fs::remove(temporary_, error);
    temporary_.clear();
  }
  used_ = 0;
}

}  // namespace zar
