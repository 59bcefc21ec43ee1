#ifndef ZAR_FILELIB_READ_FILE_H_
#define ZAR_FILELIB_READ_FILE_H_

// Opening a file for reading, with the system's reason when it cannot be opened or read, for
// the readers of the file library and of the formats beyond it.

#include <cstdio>
#include <memory>
#include <string>

namespace zar {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// A file open for reading, closed with its holder.
using ReadFile = std::unique_ptr<std::FILE, FileCloser>;

// `path` opened for reading in binary; none when it cannot be, with the system's reason (an
// errno value) in `error`. A folder is refused with EISDIR (the system would open it).
ReadFile OpenForReading(const std::string& path, int& error);

// The system's reason why a read from `file` came back short: its errno value where the stream
// holds an error (EIO when the system gave none), 0 when the file ended.
int ReadError(std::FILE* file);

}  // namespace zar

#endif  // ZAR_FILELIB_READ_FILE_H_
