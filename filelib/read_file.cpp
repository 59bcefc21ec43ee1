#include "filelib/read_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace zar {

ReadFile OpenForReading(const std::string& path, int& error) {
  error = 0;
  std::error_code status;
  if (std::filesystem::is_directory(path, status)) {
    error = EISDIR;
    return nullptr;
  }
  ReadFile file(std::fopen(path.c_str(), "rb"));
  if (!file) error = errno != 0 ? errno : EIO;
  return file;
}

int ReadError(std::FILE* file) {
  if (std::ferror(file) == 0) return 0;
  return errno != 0 ? errno : EIO;
}

}  // namespace zar
