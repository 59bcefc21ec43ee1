#ifndef ZAR_ATOMIC_FILE_OUTPUT_FILE_H_
#define ZAR_ATOMIC_FILE_OUTPUT_FILE_H_

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
//
// Where the system allows, the temporary file has no name until Commit: a process that is
// interrupted or killed while it writes leaves nothing in the folder. Elsewhere it is named
// from the start.
//
// A target that is a symbolic link is written through: the file the link points to is
// replaced and the link stays. The temporary file is named "<target>.~<pid>.<hex>.tmp" after
// the writing process, so that Open can remove the leftovers of earlier writers to the same
// target that were killed before they could clean up (their process no longer runs).
//
// When Open or Commit fails, SystemError() (and errno, on return) holds the system's reason.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Creates the temporary file for `path`; false when it cannot be created (no such folder, no
  // permission) or when `path` names a folder or anything else that is not a regular file.
  bool Open(const std::string& path);

  // The file that Commit replaces: `path` with its symbolic links resolved.
  const std::string& Target() const { return target_; }

  // A place for at least `size` bytes of text; mark how much was used with Advance.
  char* Reserve(std::size_t size);
  void Advance(char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

  void Write(std::string_view text);

  // Finishes the file; false when anything could not be written or the rename failed, and the
  // target is then left as it was. With `durable`, the data reaches the disk before the rename.
  bool Commit(bool durable = false);

  // The errno value of the first failure of Open or Commit, 0 when none.
  int SystemError() const { return error_; }

  // Abandons the file: the temporary file is removed and the target left as it was.
  void Discard();

 private:
  void Flush();
  bool Fail(int error);

  static constexpr std::size_t kBufferSize = std::size_t{1} << 20;

  std::FILE* file_ = nullptr;
  std::string target_;
  std::string temporary_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
  bool failed_ = false;
  int error_ = 0;
};

// `path` with every symbolic link along the final name followed (the last target need not exist
// yet): the file that a write to `path` replaces. `path` itself when it is no link; false after
// too many links (a loop), with errno set.
bool ResolveLinks(const std::string& path, std::string& resolved);

// Removes the temporary files of earlier writes to `target` (named as OutputFile names them, or
// "<target>.tmp.<pid>") whose writing process no longer runs. Files of running writers stay.
void RemoveWriteLeftovers(const std::string& target);

}  // namespace zar

#endif  // ZAR_ATOMIC_FILE_OUTPUT_FILE_H_
