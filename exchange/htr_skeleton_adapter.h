#ifndef ZAR_EXCHANGE_HTR_SKELETON_ADAPTER_H_
#define ZAR_EXCHANGE_HTR_SKELETON_ADAPTER_H_

#include <string>

#include "exchange/file_outcome.h"
#include "exchange/skeleton.h"
#include "filelib/htr_file.h"

namespace zar::exchange {

// The skeleton of an HTR model: segments parents first (each root's subtree in file order),
// base positions and per-frame values as the model holds them (lengths in CalibrationUnits,
// angles already radians in the static X Y Z order the reader turns the file's order into), the
// per-frame bone scale factors, DataFrameRate, StartFrame, and GlobalAxisofGravity as the up
// axis. Frames: NumFrames, or fewer where a segment holds fewer.
Skeleton FromHTR(const HTRFile& model);

// Reads the HTR file at `path` into `skeleton` as FromHTR gives it after HTRFile::Read, without a
// model of every frame beside it. A fault is the reader's (with the line it stopped at), or
// NothingToConvert's for a file without segments or frames. Where the file holds fewer frames
// than it declares, the skeleton's declared_frames says how many.
FileOutcome ReadHTR(const std::string& path, Skeleton& skeleton);

// Writes `model` as HTRFile::Write does, with the system's reason where the file could not be
// written.
FileOutcome WriteHTRFile(const HTRFile& model, const std::string& path);

// Fills the empty `model` with `skeleton`: one segment per joint (roots marked), base positions,
// bone lengths and frames, the units, the rate (rounded to whole frames per second, as HTR holds
// it) and the first frame number.
void ToHTR(const Skeleton& skeleton, HTRFile& model);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_HTR_SKELETON_ADAPTER_H_
