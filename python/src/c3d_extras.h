#ifndef ZAR_PYTHON_C3D_EXTRAS_H_
#define ZAR_PYTHON_C3D_EXTRAS_H_

// What a C3D file holds beside its points, for zarfileio.Markers.analog, .plates and .events.

#include <pybind11/pybind11.h>

#include <string>

#include "exchange/force_plates.h"

namespace zar::python {

// {"analog": {labels, descriptions, units, rate, first_frame, values (samples x channels)},
//  "plates": [{type, corners, centre, axes, force, moment, cop, free_moment}, ...],
//  "events": [{context, label, description, time, frame}, ...], "warnings": [...]}: the
// channels in physical units, each plate's reaction per analog sample in lab axes (NaN centre
// of pressure and free moment under the threshold), the events with their point frames.
// Throws FileProblem for a file or a plate the readers refuse. Runs without the GIL while it
// reads.
pybind11::dict C3DExtras(const std::string& path, bool lenient,
                         const exchange::ForcePlateOptions& options);

}  // namespace zar::python

#endif  // ZAR_PYTHON_C3D_EXTRAS_H_
