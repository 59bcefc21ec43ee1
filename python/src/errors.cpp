#include "errors.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>

#include "exchange/c3d_parameters.h"
#include "filelib/htr_file.h"
#include "filelib/trc_file.h"

namespace zar::python {

namespace py = pybind11;

namespace {

// The N of a message that ends in "(line N)"; 0 when it does not.
std::int64_t LineNamedIn(const std::string& message) {
  const std::size_t at = message.rfind("(line ");
  if (at == std::string::npos || message.back() != ')') return 0;
  std::int64_t line = 0;
  const char* first = message.data() + at + 6;
  std::from_chars(first, message.data() + message.size() - 1, line);
  return line;
}

// The line the file library's reader of `path` stops at (0 for other formats or none).
std::int64_t LineOfLibraryRead(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (exchange::SameC3DName(extension, ".trc")) {
    TRCFile trc;
    trc.Read(path, false);
    return trc.MessageLine();
  }
  if (exchange::SameC3DName(extension, ".htr")) {
    HTRFile htr;
    htr.Read(path, true);
    return htr.MessageLine();
  }
  return 0;
}

}  // namespace

FormatProblem ReadProblemOf(const std::string& message, const std::string& path) {
  std::int64_t line = LineNamedIn(message);
  if (line == 0) line = LineOfLibraryRead(path);
  return {message, line};
}

void BindErrors(py::module_& module) {
  static py::exception<FormatProblem> format_error(module, "FormatError", PyExc_ValueError);
  format_error.doc() =
      "A file whose contents cannot be read (a ValueError): str() is the command-line tool's "
      "message followed by ' (line N)' where the reader names the line it stopped at; "
      "`message` is the message alone and `lineno` the line (None when none is named).";
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const FormatProblem& problem) {
      std::string text = problem.message;
      if (problem.line > 0 && LineNamedIn(text) == 0) {
        text += " (line " + std::to_string(problem.line) + ")";
      }
      py::object error = py::reinterpret_borrow<py::object>(format_error.ptr())(text);
      error.attr("message") = problem.message;
      error.attr("lineno") = problem.line > 0 ? py::object(py::int_(problem.line)) : py::none();
      PyErr_SetObject(format_error.ptr(), error.ptr());
    } catch (const WriteProblem& problem) {
      if (problem.error != 0) {
        const std::string text = problem.message + ": " + std::strerror(problem.error);
        py::object error =
            py::module_::import("builtins").attr("OSError")(problem.error, text, problem.path);
        PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
      } else {
        PyErr_SetString(PyExc_ValueError, (problem.path + ": " + problem.message).c_str());
      }
    }
  });
}

}  // namespace zar::python
