#include "cli/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace zar::cli {
namespace {

std::string ErrorText(int error) { return std::strerror(error); }

// What kind of non-regular file `mode` describes, as a reader of the message calls it.
const char* KindName(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a plain file";
}

// Opens and closes a regular file; the error number when that fails, 0 when it works.
int OpenError(const std::string& path) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return errno;
  ::close(descriptor);
  return 0;
}

std::string SizeText(std::uintmax_t bytes) {
  constexpr std::uintmax_t kMegabyte = std::uintmax_t{1} << 20;
  if (bytes >= kMegabyte) return std::to_string(bytes / kMegabyte) + " MB";
  return std::to_string(bytes) + " bytes";
}

// MemAvailable of /proc/meminfo in bytes; 0 when it cannot be read.
std::uintmax_t AvailableMemory() {
  std::ifstream meminfo("/proc/meminfo");
  for (std::string line; std::getline(meminfo, line);) {
    if (line.rfind("MemAvailable:", 0) != 0) continue;
    std::istringstream fields(line.substr(13));
    std::uintmax_t kilobytes = 0;
    if (fields >> kilobytes) return kilobytes * 1024;
  }
  const long pages = ::sysconf(_SC_AVPHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGESIZE);
  if (pages > 0 && page_size > 0) {
    return static_cast<std::uintmax_t>(pages) * static_cast<std::uintmax_t>(page_size);
  }
  return 0;
}

}  // namespace

std::string CheckInputFile(const std::string& path, std::uintmax_t maxBytes) {
  struct stat info {};
  if (path.empty()) return ErrorText(ENOENT);
  if (::stat(path.c_str(), &info) != 0) return ErrorText(errno);
  if (!S_ISREG(info.st_mode))
    return std::string("not a regular file (") + KindName(info.st_mode) + ")";
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
    return "larger than " + SizeText(maxBytes);
  if (const int error = OpenError(path); error != 0) return ErrorText(error);
  return "";
}

std::string SystemReason(const std::string& path) {
  struct stat info {};
  if (path.empty()) return ErrorText(ENOENT);
  if (::stat(path.c_str(), &info) != 0) return ErrorText(errno);
  if (S_ISDIR(info.st_mode)) return ErrorText(EISDIR);
  if (S_ISREG(info.st_mode)) {
    const int error = OpenError(path);
    return error == 0 ? "" : ErrorText(error);
  }
  // Never open anything else here (a FIFO would block): ask for permission only.
  if (::access(path.c_str(), R_OK) != 0) return ErrorText(errno);
  return "";
}

std::uintmax_t DocumentSizeBound() {
  constexpr std::uintmax_t kFourGigabytes = std::uintmax_t{4} << 30;
  const std::uintmax_t available = AvailableMemory();
  return available == 0 ? kFourGigabytes : std::min(kFourGigabytes, available);
}

}  // namespace zar::cli
