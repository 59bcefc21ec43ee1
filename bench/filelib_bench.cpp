// Throughput of the HTR and TRC readers and the HTR writer, each beside a bare baseline on the
// same file in the same run: splitting lines and parsing every number with std::from_chars
// (reading), formatting the same numbers with std::to_chars (writing).
//
//   filelib_bench [benchmark flags]        runs the benchmarks on generated files
//   filelib_bench generate-htr FILE        60 segments x 20000 frames
//   filelib_bench generate-trc FILE        80 markers x 60000 frames, 2% missing samples
//   filelib_bench bare-parse FILE          the reading baseline, once, as a whole process
//   filelib_bench bare-format FILE         reads an HTR file, then times only the formatting
//   filelib_bench model-bytes FILE         memory held by the model read from FILE

#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "filelib/zar_filelib.h"

namespace {

constexpr int kSegments = 60;
constexpr int kHtrFrames = 20000;
constexpr int kMarkers = 80;
constexpr int kTrcFrames = 60000;
constexpr double kMissingShare = 0.02;

// A smooth, varied motion for every segment, written with the library's writer.
void GenerateHtr(const std::string& file) {
  zar::HTRFile model;
  model.SetNumFrames(kHtrFrames);
  model.SetDataFrameRate(120);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> phase(0.0, 6.28);
  zar::HTRSegment* previous = nullptr;
  for (int s = 0; s < kSegments; ++s) {
    std::string name = "Segment";
    name += std::to_string(s);
    zar::HTRSegment* segment = model.AddSegment(zar::HTRSegment(name));
    if (previous != nullptr && s % 6 != 0) {
      segment->SetParent(previous);
    } else if (previous != nullptr) {
      segment->SetParent(model.Segment(0));
    } else {
      segment->SetRoot(true);
    }
    segment->SetBaseTranslation(0.0, 100.0 + s, 0.0);
    segment->SetBoneLength(100.0 + s);
    segment->ReserveFrames(kHtrFrames);
    const double p = phase(random);
    for (int k = 0; k < kHtrFrames; ++k) {
      const double t = k / 120.0;
      segment->AppendFrame(s == 0 ? 350.0 * std::sin(t + p) : 0.0, s == 0 ? 900.0 + t : 0.0,
                           s == 0 ? 1200.0 * std::cos(0.3 * t) : 0.0, 1.2 * std::sin(2.1 * t + p),
                           0.4 * std::cos(1.3 * t + p), 0.9 * std::sin(0.7 * t - p),
                           1.0 + 0.01 * std::sin(t));
    }
    previous = segment;
  }
  const std::string message = model.Write(file);
  if (!message.empty()) {
    std::cerr << file << ": " << message << "\n";
    std::exit(1);
  }
}

void GenerateTrc(const std::string& file) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) {
    std::cerr << file << ": cannot create\n";
    std::exit(1);
  }
  std::fprintf(out, "PathFileType\t4\t(X/Y/Z)\t%s\r\n", "generated.trc");
  std::fprintf(out,
               "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
               "OrigDataStartFrame\tOrigNumFrames\r\n");
  std::fprintf(out, "200.00\t200.00\t%d\t%d\tmm\t200.00\t1\t%d\r\n", kTrcFrames, kMarkers,
               kTrcFrames);
  std::fprintf(out, "Frame#\tTime");
  for (int m = 0; m < kMarkers; ++m) std::fprintf(out, "\tMarker%d\t\t", m);
  std::fprintf(out, "\t\r\n\t");
  for (int m = 1; m <= kMarkers; ++m) std::fprintf(out, "\tX%d\tY%d\tZ%d", m, m, m);
  std::fprintf(out, "\r\n\r\n");
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int k = 0; k < kTrcFrames; ++k) {
    const double t = k / 200.0;
    std::fprintf(out, "%d\t%.5f", k + 1, t);
    for (int m = 0; m < kMarkers; ++m) {
      if (unit(random) < kMissingShare) {
        std::fputs("\t\t\t", out);
      } else {
        std::fprintf(out, "\t%.5f\t%.5f\t%.5f", 300.0 * std::sin(t + m) + m,
                     1000.0 + 200.0 * std::cos(0.5 * t + m), -500.0 + 10.0 * t + m);
      }
    }
    std::fputs("\r\n", out);
  }
  if (std::fclose(out) != 0) std::exit(1);
}

