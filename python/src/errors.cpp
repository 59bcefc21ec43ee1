#include "errors.h"

#include <cstring>
#include <utility>

namespace zar::python {

namespace py = pybind11;
using exchange::FileFault;

void ThrowIfFailed(exchange::FileOutcome outcome, const std::string& path) {
  if (!outcome.Ok()) throw FileProblem{std::move(outcome), path};
}

void ThrowFormatProblem(std::string message, const std::string& path) {
  throw FileProblem{exchange::FileOutcome::BadFormat(std::move(message)), path};
}

namespace {

// zarfileio.FormatError for `outcome`: str() is its message with the line where the message
// does not name it.
void SetFormatError(const py::exception<FileProblem>& format_error,
                    const exchange::FileOutcome& outcome) {
  std::string text = outcome.message;
  if (outcome.line > 0 && !outcome.line_named) {
    text += " (line " + std::to_string(outcome.line) + ")";
  }
  py::object error = py::reinterpret_borrow<py::object>(format_error.ptr())(text);
  error.attr("message") = outcome.message;
  error.attr("lineno") = outcome.line > 0 ? py::object(py::int_(outcome.line)) : py::none();
  PyErr_SetObject(format_error.ptr(), error.ptr());
}

// OSError (the subclass its errno picks) for a file the system refused.
void SetSystemError(const exchange::FileOutcome& outcome, const std::string& path) {
  const std::string text = outcome.message + ": " + std::strerror(outcome.error);
  py::object error = py::module_::import("builtins").attr("OSError")(outcome.error, text, path);
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
}

}  // namespace

void BindErrors(py::module_& module) {
  static py::exception<FileProblem> format_error(module, "FormatError", PyExc_ValueError);
  format_error.doc() =
      "A file whose contents cannot be read (a ValueError): str() is the command-line tool's "
      "message followed by ' (line N)' where the reader names the line it stopped at; "
      "`message` is the message alone and `lineno` the line (None when none is named).";
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const FileProblem& problem) {
      const exchange::FileOutcome& outcome = problem.outcome;
      if (outcome.error != 0) {
        SetSystemError(outcome, problem.path);
      } else if (outcome.fault == FileFault::kBadFormat ||
                 outcome.fault == FileFault::kCannotRead) {
        SetFormatError(format_error, outcome);
      } else {
        PyErr_SetString(PyExc_ValueError, (problem.path + ": " + outcome.message).c_str());
      }
    }
  });
}

}  // namespace zar::python
