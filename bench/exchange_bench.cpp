// C3D reading against TRC reading of the same marker data, per byte and per sample, and the C3D
// and TRC writers, in one run.
//
//   exchange_bench [benchmark flags]   generates (once, in $ZAR_BENCH_DIR or a temporary folder)
//                                      200 markers x 100000 frames, 2% missing samples, as a
//                                      real-storage C3D file and as a TRC file, then runs

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>

#include "bench/bench_folder.h"
#include "exchange/c3d_file.h"
#include "exchange/trc_writer.h"
#include "filelib/trc_file.h"

namespace {

constexpr std::size_t kMarkers = 200;
constexpr std::int64_t kFrames = 100000;
constexpr double kMissingShare = 0.02;

// Smooth motion of single-precision numbers.
zar::exchange::MarkerSet Generated() {
  zar::exchange::MarkerSet set;
  for (std::size_t m = 0; m < kMarkers; ++m)
    set.markers.push_back({std::string("M").append(std::to_string(m)), ""});
  set.rate = 200;
  set.SetFrames(kFrames);
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (std::int64_t k = 0; k < kFrames; ++k) {
    const double t = static_cast<double>(k) / set.rate;
    for (std::size_t m = 0; m < kMarkers; ++m) {
      if (unit(random) < kMissingShare) continue;
      const double p = static_cast<double>(m);
      const float x = static_cast<float>(300.0 * std::sin(t + p));
      const float y = static_cast<float>(900.0 + 40.0 * std::cos(0.7 * t - p));
      const float z = static_cast<float>(1200.0 * std::cos(0.3 * t) + p);
      set.At(k, m) = {x, y, z, true};
    }
  }
  return set;
}

struct Files {
  std::string c3d;
  std::string trc;
  std::string written_c3d;
  std::string written_trc;
};

const Files& BenchFiles() {
  static const Files files = [] {
    const std::string folder = BenchFolder("zar_exchange_bench");
    const auto in = [&](const char* name) { return std::string(folder).append(name); };
    Files f{in("/large.c3d"), in("/large.trc"), in("/written.c3d"), in("/written.trc")};
    if (!std::filesystem::exists(f.c3d) || !std::filesystem::exists(f.trc)) {
      // The TRC file is written from what the C3D file holds, so both hold the very same numbers.
      zar::exchange::C3DFile c3d;
      std::string message = zar::exchange::WriteC3D(Generated(), f.c3d).message;
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

void Processed(benchmark::State& state, const std::string& file) {
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(std::filesystem::file_size(file)));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kMarkers) * kFrames);
}

void BM_C3DRead(benchmark::State& state) {
  const Files& files = BenchFiles();
  for (auto _ : state) {
    zar::exchange::C3DFile model;
    const std::string message = model.Read(files.c3d).message;
    if (!message.empty()) state.SkipWithError(message.c_str());
    benchmark::DoNotOptimize(model.points.NumFrames());
  }
  Processed(state, files.c3d);
}

void BM_TrcRead(benchmark::State& state) {
  const Files& files = BenchFiles();
  for (auto _ : state) {
    zar::TRCFile model;
    const std::string message = model.Read(files.trc, false);
    if (!message.empty()) state.SkipWithError(message.c_str());
    benchmark::DoNotOptimize(model.NumMarkers());
  }
  Processed(state, files.trc);
}

const zar::exchange::MarkerSet& ReadSet() {
  static const zar::exchange::MarkerSet set = [] {
    zar::exchange::C3DFile model;
    if (!model.Read(BenchFiles().c3d).Ok()) std::exit(1);
    return std::move(model.points);
  }();
  return set;
}

void BM_C3DWrite(benchmark::State& state) {
  const Files& files = BenchFiles();
  const zar::exchange::MarkerSet& set = ReadSet();
  for (auto _ : state) {
    const std::string message = zar::exchange::WriteC3D(set, files.written_c3d).message;
    if (!message.empty()) state.SkipWithError(message.c_str());
  }
  Processed(state, files.written_c3d);
}

void BM_TrcWrite(benchmark::State& state) {
  const Files& files = BenchFiles();
  const zar::exchange::MarkerSet& set = ReadSet();
  for (auto _ : state) {
    const std::string message = zar::exchange::WriteTRC(set, files.written_trc).message;
    if (!message.empty()) state.SkipWithError(message.c_str());
  }
  Processed(state, files.written_trc);
}

BENCHMARK(BM_C3DRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TrcRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_C3DWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TrcWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
