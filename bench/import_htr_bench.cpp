// Time of the HTR import against the time to read its file: a generated 60-segment ×
// 20000-frame file is read, and a skeleton built from it is keyed at every frame, in the same
// run. The per-key time is the keying time over the number of keys set (a position key and a
// rotation key per segment and frame). The whole import through the built plug-in runs too;
// its time less the reading time, over its keys, is the import's own time per key.
//
//   import_htr_bench [benchmark flags]

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "filelib/htr_file.h"
#include "import_htr/htr_import_job.h"
#include "import_htr/htr_keying.h"
#include "import_htr/htr_skeleton.h"
#include "modra/host.h"
#include "modra/modules.h"

namespace {

constexpr int kSegments = 60;
constexpr int kFrames = 20000;

// Five limbs of twelve bones below the root, each bone swinging with its own phase.
void Generate(const std::string& file) {
  zar::HTRFile model;
  model.SetNumFrames(kFrames);
  model.SetDataFrameRate(120);
  zar::HTRSegment* previous = nullptr;
  for (int s = 0; s < kSegments; ++s) {
    zar::HTRSegment* segment = model.AddSegment(zar::HTRSegment("Segment" + std::to_string(s)));
    if (s == 0) {
      segment->SetRoot(true);
    } else {
      segment->SetParent(s % 12 == 1 ? model.Segment(0) : previous);
    }
    segment->SetBaseTranslation(0.0, 100.0 + s, 0.0);
    segment->SetBaseRotation(0.01 * s, 0.0, -0.02 * s);
    segment->SetBoneLength(100.0 + s);
    segment->ReserveFrames(kFrames);
    for (int f = 0; f < kFrames; ++f) {
      const double a = 0.01 * f + 0.3 * s;
      segment->AppendFrame(std::sin(a), std::cos(a), 0.5 * std::sin(2 * a), 0.4 * std::sin(a),
                           0.3 * std::cos(a), 0.2 * std::sin(3 * a), 1.0);
    }
    previous = segment;
  }
  const std::string problem = model.Write(file);
  if (!problem.empty())
    std::fprintf(stderr, "cannot write %s: %s\n", file.c_str(), problem.c_str());
}

const std::string& BenchFile() {
  static const std::string file = [] {
    const std::string path =
        (std::filesystem::temp_directory_path() / "import_htr_bench_60x20000.htr").string();
    Generate(path);
    return path;
  }();
  return file;
}

void BM_ReadFile(benchmark::State& state) {
  const std::string& file = BenchFile();
  for (auto _ : state) {
    zar::HTRFile model;
    const std::string problem = model.Read(file, true);
    if (!problem.empty()) state.SkipWithError(problem.c_str());
    benchmark::DoNotOptimize(model.NumSegments());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keys every node of a skeleton with all frames, base position included: a freshly built
// skeleton (range(0) = 0), or one already keyed over the same frames, whose keys the keying
// window clears first (range(0) = 1).
void BM_KeySkeleton(benchmark::State& state) {
  zar::HTRFile model;
  const std::string problem = model.Read(BenchFile(), true);
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  const bool keyedBefore = state.range(0) != 0;
  std::int64_t keys = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto host = std::make_unique<modra::host::Host>();
    zar::HTRImportJob job;
    job.host = host.get();
    job.model = &model;
    job.choices.keyBasePosition = true;
    job.choices.startFrame = model.StartFrame();
    job.frameCount = model.NumFrames();
    zar::HTRSkeletonBuilder builder(job);
    modra::SceneNode* root = builder.CreateSkeleton(*model.FindRootSegment(), nullptr);
    host->BeginProgress("bench", 1, nullptr, nullptr);
    if (root != nullptr && keyedBefore) zar::KeyNode(job, root, *model.FindRootSegment());
    state.ResumeTiming();

    if (root == nullptr || !zar::KeyNode(job, root, *model.FindRootSegment())) {
      state.SkipWithError("keying failed");
    }

    state.PauseTiming();
    keys += 2LL * kSegments * (kFrames + 1);
    host.reset();
    state.ResumeTiming();
  }
  state.counters["keys"] = static_cast<double>(keys);
  state.counters["per_key"] = benchmark::Counter(
      static_cast<double>(keys), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KeySkeleton)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef ZAR_PLUGIN_FILE
// The whole import as the host runs it, without prompts: reading, unit conversion, building
// the skeleton and its dummy, keying, the animation range.
void BM_ImportThroughPlugin(benchmark::State& state) {
  const std::string& file = BenchFile();
  std::string error;
  const auto plugin = modra::host::PluginLibrary::Load(ZAR_PLUGIN_FILE, error);
  modra::ClassDesc* descriptor = plugin != nullptr ? plugin->FindClass("ImportHTR") : nullptr;
  if (descriptor == nullptr) {
    state.SkipWithError(error.empty() ? "no ImportHTR class" : error.c_str());
    return;
  }
  std::int64_t keys = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto host = std::make_unique<modra::host::Host>();
    state.ResumeTiming();

    if (host->RunImport(*descriptor, file, true) != 1) state.SkipWithError("import failed");

    state.PauseTiming();
    keys += 2LL * kSegments * kFrames;
    host.reset();
    state.ResumeTiming();
  }
  state.counters["keys"] = static_cast<double>(keys);
  state.counters["per_key"] = benchmark::Counter(
      static_cast<double>(keys), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ImportThroughPlugin)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

}  // namespace

BENCHMARK_MAIN();
