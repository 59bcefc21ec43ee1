// Reading TRC files into a TRCFile. The header values are found by line position, not by
// keyword; fields are separated by tabs. Other systems lay the header out a little differently
// (blanks for tabs in line 0, doubled tabs between header values, marker names one or two fields
// apart): each such layout is read as well, without changing what the usual layout gives.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "filelib/file_messages.h"
#include "filelib/htr_file.h"
#include "filelib/line_batches.h"
#include "filelib/line_reader.h"
#include "filelib/read_file.h"
#include "filelib/text_fields.h"
#include "filelib/trc_file.h"

namespace zar {

namespace {}  // namespace

class TrcReader {
 public:
  // Samples go to `sink` when there is one, else to the markers.
  TrcReader(TRCFile& model, bool with_unnamed, TRCSampleSink* sink)
      : model_(model), with_unnamed_(with_unnamed), sink_(sink) {}

  std::string Run(std::FILE* file);
  // What a reading of `model` says when its file cannot be opened for the system's `error`.
  static std::string CannotOpen(TRCFile& model, int error) {
    model.message_line_ = 0;
    model.system_error_ = error;
    return std::string(messages::kCannotOpen);
  }
  // The data lines read, at most the largest 32-bit count.
  std::int32_t DataLines() const {
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(data_lines_, std::numeric_limits<std::int32_t>::max()));
  }

  // With a sink, the data lines after the first reach it through LineBatches, read as the
  // sink's LineParsing reads them (at once on this thread without one), which call these.
  struct Tag {};
  using Value = TRCSample;
  void Parse(std::string_view line, const Tag&, TRCSample* samples) const {
    ReadSamples(line,
                [samples](std::size_t kept, const TRCSample& sample) { samples[kept] = sample; });
  }
  bool Give(const Tag&, const TRCSample* samples) {
    ++data_lines_;
    return sink_->Line(samples);
  }

 private:
  static std::vector<std::string_view> NonEmptyFields(std::string_view line);
  bool PathLine(std::string_view line);
  void HeaderValues(std::string_view line);
  // Makes the markers of the names line, with `titles` the coordinate titles line after it;
  // false when the caller asked for every marker and the file has not the declared count.
  bool MarkerNames(std::string_view titles, const LineReader& lines);
  // False when the sink wants no more lines.
  bool DataLine(std::string_view line);
  // Reads the samples of a data line, giving each to put(kept marker, sample).
  template <typename Put>
  void ReadSamples(std::string_view line, Put put) const;

  TRCFile& model_;
  const bool with_unnamed_;
  TRCSampleSink* const sink_;
  std::vector<TRCSample> line_;  // the first data line's samples, for the sink
  std::int32_t path_type_ = 0;
  std::int32_t declared_markers_ = 0;
  std::size_t header_names_ = 0;  // the non-empty fields of line 1
  std::string names_line_;        // line 3, kept until line 4 is read
  std::int64_t names_line_number_ = 0;
  bool first_data_line_ = true;
  std::int64_t data_lines_ = 0;
  // Where each kept marker's coordinates are: its samples, and the position of its name among
  // all the names (names that were not kept still have their columns in the data lines).
  struct Column {
    std::vector<TRCSample>* samples;
    std::size_t index;
  };
  std::vector<Column> columns_;
  // With a sink, from the second data line on; last, so that a batch being read is done with
  // before the rest of the reader goes.
  std::optional<LineBatches<TrcReader>> batches_;
};

std::string TrcReader::Run(std::FILE* file) {
  LineReader lines(file);
  std::int64_t number = 0;  // lines other than comments, counted from 0
  std::string_view line;
  while (lines.Next(line)) {
    if (!line.empty() && line.front() == '#') continue;
    switch (number++) {
      case 0:
        if (!PathLine(line)) {
          model_.message_line_ = lines.LineNumber();
          return std::string(messages::kTrcHeaderState);
        }
        break;
      case 1:
        header_names_ = NonEmptyFields(line).size();
        break;
      case 2:
        HeaderValues(line);
        break;
      case 3:
        // The names are read with the coordinate titles of the next line.
        names_line_.assign(line);
        names_line_number_ = lines.LineNumber();
        break;
      case 4:
        if (!MarkerNames(line, lines)) return std::string(messages::kTrcMarkerCount);
        break;
      case 5:
        // Normally empty; some writers fill it with tabs. A line with nothing but blanks carries
        // no frame (it would shift every frame by one).
        if (line.find_first_not_of(" \t") == std::string_view::npos) break;
        if (!DataLine(line)) return std::string();
        break;
      default:
        if (!DataLine(line)) return std::string();
        break;
    }
  }
  if (number == 4 && !lines.TooLong() && !MarkerNames(std::string_view(), lines)) {
    return std::string(messages::kTrcMarkerCount);
  }
  const bool drained = !batches_ || batches_->Drain();
  if (lines.TooLong()) {
    model_.message_line_ = lines.LineNumber();
    return std::string(messages::kLineTooLong);
  }
  if (!drained) return std::string();
  if (lines.Failed()) {
    model_.system_error_ = lines.Error();
    return std::string(messages::kCannotRead);
  }
  model_.no_lines_ = lines.LineNumber() == 0;
  model_.header_read_ = number > 3;
  return std::string();
}

