#ifndef ZAR_PYTHON_MARKER_ARRAYS_H_
#define ZAR_PYTHON_MARKER_ARRAYS_H_

// A marker set as the fields of zarfileio.Markers (NumPy arrays and plain values), and back.

#include <pybind11/pybind11.h>

#include "exchange/marker_set.h"

namespace zar::python {

// The fields of `set`: names, descriptions, types (one word per point: "marker", "angle", ...),
// positions (frames x points x 3 float64, NaN where missing), present (frames x points bool),
// rate, camera_rate, first_frame, units, up. The positions take the set's own memory (the set
// is used up), so that reading a file holds little more than the arrays it gives.
pybind11::dict MarkerFields(exchange::MarkerSet&& set);

// The set the fields of a Markers object describe (as MarkerFields gives them); a sample is
// present where `present` says so and all three coordinates are finite.
exchange::MarkerSet MarkerSetOf(const pybind11::dict& fields);

// The word for a kind of point ("marker", "angle", ...), and the kind of a word (std::invalid_
// argument for none).
std::string PointKindWord(exchange::PointKind kind);
exchange::PointKind PointKindOfWord(const std::string& word);

}  // namespace zar::python

#endif  // ZAR_PYTHON_MARKER_ARRAYS_H_
