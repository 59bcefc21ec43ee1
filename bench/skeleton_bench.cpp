// The parts of converting a large HTR skeleton: reading it as the file model, reading it straight
// into the skeleton, and each skeleton writer from the skeleton read, in one run.
//
//   skeleton_bench [benchmark flags]   uses $ZAR_BENCH_DIR/large.htr (60 segments x 20000
//                                      frames: `filelib_bench generate-htr FILE` makes it)

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "exchange/htr_skeleton_adapter.h"
#include "exchange/skeleton_formats.h"
#include "filelib/htr_file.h"

namespace {

std::string Folder() {
  const char* env = std::getenv("ZAR_BENCH_DIR");
  return env != nullptr ? env
                        : (std::filesystem::temp_directory_path() / "zar_filelib_bench").string();
}

const std::string& Source() {
  static const std::string file = [] {
    std::string path = Folder() + "/large.htr";
    if (!std::filesystem::exists(path)) {
      std::cerr << path << ": missing; make it with `filelib_bench generate-htr " << path << "`\n";
      std::exit(1);
    }
    return path;
  }();
  return file;
}

const zar::exchange::Skeleton& ReadSkeleton() {
  static const zar::exchange::Skeleton skeleton = [] {
    zar::exchange::Skeleton read;
    if (const std::string message = zar::exchange::ReadHTR(Source(), read); !message.empty()) {
      std::cerr << Source() << ": " << message << "\n";
      std::exit(1);
    }
    return read;
  }();
  return skeleton;
}

void Processed(benchmark::State& state) {
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(std::filesystem::file_size(Source())));
}

void BM_HtrModelRead(benchmark::State& state) {
  for (auto _ : state) {
    zar::HTRFile model;
    const std::string message = model.Read(Source(), true);
    if (!message.empty()) state.SkipWithError(message.c_str());
    benchmark::DoNotOptimize(model.NumSegments());
  }
  Processed(state);
}

void BM_HtrSkeletonRead(benchmark::State& state) {
  for (auto _ : state) {
    zar::exchange::Skeleton skeleton;
    const std::string message = zar::exchange::ReadHTR(Source(), skeleton);
    if (!message.empty()) state.SkipWithError(message.c_str());
    benchmark::DoNotOptimize(skeleton.NumFrames());
  }
  Processed(state);
}

// Writes the skeleton read with the writer of `extension`.
void Write(benchmark::State& state, const char* extension) {
  const zar::exchange::Skeleton& skeleton = ReadSkeleton();
  const std::string out = Folder() + "/written" + extension;
  const zar::exchange::SkeletonFormat* format = zar::exchange::FindSkeletonFormat(out);
  for (auto _ : state) {
    const std::string message = format->write(skeleton, out);
    if (!message.empty()) state.SkipWithError(message.c_str());
  }
  Processed(state);
}

void BM_BvhWrite(benchmark::State& state) { Write(state, ".bvh"); }
void BM_GlbWrite(benchmark::State& state) { Write(state, ".glb"); }
void BM_CsvWrite(benchmark::State& state) { Write(state, ".csv"); }

BENCHMARK(BM_HtrModelRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HtrSkeletonRead)->Unit(benchmark::kMillisecond)->UseRealTime();
// The writers work on several threads: their CPU time is the whole process's.
BENCHMARK(BM_BvhWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_GlbWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_CsvWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