bool TrcReader::PathLine(std::string_view line) {
  Fields fields(line);
  fields.Next();
  path_type_ = ParseInt(fields.Next());
  if (fields.Next() == "(X/Y/Z)") return true;
  // Some writers put blanks where tabs belong ("PathFileType  4<TAB>(X/Y/Z) C:\...").
  Tokens tokens(line);
  tokens.Next();
  const std::string_view path_type = tokens.Next();
  if (tokens.Next() != "(X/Y/Z)") return false;
  path_type_ = ParseInt(path_type);
  return true;
}

std::vector<std::string_view> TrcReader::NonEmptyFields(std::string_view line) {
  std::vector<std::string_view> found;
  Fields fields(line);
  while (!fields.Done()) {
    const std::string_view field = fields.Next();
    if (!field.empty()) found.push_back(field);
  }
  return found;
}

void TrcReader::HeaderValues(std::string_view line) {
  std::vector<std::string_view> values;
  for (Fields fields(line); !fields.Done();) values.push_back(fields.Next());
  // Some writers double the tabs between the values: when the values that are there match the
  // column names one to one, they are taken in order.
  const auto empty = std::find(values.begin(), values.end(), std::string_view());
  const bool gaps = std::find_if(empty, values.end(),
                                 [](std::string_view v) { return !v.empty(); }) != values.end();
  if (gaps) {
    std::vector<std::string_view> present = NonEmptyFields(line);
    if (present.size() == header_names_) values = std::move(present);
  }
  std::size_t next = 0;
  auto value = [&values, &next] {
    return next < values.size() ? values[next++] : std::string_view();
  };
  const std::string_view data_rate = value();
  model_.data_rate_ = ParseInt(data_rate);
  model_.exact_data_rate_ = ParseReal(data_rate);
  const std::string_view camera_rate = value();
  model_.camera_rate_ = ParseInt(camera_rate);
  model_.exact_camera_rate_ = ParseReal(camera_rate);
  model_.num_frames_ = ParseInt(value());
  declared_markers_ = ParseInt(value());
  model_.units_ = LengthUnitFromText(WithoutBlanksAround(value()));  // " mm" is mm
  value();                                                           // the source data rate
  model_.start_frame_ = path_type_ == 4 ? ParseInt(value()) : 1;
}

namespace {

// A name of the names line and its field, counted from the first field after the time title.
struct PlacedName {
  std::string_view name;
  std::size_t field;
};

// The number of coordinate column triples that a coordinate titles line ("X1 Y1 Z1 X2 ...")
// names: its fields "X<number>"; 0 when it names none.
std::size_t TitledColumns(std::string_view titles) {
  std::size_t count = 0;
  for (Fields fields(titles); !fields.Done();) {
    const std::string_view title = WithoutBlanksAround(fields.Next());
    if (title.size() > 1 && title.front() == 'X' &&
        title.find_first_not_of("0123456789", 1) == std::string_view::npos) {
      ++count;
    }
  }
  return count;
}

}  // namespace

bool TrcReader::MarkerNames(std::string_view titles, const LineReader& lines) {
  const std::string_view line = names_line_;
  Fields fields(line);
  fields.Next();  // frame number title
  fields.Next();  // time title
  std::vector<PlacedName> names;
  for (std::size_t field = 0; !fields.Done(); ++field) {
    const std::string_view name = fields.Next();
    if (!name.empty()) names.push_back({name, field});
  }
  // The format puts each name three fields after the one before, owning the three coordinate
  // columns below it; a name left blank leaves its columns without a marker. Other writers put
  // the names one or two fields apart: there the n-th name owns the n-th three columns. Names
  // three apart with a gap could be either; the coordinate titles tell, when they name exactly
  // as many columns as there are names, that no column is without one.
  const bool placed =
      std::all_of(names.begin(), names.end(), [](const PlacedName& n) { return n.field % 3 == 0; });
  const std::size_t placed_columns = names.empty() ? 0 : names.back().field / 3 + 1;
  const bool by_place =
      placed && !(placed_columns != names.size() && TitledColumns(titles) == names.size());
  const std::size_t blank_columns = by_place ? placed_columns - names.size() : 0;

  std::unordered_set<std::string_view> seen;  // views into the names line
  columns_.clear();
  for (std::size_t n = 0; n < names.size(); ++n) {
    const std::string_view name = names[n].name;
    const std::size_t index = by_place ? names[n].field / 3 : n;
    if (!with_unnamed_ && name.substr(0, 7) == "Unnamed") {
      ++model_.unnamed_;
      continue;
    }
    if (!seen.insert(name).second) continue;  // a repeated name is dropped
    TRCMarker& marker = model_.markers_.emplace_back(std::string(name));
    columns_.push_back({&marker.samples_, index});
  }
  // Room for the declared frames, but never more than the rest of the file can fill: a line
  // that carries every marker holds at least three tabs per marker.
  const std::int64_t remaining = lines.RemainingBytes();
  if (model_.num_frames_ > 0 && remaining >= 0 && !columns_.empty()) {
    const auto markers = static_cast<std::int64_t>(columns_.size());
    const std::int64_t room =
        std::min<std::int64_t>(model_.num_frames_, remaining / (3 * markers) + 1);
    if (sink_ == nullptr) {
      for (TRCMarker& marker : model_.markers_) marker.ReserveSamples(room);
    } else {
      sink_->Begin(model_, room);
    }
  } else if (sink_ != nullptr) {
    sink_->Begin(model_, 0);
  }
  line_.assign(sink_ != nullptr ? columns_.size() : 0, TRCSample());
  // A blank name still stands for one of the declared markers.
  if (with_unnamed_ &&
      model_.NumMarkers() + static_cast<std::int64_t>(blank_columns) != declared_markers_) {
    model_.message_line_ = names_line_number_;
    return false;
  }
  return true;
}