// The reading baseline: the same block reading, line splitting and from_chars for every
// blank- or tab-separated field, nothing kept. Returns a checksum so nothing is optimised away.
double BareParse(const std::string& file) {
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) std::exit(1);
  constexpr std::size_t kBlock = std::size_t{1} << 18;
  std::unique_ptr<char[]> buffer(new char[kBlock]);
  std::size_t kept = 0;
  double sum = 0.0;
  for (;;) {
    const std::size_t got = std::fread(buffer.get() + kept, 1, kBlock - kept, in);
    const std::size_t size = kept + got;
    const char* p = buffer.get();
    const char* end = p + size;
    for (;;) {
      const auto* newline =
          static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      if (newline == nullptr) {
        if (got != 0) break;
        newline = end;
      }
      const char* q = p;
      while (q < newline) {
        while (q < newline && (*q == '\t' || *q == ' ' || *q == '\r')) ++q;
        double value = 0.0;
        const auto result = std::from_chars(q, newline, value);
        if (result.ec == std::errc{}) {
          sum += value;
          q = result.ptr;
        }
        while (q < newline && *q != '\t' && *q != ' ') ++q;
      }
      p = newline + 1;
      if (p >= end) break;
    }
    if (got == 0) break;
    kept = static_cast<std::size_t>(end - p);
    std::memmove(buffer.get(), p, kept);
  }
  std::fclose(in);
  return sum;
}

// The numbers an HTR file of `model` holds, in the order the writer writes them.
std::vector<double> HtrNumbers(const zar::HTRFile& model) {
  std::vector<double> numbers;
  for (std::int32_t s = 0; s < model.NumSegments(); ++s) {
    for (const zar::HTRFrame& f : model.Segment(s)->Frames()) {
      numbers.insert(numbers.end(), {f.tx, f.ty, f.tz, f.rx * 57.29577951308232,
                                     f.ry * 57.29577951308232, f.rz * 57.29577951308232, f.scale});
    }
  }
  return numbers;
}

// The writing baseline: every number with std::to_chars("%f") into a reused buffer.
std::size_t BareFormat(const std::vector<double>& numbers) {
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  static std::unique_ptr<char[]> buffer(new char[kBlock]);
  std::size_t total = 0;
  char* p = buffer.get();
  for (const double value : numbers) {
    if (static_cast<std::size_t>(p - buffer.get()) > kBlock - 400) {
      total += static_cast<std::size_t>(p - buffer.get());
      p = buffer.get();
    }
    p = std::to_chars(p, buffer.get() + kBlock, value, std::chars_format::fixed, 6).ptr;
    *p++ = '\t';
  }
  return total + static_cast<std::size_t>(p - buffer.get());
}

struct Files {
  std::string folder;
  std::string htr;
  std::string trc;
  std::string written;
};

Files& BenchFiles() {
  static Files files = [] {
    Files f;
    const char* env = std::getenv("ZAR_BENCH_DIR");
    f.folder = env != nullptr
                   ? env
                   : (std::filesystem::temp_directory_path() / "zar_filelib_bench").string();
    std::filesystem::create_directories(f.folder);
    f.htr = f.folder + "/large.htr";
    f.trc = f.folder + "/large.trc";
    f.written = f.folder + "/written.htr";
    if (!std::filesystem::exists(f.htr)) GenerateHtr(f.htr);
    if (!std::filesystem::exists(f.trc)) GenerateTrc(f.trc);
    return f;
  }();
  return files;
}

std::int64_t FileBytes(const std::string& file) {
  return static_cast<std::int64_t>(std::filesystem::file_size(file));
}

