#ifndef ZAR_EXCHANGE_FILE_OUTCOME_H_
#define ZAR_EXCHANGE_FILE_OUTCOME_H_

// What reading or writing a file came to: done, or a fault of one kind with the message the
// user reads, the system's reason and, where a reader knows it, the line it stopped at. The
// readers and writers of the exchange library return it, and the file library's readings and
// writings are turned into it here, so that a caller tells the kinds apart without looking at
// the message's text or at errno afterwards.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "atomic_file/output_file.h"
#include "filelib/file_messages.h"

namespace zar::exchange {

enum class FileFault {
  kNone,
  // The file could not be opened or read; `error` holds the system's reason where it gave one.
  kCannotRead,
  // The file's contents are not what its format holds, or hold nothing to convert.
  kBadFormat,
  // What was given cannot be written in the format (nothing to write, more markers or frames
  // than the format holds, two roots, no frame rate); nothing was opened.
  kNotWritable,
  // The file could not be opened, written or put in place; `error` holds the system's reason.
  kCannotWrite,
};

struct FileOutcome {
  FileFault fault = FileFault::kNone;
  std::string message;      // the complete text the user reads; empty when done
  int error = 0;            // the system's reason (an errno value), 0 when none
  std::int64_t line = 0;    // the line of the file (from 1) the reader stopped at, 0 when none
  bool line_named = false;  // whether `message` names the line itself

  bool Ok() const { return fault == FileFault::kNone; }

  static FileOutcome CannotRead(std::string_view message, int error) {
    return {FileFault::kCannotRead, std::string(message), error};
  }
  static FileOutcome BadFormat(std::string message, std::int64_t line = 0) {
    return {FileFault::kBadFormat, std::move(message), 0, line};
  }
  static FileOutcome NotWritable(std::string message) {
    return {FileFault::kNotWritable, std::move(message)};
  }
  static FileOutcome CannotWrite(std::string_view message, int error) {
    return {FileFault::kCannotWrite, std::string(message), error};
  }
  // A fault of `fault`'s kind with `message`; done when `message` is empty.
  static FileOutcome Unless(FileFault fault, std::string message, std::int64_t line = 0) {
    if (message.empty()) return {};
    return {fault, std::move(message), 0, line};
  }
};

// What a writer says when `out` could not open its file.
inline FileOutcome CannotOpen(const OutputFile& out) {
  return FileOutcome::CannotWrite(zar::messages::kCannotOpen, out.SystemError());
}

// Finishes `out` (OutputFile::Commit): done, or the file could not be written.
inline FileOutcome Commit(OutputFile& out) {
  if (out.Commit()) return {};
  return FileOutcome::CannotWrite(zar::messages::kCannotWrite, out.SystemError());
}

// What a file library writing (HTRFile::Write) that returned `message` came to: a file that
// could not be written where the system gave its reason `error`, else a model the format cannot
// take.
inline FileOutcome WriteOutcome(std::string message, int error) {
  if (error != 0) return FileOutcome::CannotWrite(message, error);
  return FileOutcome::Unless(FileFault::kNotWritable, std::move(message));
}

// What a file library reading (HTRFile::Read, TRCFile::Read) that returned `message` came to,
// with the system's reason and the line the `model` it read into holds.
template <typename Model>
FileOutcome ReadOutcome(std::string message, const Model& model) {
  if (model.SystemError() != 0) return FileOutcome::CannotRead(message, model.SystemError());
  return FileOutcome::Unless(FileFault::kBadFormat, std::move(message), model.MessageLine());
}

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_FILE_OUTCOME_H_
