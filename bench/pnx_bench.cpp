// Throughput of the TRC to PNX conversion on a large generated TRC file (80 markers x 60000
// frames, 2% missing samples), beside what it is made of in the same run: reading the TRC file,
// and a bare loop that formats the same numbers with std::to_chars into a file. At the end the
// conversion's time is set against the sum of the two.
//
//   pnx_bench [benchmark flags]        runs the benchmarks (files in ZAR_BENCH_DIR or a folder
//                                      under the system's temporary folder)
//   pnx_bench generate-trc FILE        writes the large TRC file
//   pnx_bench convert TRC PNX          one conversion as a whole process (read, map, write)

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "filelib/trc_file.h"
#include "utilities/mnm_mapping.h"
#include "utilities/pnx_writer.h"

namespace {

constexpr int kMarkers = 80;
constexpr int kFrames = 60000;
constexpr double kMissingShare = 0.02;

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
  std::fprintf(out, "200.00\t200.00\t%d\t%d\tmm\t200.00\t1\t%d\r\n", kFrames, kMarkers, kFrames);
  std::fprintf(out, "Frame#\tTime");
  for (int m = 0; m < kMarkers; ++m) std::fprintf(out, "\tMarker%d\t\t", m);
  std::fprintf(out, "\t\r\n\t");
  for (int m = 1; m <= kMarkers; ++m) std::fprintf(out, "\tX%d\tY%d\tZ%d", m, m, m);
  std::fprintf(out, "\r\n\r\n");
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int k = 0; k < kFrames; ++k) {
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

// A mapping that renames every marker, as a filtered conversion with a full MNM file does.
zar::MappingList FullMapping() {
  zar::MappingList mapping;
  for (int m = 0; m < kMarkers; ++m) {
    mapping.Add("PNX" + std::to_string(m), "Marker" + std::to_string(m), 0);
  }
  return mapping;
}

// One conversion: read, rename and select through the mapping, write. Answers false on failure.
bool Convert(const std::string& trc_path, const std::string& pnx_path,
             const zar::MappingList& mapping) {
  zar::TRCFile trc;
  if (!trc.Read(trc_path, false).empty()) return false;
  for (std::int32_t i = 0; i < trc.NumMarkers(); ++i) {
    zar::TRCMarker* marker = trc.Marker(i);
    std::string name = marker->Name();
    const bool mapped = mapping.Lookup(name);
    if (mapped) marker->SetName(name);
    marker->SetSelected(mapped);
  }
  return zar::WritePnxFile(trc, pnx_path, "converted", zar::DateText(0), {});
}

// The bare baseline: the numbers of every present sample in the PNX order, each with
// std::to_chars("%f") and a tab, a line end per frame, written to a file in 1 MB blocks. (The
// PNX writer formats through the file library's FormatFixed, whose exact fast path for short
// fixed-point numbers is quicker than std::to_chars, so the writer can beat this loop.)
std::size_t BareFormat(const zar::TRCFile& trc, const std::string& path) {
  // A new file each time, as the writer makes one (a file that is there is removed, not
  // truncated in place).
  std::error_code error;
  std::filesystem::remove(path, error);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return 0;
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  static std::unique_ptr<char[]> buffer(new char[kBlock]);
  char* const end = buffer.get() + kBlock;
  char* p = buffer.get();
  std::size_t total = 0;
  std::vector<const std::vector<zar::TRCSample>*> columns;
  for (std::int32_t m = 0; m < trc.NumMarkers(); ++m) columns.push_back(&trc.Marker(m)->Samples());
  for (std::int32_t k = 0; k < trc.NumFrames(); ++k) {
    if (static_cast<std::size_t>(end - p) < 3 * 400 * kMarkers) {
      std::fwrite(buffer.get(), 1, static_cast<std::size_t>(p - buffer.get()), out);
      total += static_cast<std::size_t>(p - buffer.get());
      p = buffer.get();
    }
    for (const std::vector<zar::TRCSample>* column : columns) {
      const std::vector<zar::TRCSample>& samples = *column;
      if (static_cast<std::size_t>(k) >= samples.size()) continue;
      const zar::TRCSample& s = samples[static_cast<std::size_t>(k)];
      if (!s.present) continue;
      for (const double value : {s.x, -s.z, s.y}) {
        p = std::to_chars(p, end, value, std::chars_format::fixed, 6).ptr;
        *p++ = '\t';
      }
    }
    *p++ = '\r';
    *p++ = '\n';
  }
  std::fwrite(buffer.get(), 1, static_cast<std::size_t>(p - buffer.get()), out);
  total += static_cast<std::size_t>(p - buffer.get());
  std::fclose(out);
  return total;
}

struct Files {
  std::string trc;
  std::string pnx;
  std::string bare;
};

const Files& BenchFiles() {
  static const Files files = [] {
    const char* env = std::getenv("ZAR_BENCH_DIR");
    const std::string folder =
        env != nullptr ? env : (std::filesystem::temp_directory_path() / "zar_pnx_bench").string();
    std::filesystem::create_directories(folder);
    Files f{folder + "/large.trc", folder + "/large.pnx", folder + "/bare.txt"};
    if (!std::filesystem::exists(f.trc)) GenerateTrc(f.trc);
    return f;
  }();
  return files;
}

const zar::TRCFile& Model() {
  static const zar::TRCFile model = [] {
    zar::TRCFile m;
    if (!m.Read(BenchFiles().trc, false).empty()) std::exit(1);
    return m;
  }();
  return model;
}

std::int64_t FileBytes(const std::string& file) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  return error ? 0 : static_cast<std::int64_t>(size);
}

