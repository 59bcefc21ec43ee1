#ifndef ZAR_EXCHANGE_MARKER_FORMATS_H_
#define ZAR_EXCHANGE_MARKER_FORMATS_H_

// The marker formats the exchange library reads and writes, found by a file's extension. A new
// format is one more row of the table in marker_formats.cpp.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/file_outcome.h"
#include "exchange/marker_set.h"

namespace zar::exchange {

// Choices that apply to reading any format.
struct MarkerReadOptions {
  // Where the format keeps a longer name beside the label (C3D's POINT:DESCRIPTIONS), use it.
  bool names_from_descriptions = false;
  // The kinds of point to keep (a C3D lists model outputs beside its markers); the others are
  // left out of the set. Reading fails when none of the file's points is of these kinds.
  std::vector<PointKind> point_kinds = {PointKind::kMarker};
  // Read what can be read of a damaged file (C3D: its parameter section), with warnings.
  bool lenient = false;
  // Glob patterns (* ? [..], any letter case) of the points to keep by name, none: every point
  // of the kinds kept; and of the points to leave out.
  std::vector<std::string> markers;
  std::vector<std::string> exclude;
};

// The kinds that `words` name: each kind's plural word ("markers", "angles", ...; see
// PointKindsText) or "all" for every kind, in the order of kPointKinds; markers alone when
// `words` names none. Other words are passed over.
std::vector<PointKind> PointKindsNamed(const std::vector<std::string>& words);

struct MarkerFormat {
  std::string_view extension;  // with the dot, lower case
  std::string_view title;      // what people call it
  // Fills `set` from the file at `path`. None when the format is not read.
  FileOutcome (*read)(const std::string& path, const MarkerReadOptions& options, MarkerSet& set);
  // Writes `set` to `path` atomically. None when the format is not written.
  FileOutcome (*write)(const MarkerSet& set, const std::string& path);
  // The up axis of a file that does not name its own: TRC positions have Y up; C3D captures come
  // from labs that mostly keep Z up (a C3D names it in POINT:Y_SCREEN).
  Axis default_up = Axis::kY;
  // The markers' names as the writer writes them (each format renames what it cannot hold: a
  // repeated or empty name, a trailing blank, ...); none when the format is not written.
  std::vector<std::string> (*written_names)(const MarkerSet& set) = nullptr;
  // The one up axis the writer writes in (turning a set that has the other), where it has one.
  std::optional<Axis> written_up = std::nullopt;
  // The one length unit the writer writes markers in (converting to it), where it has one.
  std::optional<LengthUnit> written_units = std::nullopt;
};

// "'' as Marker3, 'LASI' as LASI_2": each marker whose name a writer of `format` changes, with
// the name it writes; empty when none changes.
std::string RenamedMarkers(const MarkerFormat& format, const MarkerSet& set);

// The up axis of `set` read from a file of `format`: the one the file names, else `given` (an
// up axis the user named; none: the format's default).
Axis SourceUp(const MarkerFormat& format, const MarkerSet& set, std::optional<Axis> given);

std::span<const MarkerFormat> MarkerFormats();

// The format for `path`'s extension (any letter case); none when there is none.
const MarkerFormat* FindMarkerFormat(std::string_view path);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_MARKER_FORMATS_H_
