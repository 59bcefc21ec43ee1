#include "utilities/pnx_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "atomic_file/output_file.h"
#include "filelib/number_text.h"

namespace zar {
namespace {

// Frame numbers are 32-bit and wrap like the C library's int arithmetic on every platform we
// build for, instead of overflowing.
std::int32_t FrameNumber(std::int32_t start, std::int64_t k) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint32_t>(start) +
                                                              static_cast<std::uint64_t>(k)));
}

char* PutText(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

char* PutInt(char* out, std::int32_t value) { return std::to_chars(out, out + 12, value).ptr; }

void WriteHeaderLine(OutputFile& file, std::string_view key, std::int32_t value,
                     std::string_view end) {
  char* out = file.Reserve(key.size() + 12 + end.size());
  out = PutText(out, key);
  out = PutInt(out, value);
  out = PutText(out, end);
  file.Advance(out);
}

}  // namespace

PnxPoint PlacePnxPoint(const TRCSample& sample, const PnxPlacement& placement) {
  if (!placement.offset) return {sample.x, -sample.z, sample.y};
  const double x = placement.offset_x;
  const double y = placement.offset_y;
  const double z = placement.offset_z;
  if (placement.trc_space) return {sample.x + x, -(sample.z + z), sample.y + y};
  return {sample.x + x, -sample.z + y, sample.y + z};
}

std::string DateText(std::time_t when) {
  static constexpr char kDays[] = "SunMonTueWedThuFriSat";
  static constexpr char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const std::tm* local = std::localtime(&when);
  if (local == nullptr) return "??? ??? ?? ??:??:?? ????";
  const std::tm t = *local;
  const int day = t.tm_wday >= 0 && t.tm_wday < 7 ? t.tm_wday : 0;
  const int month = t.tm_mon >= 0 && t.tm_mon < 12 ? t.tm_mon : 0;
  char text[64];
  std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays + 3 * day,
                kMonths + 3 * month, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, 1900 + t.tm_year);
  return text;
}

bool WritePnxFile(const TRCFile& trc, const std::string& path, std::string_view title,
                  std::string_view date, const PnxPlacement& placement) {
  OutputFile file;
  if (!file.Open(path)) return false;

  std::vector<const TRCMarker*> selected;
  for (std::int32_t i = 0; i < trc.NumMarkers(); ++i) {
    const TRCMarker* marker = trc.Marker(i);
    if (marker->Selected()) selected.push_back(marker);
  }
  const std::int32_t start = trc.StartFrame();
  // Frames past the last data line are not written: a header that declares far more frames
  // than the file holds would otherwise fill the disk with DROPOUT lines.
  const std::int32_t frames = trc.NumDataFrames();

  file.Write("$Comments\tPNX file generated from TRC file by\r\n");
  file.Write("$Comments\tVantrel ZARFileIO plugin\r\n\r\n");
  file.Write("$Filename   ");
  file.Write(title);
  file.Write("\r\n$DateTime   ");
  file.Write(date);
  file.Write("\r\n\r\n");
  WriteHeaderLine(file, "$FirstFrame ", start, "\r\n");
  WriteHeaderLine(file, "$LastFrame ", FrameNumber(start, std::int64_t{frames} - 1), "\r\n");
  WriteHeaderLine(file, "$NumFrames ", frames, "\r\n");
  WriteHeaderLine(file, "$NumMarkers ", static_cast<std::int32_t>(selected.size()), "\r\n");
  WriteHeaderLine(file, "$CaptureRate ", trc.CameraRate(), "\r\n");
  WriteHeaderLine(file, "$Rate ", trc.DataRate(), "\r\n\r\n");
  file.Write("$Order\r\n");
  for (const TRCMarker* marker : selected) {
    file.Write(marker->Name());
    file.Write(" ");
  }
  file.Write("\r\n\r\n$Points\r\n");

  // The most one frame line can take: its number, then per marker three numbers and tabs.
  const std::size_t line_room = 16 + selected.size() * 3 * (kMaxFixedChars + 1);
  for (std::int64_t k = 0; k < frames; ++k) {
    char* out = file.Reserve(line_room);
    out = PutInt(out, FrameNumber(start, k));
    *out++ = '\t';
    for (const TRCMarker* marker : selected) {
      const std::vector<TRCSample>& samples = marker->Samples();
      if (static_cast<std::uint64_t>(k) >= samples.size() ||
          !samples[static_cast<std::size_t>(k)].present) {
        out = PutText(out, "DROPOUT\t");
        continue;
      }
      const PnxPoint point = PlacePnxPoint(samples[static_cast<std::size_t>(k)], placement);
      out = FormatFixed(out, point.first, 6);
      *out++ = '\t';
      out = FormatFixed(out, point.second, 6);
      *out++ = '\t';
      out = FormatFixed(out, point.third, 6);
      *out++ = '\t';
    }
    out = PutText(out, "\r\n\r\n");
    file.Advance(out);
  }
  return file.Commit();
}

}  // namespace zar
