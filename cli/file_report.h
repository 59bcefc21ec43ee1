#ifndef ZAR_CLI_FILE_REPORT_H_
#define ZAR_CLI_FILE_REPORT_H_

// What zarfileio says about files it cannot use: the file library's own message first, then
// the operating system's reason when there is one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/input_file.h"
#include "exchange/file_outcome.h"

namespace zar::cli {

// "" when `path` can be read as an input; else "The file could not be opened: <reason>"
// (a folder, device, FIFO or socket is refused without being opened). Either way `path` is the
// input being read from then on, which OutOfMemoryProblem names.
std::string InputProblem(const std::string& path, std::uintmax_t maxBytes = kAnySize);

// The same for the name a user `typed`, which a reader opens as `path` (the name with the
// extension rule applied): when only the typed name exists, the answer says what it is, or
// which name was read.
std::string InputProblem(const std::string& typed, const std::string& path);

// What a command that ran out of memory says: "<the input being read>: too large to read (out of
// memory)", the input being the last one InputProblem checked.
std::string OutOfMemoryProblem();

// What the tool says of a reader's or a writer's `outcome`: its message, followed by
// " (line N)" when `name_line` asks for the line the reader stopped at and the message does not
// name it already, and by ": <reason>" when the system gave a reason. The commands of the file
// library's formats (htr, trc) name the line; the others give the reader's message as it is.
std::string ProblemText(const exchange::FileOutcome& outcome, bool name_line = false);

// Says on standard error "zarfileio: warning: FILE: The file holds N of the M frames its header
// declares" when `declared` is more than `frames`; nothing otherwise.
void WarnAboutFewerFrames(const std::string& file, std::int64_t frames, std::int64_t declared);

// Says each of a reader's `warnings` about `file` on standard error, as
// "zarfileio: warning: FILE: WARNING".
void WarnAbout(const std::string& file, const std::vector<std::string>& warnings);

// "" when `path` can take an output file: it is absent or a regular file and its folder
// exists; else "The file could not be opened: <reason>".
std::string OutputProblem(const std::string& path);

// The system's text for `error` when it is one a failed write reports (a full disk or quota, a
// file size limit, an input/output error, a read-only file system, a permission refused); ""
// for others, which work done between the write and the check may have left behind (the
// plug-in's translators say no more than whether they failed, so errno is all the tool has).
std::string WriteFailureReason(int error);

// What tells one file from every other (its device and inode, links followed); none when
// `path` does not exist.
std::optional<std::pair<std::uint64_t, std::uint64_t>> FileIdentity(const std::string& path);

// True when `a` and `b` name one file, however each is spelled (relative or absolute, through
// "..", a symbolic or a hard link); false when either does not exist.
bool SameFile(const std::string& a, const std::string& b);

// A frame rate as a file gives it, without trailing zeros: "119.88", "60".
std::string RateText(double rate);

}  // namespace zar::cli

#endif  // ZAR_CLI_FILE_REPORT_H_