void BM_HtrRead(benchmark::State& state) {
  const Files& files = BenchFiles();
  for (auto _ : state) {
    zar::HTRFile model;
    const std::string message = model.Read(files.htr, true);
    if (!message.empty()) state.SkipWithError(message.c_str());
    benchmark::DoNotOptimize(model.NumSegments());
  }
  state.SetBytesProcessed(state.iterations() * FileBytes(files.htr));
}

void BM_HtrBareParse(benchmark::State& state) {
  const Files& files = BenchFiles();
  for (auto _ : state) benchmark::DoNotOptimize(BareParse(files.htr));
  state.SetBytesProcessed(state.iterations() * FileBytes(files.htr));
}

void BM_TrcRead(benchmark::State& state) {
  const Files& files = BenchFiles();
  for (auto _ : state) {
    zar::TRCFile model;
    const std::string message = model.Read(files.trc, false);
    if (!message.empty()) state.SkipWithError(message.c_str());
    benchmark::DoNotOptimize(model.NumMarkers());
  }
  state.SetBytesProcessed(state.iterations() * FileBytes(files.trc));
}

void BM_TrcBareParse(benchmark::State& state) {
  const Files& files = BenchFiles();
  for (auto _ : state) benchmark::DoNotOptimize(BareParse(files.trc));
  state.SetBytesProcessed(state.iterations() * FileBytes(files.trc));
}

const zar::HTRFile& ReadModel() {
  static zar::HTRFile model = [] {
    zar::HTRFile m;
    if (!m.Read(BenchFiles().htr, true).empty()) std::exit(1);
    return m;
  }();
  return model;
}

void BM_HtrWrite(benchmark::State& state) {
  const Files& files = BenchFiles();
  const zar::HTRFile& model = ReadModel();
  for (auto _ : state) {
    const std::string message = model.Write(files.written);
    if (!message.empty()) state.SkipWithError(message.c_str());
  }
  state.SetBytesProcessed(state.iterations() * FileBytes(files.written));
}

void BM_HtrBareFormat(benchmark::State& state) {
  const Files& files = BenchFiles();
  const std::vector<double> numbers = HtrNumbers(ReadModel());
  for (auto _ : state) benchmark::DoNotOptimize(BareFormat(numbers));
  // Measured against the bytes of the file the writer writes, as BM_HtrWrite is.
  if (!std::filesystem::exists(files.written)) (void)ReadModel().Write(files.written);
  state.SetBytesProcessed(state.iterations() * FileBytes(files.written));
}

BENCHMARK(BM_HtrRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HtrBareParse)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TrcRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TrcBareParse)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HtrWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HtrBareFormat)->Unit(benchmark::kMillisecond)->UseRealTime();

std::int64_t ModelBytes(const std::string& file) {
  std::int64_t bytes = 0;
  if (file.size() > 4 && file.substr(file.size() - 4) == ".trc") {
    zar::TRCFile model;
    if (!model.Read(file, false).empty()) return -1;
    for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
      bytes +=
          static_cast<std::int64_t>(model.Marker(i)->Samples().capacity() * sizeof(zar::TRCSample));
    }
    return bytes;
  }
  zar::HTRFile model;
  if (!model.Read(file, true).empty()) return -1;
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    bytes +=
        static_cast<std::int64_t>(model.Segment(i)->Frames().capacity() * sizeof(zar::HTRFrame));
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3) {
    const std::string command = argv[1];
    const std::string file = argv[2];
    if (command == "generate-htr") {
      GenerateHtr(file);
      return 0;
    }
    if (command == "generate-trc") {
      GenerateTrc(file);
      return 0;
    }
    if (command == "bare-parse") {
      std::printf("checksum %.3f\n", BareParse(file));
      return 0;
    }
    if (command == "bare-format") {
      zar::HTRFile model;
      if (!model.Read(file, true).empty()) return 1;
      const std::vector<double> numbers = HtrNumbers(model);
      const auto start = std::chrono::steady_clock::now();
      const std::size_t bytes = BareFormat(numbers);
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      std::printf("formatted %zu bytes in %.3f s\n", bytes, took.count());
      return 0;
    }
    if (command == "model-bytes") {
      std::printf("%lld\n", static_cast<long long>(ModelBytes(file)));
      return 0;
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  BenchFiles();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
