// Reading a C3D file whose frames carry analog data as well as points: points and analog
// together, and with the force plates worked out, against reading the same points as TRC text.
//
//   c3d_analog_bench [benchmark flags]   generates (once, in $ZAR_BENCH_DIR or a temporary
//                                        folder) 200 markers x 60000 frames at 100 frames/s with
//                                        64 analog channels at 10 samples per frame (two type 2
//                                        force plates among them) as a real-storage C3D file, and
//                                        its points as a TRC file; prints the peak memory of one
//                                        read of points and analog against the data it holds,
//                                        then runs the benchmarks.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "atomic_file/output_file.h"
#include "bench/bench_folder.h"
#include "exchange/c3d_analog.h"
#include "exchange/c3d_file.h"
#include "exchange/c3d_section_builder.h"
#include "exchange/force_plates.h"
#include "exchange/trc_writer.h"
#include "filelib/trc_file.h"

namespace {

using zar::exchange::C3DParameter;
using zar::exchange::C3DType;

constexpr std::uint32_t kMarkers = 200;
constexpr std::uint32_t kFrames = 60000;
constexpr std::uint32_t kChannels = 64;
constexpr std::uint32_t kPerFrame = 10;
constexpr float kRate = 100.0F;

C3DParameter Numbers(const char* name, C3DType type, std::vector<int> dimensions,
                     std::vector<double> values) {
  C3DParameter p;
  p.name = name;
  p.type = type;
  p.dimensions = std::move(dimensions);
  p.numbers = std::move(values);
  return p;
}

std::vector<std::string> Names(const char* stem, std::uint32_t count) {
  std::vector<std::string> names;
  for (std::uint32_t i = 0; i < count; ++i)
    names.push_back(std::string(stem).append(std::to_string(i + 1)));
  return names;
}

// The parameter section, its POINT:DATA_START left at 0 for the caller to set.
std::vector<unsigned char> Parameters(std::uint32_t data_start) {
  zar::exchange::C3DSectionBuilder s;
  s.Group(1, "POINT", "");
  s.Words(1, "USED", {kMarkers}, "");
  s.Real(1, "SCALE", -0.1F, "");
  s.Real(1, "RATE", kRate, "");
  s.Words(1, "DATA_START", {data_start}, "");
  s.Words(1, "FRAMES", {kFrames}, "");
  s.Text1(1, "UNITS", "mm", "");
  zar::exchange::ContinuedC3DStrings(s, 1, "LABELS", Names("M", kMarkers), "");
  s.Group(2, "ANALOG", "");
  s.Words(2, "USED", {kChannels}, "");
  s.Real(2, "RATE", kRate * kPerFrame, "");
  s.Real(2, "GEN_SCALE", 1.0F, "");
  s.Parameter(2,
              Numbers("SCALE", C3DType::kFloat, {kChannels}, std::vector<double>(kChannels, 0.5)));
  s.Parameter(
      2, Numbers("OFFSET", C3DType::kInteger, {kChannels}, std::vector<double>(kChannels, 0.0)));
  zar::exchange::ContinuedC3DStrings(s, 2, "LABELS", Names("A", kChannels), "");
  s.Group(3, "FORCE_PLATFORM", "");
  s.Words(3, "USED", {2}, "");
  s.Words(3, "TYPE", {2, 2}, "");
  s.Words(3, "ZERO", {1, 10}, "");
  s.Parameter(
      3, Numbers("CHANNEL", C3DType::kInteger, {6, 2}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  s.Parameter(3, Numbers("CORNERS", C3DType::kFloat, {3, 4, 2},
                         {250, 300, 0, -250, 300, 0, -250, -300, 0, 250, -300, 0,
                          750, 300, 0, 250,  300, 0, 250,  -300, 0, 750, -300, 0}));
  s.Parameter(3, Numbers("ORIGIN", C3DType::kFloat, {3, 2}, {0, 0, -40, 0, 0, -40}));
  return s.Finish();
}

std::string Generate(const std::string& path) {
  std::vector<unsigned char> section = Parameters(0);
  const auto data_start = static_cast<std::uint32_t>(2 + section.size() / 512);
  section = Parameters(data_start);
  unsigned char header[512] = {};
  const auto word = [&](int n, std::uint32_t value) {
    zar::exchange::PutC3DWord(header + 2 * (n - 1), value);
  };
  header[0] = 2;
  header[1] = 0x50;
  word(2, kMarkers);
  word(3, kChannels * kPerFrame);
  word(4, 1);
  word(5, kFrames);
  zar::exchange::PutC3DReal(header + 12, -0.1F);
  word(9, data_start);
  word(10, kPerFrame);
  zar::exchange::PutC3DReal(header + 20, kRate);
  zar::OutputFile out;
  if (!out.Open(path)) return "cannot create " + path;
  out.Write({reinterpret_cast<const char*>(header), sizeof header});
  out.Write({reinterpret_cast<const char*>(section.data()), section.size()});
  const std::size_t frame_bytes = (kMarkers * 4 + kChannels * kPerFrame) * 4;
  for (std::uint32_t k = 0; k < kFrames; ++k) {
    auto* p = reinterpret_cast<unsigned char*>(out.Reserve(frame_bytes));
    const double t = k / static_cast<double>(kRate);
    for (std::uint32_t m = 0; m < kMarkers; ++m, p += 16) {
      const bool missing = (k * 7 + m * 13) % 50 == 0;  // 2 % of the samples
      zar::exchange::PutC3DReal(p, missing ? 0.0F : static_cast<float>(300 * std::sin(t + m)));
      zar::exchange::PutC3DReal(p + 4, missing ? 0.0F : static_cast<float>(900 + m));
      zar::exchange::PutC3DReal(p + 8, missing ? 0.0F : static_cast<float>(1200 * std::cos(t)));
      zar::exchange::PutC3DReal(p + 12, missing ? -1.0F : 0.0F);
    }
    for (std::uint32_t s = 0; s < kPerFrame; ++s) {
      for (std::uint32_t c = 0; c < kChannels; ++c, p += 4) {
        // Plate channels: a vertical force of about 700 N, the rest a sensor's smooth signal.
        const double v = c % 6 == 2 && c < 12 ? 1400 + 200 * std::sin(t) : 100 * std::sin(t + c);
        zar::exchange::PutC3DReal(p, static_cast<float>(v + s));
      }
    }
    out.Advance(reinterpret_cast<char*>(p));
  }
  return out.Commit() ? std::string() : "cannot write " + path;
}

struct Files {
  std::string c3d;
  std::string trc;
};

const Files& BenchFiles() {
  static const Files files = [] {
    const std::string folder = BenchFolder("zar_exchange_bench");
    Files f{folder + "/analog.c3d", folder + "/analog_points.trc"};
    if (!std::filesystem::exists(f.c3d) || !std::filesystem::exists(f.trc)) {
      zar::exchange::C3DFile c3d;
      std::string message = Generate(f.c3d);
      if (message.empty()) message = c3d.Read(f.c3d).message;
      if (message.empty()) message = zar::exchange::WriteTRC(c3d.points, f.trc).message;
      if (!message.empty()) {
        std::cerr << folder << ": " << message << "\n";
        std::exit(1);
      }
    }
    return f;
  }();
  return files;
}

// Points and analog of the file, and the plates when asked.
std::size_t ReadAll(const std::string& path, bool plates) {
  zar::exchange::C3DFile file;
  zar::exchange::C3DAnalog analog;
  std::string message = file.Read(path).message;
  if (message.empty()) message = zar::exchange::ReadC3DAnalog(path, file, analog).message;
  std::vector<zar::exchange::ForcePlate> found;
  if (message.empty() && plates) {
    message = zar::exchange::C3DForcePlates(file, analog, {}, found);
  }
  if (!message.empty()) {
    std::cerr << path << ": " << message << "\n";
    std::exit(1);
  }
  return static_cast<std::size_t>(file.points.NumFrames() + analog.NumSamples()) + found.size();
}

// The peak resident memory of one read in a process of its own, against the data it holds.
void ReportPeakMemory(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) _exit(ReadAll(path, false) > 0 ? 0 : 1);
  int status = 0;
  waitpid(child, &status, 0);
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const double held = (double{kMarkers} * kFrames * sizeof(zar::exchange::MarkerSample) +
                       double{kChannels} * kFrames * kPerFrame * sizeof(double)) /
                      1048576.0;
  const double peak = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::printf("peak memory of one read of points and analog: %.0f MB for %.0f MB held (%.2fx)\n",
              peak, held, peak / held);
}

void Processed(benchmark::State& state, const std::string& file) {
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(std::filesystem::file_size(file)));
}

void BM_C3DPointsAndAnalog(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadAll(BenchFiles().c3d, false));
  Processed(state, BenchFiles().c3d);
}

void BM_C3DPointsAnalogAndPlates(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadAll(BenchFiles().c3d, true));
  Processed(state, BenchFiles().c3d);
}

void BM_TrcOfTheSamePoints(benchmark::State& state) {
  for (auto _ : state) {
    zar::TRCFile model;
    if (!model.Read(BenchFiles().trc, false).empty()) state.SkipWithError("TRC read");
    benchmark::DoNotOptimize(model.NumMarkers());
  }
  Processed(state, BenchFiles().trc);
}

BENCHMARK(BM_C3DPointsAndAnalog)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_C3DPointsAnalogAndPlates)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TrcOfTheSamePoints)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  ReportPeakMemory(BenchFiles().c3d);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