void BM_PnxConvert(benchmark::State& state) {
  const Files& files = BenchFiles();
  const zar::MappingList mapping = FullMapping();
  for (auto _ : state) {
    if (!Convert(files.trc, files.pnx, mapping)) state.SkipWithError("conversion failed");
  }
  state.SetBytesProcessed(state.iterations() * FileBytes(files.pnx));
}

void BM_TrcRead(benchmark::State& state) {
  const Files& files = BenchFiles();
  for (auto _ : state) {
    zar::TRCFile trc;
    if (!trc.Read(files.trc, false).empty()) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(trc.NumMarkers());
  }
  state.SetBytesProcessed(state.iterations() * FileBytes(files.trc));
}

void BM_PnxWrite(benchmark::State& state) {
  const Files& files = BenchFiles();
  const zar::TRCFile& trc = Model();
  for (auto _ : state) {
    if (!zar::WritePnxFile(trc, files.pnx, "converted", zar::DateText(0), {})) {
      state.SkipWithError("write failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * FileBytes(files.pnx));
}

void BM_BareFormat(benchmark::State& state) {
  const Files& files = BenchFiles();
  const zar::TRCFile& trc = Model();
  std::size_t bytes = 0;
  for (auto _ : state) bytes = BareFormat(trc, files.bare);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

BENCHMARK(BM_PnxConvert)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TrcRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PnxWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareFormat)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the usual table, then the conversion against reading plus bare formatting.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean") {
        const double ms = run.GetAdjustedRealTime();
        times_[run.run_name.function_name] = ms;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto get = [this](const char* name) {
      const auto it = times_.find(name);
      return it == times_.end() ? 0.0 : it->second;
    };
    const double convert = get("BM_PnxConvert");
    const double read = get("BM_TrcRead");
    const double bare = get("BM_BareFormat");
    if (convert > 0 && read > 0 && bare > 0) {
      std::printf("conversion %.1f ms / (read %.1f ms + bare format %.1f ms) = %.3f\n", convert,
                  read, bare, convert / (read + bare));
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "generate-trc") {
    GenerateTrc(argv[2]);
    return 0;
  }
  if (argc == 4 && std::string(argv[1]) == "convert") {
    return Convert(argv[2], argv[3], FullMapping()) ? 0 : 1;
  }
  // The ratio line follows the console table; other formats (JSON for scripts) stay plain.
  bool console = true;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--benchmark_format=", 0) == 0 && argument != "--benchmark_format=console")
      console = false;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (console) {
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
  } else {
    benchmark::RunSpecifiedBenchmarks();
  }
  benchmark::Shutdown();
  return 0;
}
