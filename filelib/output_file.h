#ifndef ZAR_FILELIB_OUTPUT_FILE_H_
#define ZAR_FILELIB_OUTPUT_FILE_H_

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace zar {

// A file written completely or not at all. The text goes to a temporary file in the target's
// folder; Commit checks that every byte reached it, closes it and renames it over the target.
// Until then an existing target is untouched, and a failed or abandoned write leaves no
// temporary file behind.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Creates the temporary file for `path`; false when it cannot be created (no such folder, no
  // permission) or when `path` names a folder.
  bool Open(const std::string& path);

  // A place for at least `size` bytes of text; mark how much was used with Advance.
  char* Reserve(std::size_t size);
  void Advance(char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

  void Write(std::string_view text);

  // Finishes the file; false when anything could not be written or the rename failed, and the
  // target is then left as it was.
  bool Commit();

  // Abandons the file: the temporary file is removed and the target left as it was.
  void Discard();

 private:
  void Flush();

  static constexpr std::size_t kBufferSize = std::size_t{1} << 20;

  std::FILE* file_ = nullptr;
  std::string target_;
  std::string temporary_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace zar

#endif  // ZAR_FILELIB_OUTPUT_FILE_H_
