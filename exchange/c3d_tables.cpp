#include "exchange/c3d_tables.h"

#include <cmath>

#include "atomic_file/output_file.h"
#include "exchange/csv_writer.h"
#include "exchange/decimal_text.h"
#include "filelib/file_messages.h"

namespace zar::exchange {

namespace {

// Appends ",<value>" (nothing for NaN). Analog values and what is worked out from them come
// from 16-bit samples and single-precision scales: they are written as the shortest text that
// reads back as the same single-precision number, so that float noise does not show as digits.
char* Cell(char* p, double value) {
  *p++ = ',';
  if (!std::isfinite(value)) return p;
  return WriteShortestFloat(p, static_cast<float>(value) + 0.0F);  // -0 written as 0
}

// Writes `head`, then the rows `rows` writes, and commits the file.
template <typename Rows>
FileOutcome WriteTable(const std::string& path, const std::string& head, const Rows& rows) {
  OutputFile out;
  if (!out.Open(path)) return CannotOpen(out);
  out.Write(head);
  rows(out);
  return Commit(out);
}

// The start of a sample's row: "<sample>,<time>".
char* SampleLead(char* p, std::int64_t sample, double rate) {
  p = std::to_chars(p, p + 24, sample).ptr;
  return Cell(p, static_cast<double>(sample) / rate);
}

}  // namespace

FileOutcome WriteAnalogCSV(const C3DAnalog& analog, const std::vector<std::size_t>& channels,
                           const std::string& path) {
  std::string head = "sample,time";
  for (const std::size_t c : channels) head += ',' + CSVCell(analog.channels[c].label);
  head += '\n';
  return WriteTable(path, head, [&](OutputFile& out) {
    for (std::int64_t s = 0; s < analog.NumSamples(); ++s) {
      char* p = out.Reserve(48 + channels.size() * (kNumberRoom + 1));
      p = SampleLead(p, s, analog.rate);
      for (const std::size_t c : channels) p = Cell(p, analog.At(s, c));
      *p++ = '\n';
      out.Advance(p);
    }
  });
}

FileOutcome WriteForcesCSV(const std::vector<ForcePlate>& plates, double rate,
                           const std::string& path) {
  const std::string head = "sample,time,plate,Fx,Fy,Fz,Mx,My,Mz,COPx,COPy,COPz,Tz\n";
  return WriteTable(path, head, [&](OutputFile& out) {
    const std::size_t samples = plates.empty() ? 0 : plates.front().samples.size();
    for (std::size_t s = 0; s < samples; ++s) {
      for (std::size_t i = 0; i < plates.size(); ++i) {
        const PlateSample& sample = plates[i].samples[s];
        char* p = out.Reserve(48 + 11 * (kNumberRoom + 1));
        p = SampleLead(p, static_cast<std::int64_t>(s), rate);
        *p++ = ',';
        p = std::to_chars(p, p + 24, i + 1).ptr;
        for (const Vector3& v : {sample.force, sample.moment, sample.cop}) {
          p = Cell(p, v.X());
          p = Cell(p, v.Y());
          p = Cell(p, v.Z());
        }
        p = Cell(p, sample.free_moment);
        *p++ = '\n';
        out.Advance(p);
      }
    }
  });
}

FileOutcome WriteEventsCSV(const std::vector<C3DEvent>& events, double rate,
                           const std::string& path) {
  return WriteTable(path, "context,label,time,frame\n", [&](OutputFile& out) {
    for (const C3DEvent& event : events) {
      std::string row = CSVCell(event.context) + ',' + CSVCell(event.label) + ',' +
                        ShortestText(event.time) + ',' +
                        std::to_string(C3DEventFrame(event.time, rate)) + '\n';
      out.Write(row);
    }
  });
}

}  // namespace zar::exchange
