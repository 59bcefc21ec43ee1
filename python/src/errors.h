#ifndef ZAR_PYTHON_ERRORS_H_
#define ZAR_PYTHON_ERRORS_H_

// How the library's faults reach Python: a file's contents that cannot be read raise
// zarfileio.FormatError (a ValueError) with the tool's message and the line at fault; a file the
// system refused to open, read or write raises OSError with its errno; a model that cannot be
// written in the format asked (nothing to write, too many markers), ValueError.

#include <pybind11/pybind11.h>

#include <string>

#include "exchange/file_outcome.h"

namespace zar::python {

// A reader's or writer's fault about the file at `path`, thrown as the Python exception that its
// kind maps to.
struct FileProblem {
  exchange::FileOutcome outcome;
  std::string path;
};

// Throws FileProblem when `outcome` is a fault.
void ThrowIfFailed(exchange::FileOutcome outcome, const std::string& path);

// Throws FileProblem for the fault in a file's contents that `message` names.
[[noreturn]] void ThrowFormatProblem(std::string message, const std::string& path);

// Registers zarfileio.FormatError and the translation of FileProblem into Python exceptions.
void BindErrors(pybind11::module_& module);

}  // namespace zar::python

#endif  // ZAR_PYTHON_ERRORS_H_
