#ifndef ZAR_CLI_INPUT_FILE_H_
#define ZAR_CLI_INPUT_FILE_H_

// Checks an input path before anything opens it, so that a folder, a device, a FIFO or a socket
// is refused at once with a reason instead of blocking a reader or filling memory.

#include <cstdint>
#include <string>

namespace zar::cli {

// No bound on the size of an input.
inline constexpr std::uintmax_t kAnySize = static_cast<std::uintmax_t>(-1);

// "" when `path` names a regular file (symbolic links followed) that this process can open
// for reading and that holds at most `maxBytes` bytes; otherwise a one-line reason, without
// the path, e.g. "not a regular file (a folder)", "not a regular file (a FIFO)",
// "No such file or directory", "Permission denied", "larger than 4096 MB". Never blocks
// (a FIFO is recognised by stat, never opened).
std::string CheckInputFile(const std::string& path, std::uintmax_t maxBytes = kAnySize);

// The operating system's reason why `path` cannot be opened for reading now (strerror text,
// "Is a directory" for a folder), or "" when it can.
std::string SystemReason(const std::string& path);

// The bound for scene documents and registry files read whole into memory: 4 GB or the
// machine's available memory, whichever is smaller.
std::uintmax_t DocumentSizeBound();

}  // namespace zar::cli

#endif  // ZAR_CLI_INPUT_FILE_H_
