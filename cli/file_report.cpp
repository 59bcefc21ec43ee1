#include "cli/file_report.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <system_error>

#include "filelib/file_contents.h"
#include "filelib/file_messages.h"

namespace zar::cli {
namespace {

std::string CannotOpen(const std::string& reason) {
  return std::string(messages::kCannotOpen) + ": " + reason;
}

// The input the command is reading, for a message about running out of memory on it.
std::string& InputBeingRead() {
  static std::string input;
  return input;
}

}  // namespace

std::string OutOfMemoryProblem() {
  const std::string& input = InputBeingRead();
  return (input.empty() ? std::string("the input") : input) + ": too large to read (out of memory)";
}

std::string InputProblem(const std::string& path, std::uintmax_t maxBytes) {
  InputBeingRead() = path;
  const std::string reason = CheckInputFile(path, maxBytes);
  return reason.empty() ? "" : CannotOpen(reason);
}

std::string InputProblem(const std::string& typed, const std::string& path) {
  InputBeingRead() = typed;
  std::string reason = CheckInputFile(path);
  if (reason.empty()) return "";
  struct stat info {};
  if (path != typed && ::stat(path.c_str(), &info) != 0 && ::stat(typed.c_str(), &info) == 0) {
    // The name typed is there, but the reader looks for the name with the extension added.
    reason = S_ISREG(info.st_mode) ? reason + " (read as " + path + ")" : CheckInputFile(typed);
  }
  return CannotOpen(reason);
}

std::string ProblemText(const exchange::FileOutcome& outcome, bool name_line) {
  std::string text = outcome.message;
  if (name_line && outcome.line > 0 && !outcome.line_named) {
    text += " (line " + std::to_string(outcome.line) + ")";
  }
  if (outcome.error != 0) text.append(": ").append(std::strerror(outcome.error));
  return text;
}

void WarnAboutFewerFrames(const std::string& file, std::int64_t frames, std::int64_t declared) {
  FileContents contents;
  contents.frames = frames;
  contents.declared = declared;
  const std::string warning = FewerFramesThanDeclared(contents);
  if (!warning.empty()) std::cerr << "zarfileio: warning: " << file << ": " << warning << "\n";
}

void WarnAbout(const std::string& file, const std::vector<std::string>& warnings) {
  for (const std::string& warning : warnings) {
    std::cerr << "zarfileio: warning: " << file << ": " << warning << "\n";
  }
}

std::string OutputProblem(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    // Names what it is instead ("not a regular file (a device)").
    if (!S_ISREG(info.st_mode)) return CannotOpen(CheckInputFile(path));
  } else if (errno != ENOENT) {
    return CannotOpen(std::strerror(errno));
  }
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  if (::stat(folder.c_str(), &info) != 0) return CannotOpen(std::strerror(errno));
  if (!S_ISDIR(info.st_mode)) return CannotOpen(std::strerror(ENOTDIR));
  if (::access(folder.c_str(), W_OK) != 0) return CannotOpen(std::strerror(errno));
  return "";
}

std::string WriteFailureReason(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EIO:
    case EROFS:
    case EACCES:
    case EPERM:
      return std::strerror(error);
    default:
      return "";
  }
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> FileIdentity(const std::string& path) {
  struct stat info = {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return std::pair<std::uint64_t, std::uint64_t>(info.st_dev, info.st_ino);
}

bool SameFile(const std::string& a, const std::string& b) {
  const auto identity = FileIdentity(a);
  return identity.has_value() && identity == FileIdentity(b);
}

std::string RateText(double rate) {
  std::ostringstream text;
  text << std::setprecision(9) << rate;
  return text.str();
}

}  // namespace zar::cli
