#ifndef ZAR_EXCHANGE_C3D_TABLES_H_
#define ZAR_EXCHANGE_C3D_TABLES_H_

// What a C3D file holds beside its points, as CSV tables that spreadsheets and data-frame
// libraries read: analog channels, force plates and events. Each is written completely or not
// at all.

#include <string>
#include <vector>

#include "exchange/c3d_analog.h"
#include "exchange/c3d_events.h"
#include "exchange/file_outcome.h"
#include "exchange/force_plates.h"

namespace zar::exchange {

// Values are written as the shortest text that reads back as the same single-precision number
// (the precision of the samples and scales they come from).

// "sample,time,<label>,...": one row per analog sample, `sample` counted from 0 over the trial,
// `time` in seconds from the first point frame, each of the `channels` (indices into
// analog.channels, in the order given) in its physical units.
FileOutcome WriteAnalogCSV(const C3DAnalog& analog, const std::vector<std::size_t>& channels,
                           const std::string& path);

// "sample,time,plate,Fx,Fy,Fz,Mx,My,Mz,COPx,COPy,COPz,Tz": for each analog sample, one row per
// plate (numbered from 1): the reaction force on the subject and its moment about the centre of
// the plate's top surface in lab axes, the centre of pressure in lab coordinates and the free
// moment; the last four empty where the plate's vertical force is under the threshold.
FileOutcome WriteForcesCSV(const std::vector<ForcePlate>& plates, double rate,
                           const std::string& path);

// "context,label,time,frame": each event with its time as the file gives it (seconds) and the
// point frame at that time at `rate` frames per second.
FileOutcome WriteEventsCSV(const std::vector<C3DEvent>& events, double rate,
                           const std::string& path);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_C3D_TABLES_H_
