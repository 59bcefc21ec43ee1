// Time of the TRC import against the time to read its file: a generated 80-marker × 60000-frame
// file (2% of the samples missing) is read, and a marker cloud of new spheres is built from it
// and keyed at every frame, in the same run. The per-key time is the cloud's time over the
// number of keys set (one position key per present sample).
//
//   import_trc_bench [benchmark flags]
//
// ZAR_BENCH_DIR names a folder for the generated file (default: the temporary folder); an
// existing file there is reused.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "filelib/trc_file.h"
#include "import_trc/trc_cloud.h"
#include "modra/host.h"

namespace {

constexpr int kMarkers = 80;
constexpr int kFrames = 60000;
constexpr double kMissingShare = 0.02;

void Generate(const std::string& file) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "cannot create %s\n", file.c_str());
    std::exit(1);
  }
  std::fprintf(out, "PathFileType\t4\t(X/Y/Z)\tgenerated.trc\r\n");
  std::fprintf(out,
               "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
               "OrigDataStartFrame\tOrigNumFrames\r\n");
  std::fprintf(out, "120.00\t120.00\t%d\t%d\tmm\t120.00\t1\t%d\r\n", kFrames, kMarkers, kFrames);
  std::fprintf(out, "Frame#\tTime");
  for (int m = 0; m < kMarkers; ++m) std::fprintf(out, "\tMarker%d\t\t", m);
  std::fprintf(out, "\t\r\n\t");
  for (int m = 1; m <= kMarkers; ++m) std::fprintf(out, "\tX%d\tY%d\tZ%d", m, m, m);
  std::fprintf(out, "\r\n\r\n");
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int k = 0; k < kFrames; ++k) {
    const double t = k / 120.0;
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

const std::string& BenchFile() {
  static const std::string file = [] {
    const char* folder = std::getenv("ZAR_BENCH_DIR");
    const std::filesystem::path dir =
        folder != nullptr ? std::filesystem::path(folder) : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "import_trc_bench_80x60000.trc").string();
    if (!std::filesystem::exists(path)) Generate(path);
    return path;
  }();
  return file;
}

std::int64_t PresentSamples(const zar::TRCFile& model) {
  std::int64_t present = 0;
  for (std::int32_t m = 0; m < model.NumMarkers(); ++m) {
    for (const zar::TRCSample& s : model.Marker(m)->Samples()) present += s.present ? 1 : 0;
  }
  return present;
}

void BM_ReadFile(benchmark::State& state) {
  const std::string& file = BenchFile();
  for (auto _ : state) {
    zar::TRCFile model;
    const std::string problem = model.Read(file, false);
    if (!problem.empty()) state.SkipWithError(problem.c_str());
    benchmark::DoNotOptimize(model.NumMarkers());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Builds the cloud (a new sphere per marker) and keys every present sample, in a fresh scene.
void BM_BuildCloud(benchmark::State& state) {
  zar::TRCFile model;
  const std::string problem = model.Read(BenchFile(), false);
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  const std::int64_t per_build = PresentSamples(model);
  zar::TRCCloudSettings settings;
  settings.start_frame = model.StartFrame();
  settings.end_frame = model.StartFrame() + model.NumFrames() - 1;
  std::int64_t keys = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto host = std::make_unique<modra::host::Host>();
    host->BeginProgress("bench", 1, nullptr, nullptr);
    state.ResumeTiming();

    if (zar::BuildTRCCloud(*host, model, settings) != zar::TRCCloudOutcome::kDone) {
      state.SkipWithError("building the cloud failed");
    }

    state.PauseTiming();
    keys += per_build;
    host.reset();
    state.ResumeTiming();
  }
  state.counters["keys"] = static_cast<double>(keys);
  state.counters["per_key"] = benchmark::Counter(
      static_cast<double>(keys), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BuildCloud)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same cloud applied to existing keyed nodes: every key of the window is cleared first.
void BM_ReapplyCloud(benchmark::State& state) {
  zar::TRCFile model;
  const std::string problem = model.Read(BenchFile(), false);
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  const std::int64_t per_build = PresentSamples(model);
  zar::TRCCloudSettings settings;
  settings.start_frame = model.StartFrame();
  settings.end_frame = model.StartFrame() + model.NumFrames() - 1;
  std::int64_t keys = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto host = std::make_unique<modra::host::Host>();
    host->BeginProgress("bench", 1, nullptr, nullptr);
    zar::BuildTRCCloud(*host, model, settings);
    for (modra::host::Node* node : host->scene().nodes()) host->scene().Select(node, true);
    settings.apply = true;
    state.ResumeTiming();

    if (zar::BuildTRCCloud(*host, model, settings) != zar::TRCCloudOutcome::kDone) {
      state.SkipWithError("applying the cloud failed");
    }

    state.PauseTiming();
    settings.apply = false;
    keys += per_build;
    host.reset();
    state.ResumeTiming();
  }
  state.counters["keys"] = static_cast<double>(keys);
  state.counters["per_key"] = benchmark::Counter(
      static_cast<double>(keys), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReapplyCloud)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
