#ifndef ZAR_PYTHON_ERRORS_H_
#define ZAR_PYTHON_ERRORS_H_

// How the library's messages reach Python: a file's contents that cannot be read raise
// zarfileio.FormatError (a ValueError) with the tool's message and the line at fault; a write
// the system refused raises OSError with its errno; a model with nothing to write, ValueError.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>

namespace zar::python {

// A reader's message about the file at `path`, with the line of the file it stopped at (0:
// none named).
struct FormatProblem {
  std::string message;
  std::int64_t line = 0;
};

// A writer's message, with the errno value the failed write left (0: none).
struct WriteProblem {
  std::string message;
  int error = 0;
  std::string path;
};

// Registers zarfileio.FormatError and the translation of both problems into Python exceptions.
void BindErrors(pybind11::module_& module);

// The problem for a reader's `message` about `path`: where the message does not name a line, a
// TRC or HTR file is read again by the file library to find the line it stops at.
FormatProblem ReadProblemOf(const std::string& message, const std::string& path);

}  // namespace zar::python

#endif  // ZAR_PYTHON_ERRORS_H_