bool TrcReader::DataLine(std::string_view line) {
  if (first_data_line_) {
    if (path_type_ == 3) model_.start_frame_ = ParseInt(Fields(line).Next());
    first_data_line_ = false;
    if (sink_ != nullptr) {
      // The first line goes to the sink at once: a reader that wants only the header reads no
      // further.
      Parse(line, Tag{}, line_.data());
      if (!Give(Tag{}, line_.data())) return false;
      // Batches of about a megabyte of samples, when the sink reads them in batches.
      const std::size_t markers = std::max<std::size_t>(columns_.size(), 1);
      batches_.emplace(*this, columns_.size(), std::clamp<std::size_t>(32768 / markers, 64, 8192),
                       sink_->Parsing());
      return true;
    }
  }
  if (sink_ != nullptr) return batches_->Add(line, Tag{});
  ++data_lines_;
  ReadSamples(line, [this](std::size_t kept, const TRCSample& sample) {
    columns_[kept].samples->push_back(sample);
  });
  return true;
}

template <typename Put>
void TrcReader::ReadSamples(std::string_view line, Put put) const {
  Fields fields(line);
  fields.Next();       // the frame number
  fields.Next();       // the time
  std::size_t at = 0;  // the column of the next three fields
  for (std::size_t kept = 0; kept < columns_.size(); ++kept) {
    const Column& column = columns_[kept];
    // Columns of names that were not kept ("Unnamed", repeated) are passed over.
    for (; at < column.index && !fields.Done(); ++at) {
      fields.Next();
      fields.Next();
      fields.Next();
    }
    at = column.index + 1;
    bool empty = false;
    const double x = fields.NextReal(empty);
    if (empty) {
      fields.Next();
      fields.Next();
      put(kept, TRCSample());
      continue;
    }
    const double y = fields.NextReal(empty);
    const double z = fields.NextReal(empty);
    // Occluded markers are also written as "NaN" (in any case, often right-aligned): a
    // coordinate that is not a finite number makes the sample missing.
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) {
      put(kept, {true, x, y, z});
    } else {
      put(kept, TRCSample());
    }
  }
}

namespace {

std::string ReadWith(TRCFile& model, std::FILE* file, bool with_unnamed, TRCSampleSink* sink,
                     std::int32_t& data_lines) {
  model.Clear();
  TrcReader reader(model, with_unnamed, sink);
  std::string message = reader.Run(file);
  data_lines = reader.DataLines();
  return message;
}

std::string ReadPath(TRCFile& model, const std::string& file_name, bool with_unnamed,
                     TRCSampleSink* sink, std::int32_t& data_lines) {
  int error = 0;
  const ReadFile file = OpenForReading(WithDefaultExtension(file_name, ".TRC"), error);
  if (!file) return TrcReader::CannotOpen(model, error);
  return ReadWith(model, file.get(), with_unnamed, sink, data_lines);
}

}  // namespace

std::string TRCFile::Read(std::FILE* file, bool with_unnamed) {
  return ReadWith(*this, file, with_unnamed, nullptr, data_lines_);
}

std::string TRCFile::Read(const std::string& file_name, bool with_unnamed) {
  return ReadPath(*this, file_name, with_unnamed, nullptr, data_lines_);
}

std::string TRCFile::Read(std::FILE* file, bool with_unnamed, TRCSampleSink& sink) {
  return ReadWith(*this, file, with_unnamed, &sink, data_lines_);
}

std::string TRCFile::Read(const std::string& file_name, bool with_unnamed, TRCSampleSink& sink) {
  return ReadPath(*this, file_name, with_unnamed, &sink, data_lines_);
}

}  // namespace zar
