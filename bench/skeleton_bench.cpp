// The parts of converting a large HTR skeleton: reading it as the file model, reading it straight
// into the skeleton, and each skeleton writer from the skeleton read, in one run; and writing
// deep chains of joints, whose cost per joint should not grow with the depth.
//
//   skeleton_bench [benchmark flags]   uses $ZAR_BENCH_DIR/large.htr (60 segments x 20000
//                                      frames: `filelib_bench generate-htr FILE` makes it)

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>

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
    if (const std::string message = zar::exchange::ReadHTR(Source(), read).message;
        !message.empty()) {
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
    const std::string message = zar::exchange::ReadHTR(Source(), skeleton).message;
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
    const std::string message = format->write(skeleton, out).message;
    if (!message.empty()) state.SkipWithError(message.c_str());
  }
  Processed(state);
}

void BM_BvhWrite(benchmark::State& state) { Write(state, ".bvh"); }
void BM_GlbWrite(benchmark::State& state) { Write(state, ".glb"); }
void BM_CsvWrite(benchmark::State& state) { Write(state, ".csv"); }

// A chain of joints, each the child of the one before, with two frames.
zar::exchange::Skeleton Chain(std::int64_t joints) {
  zar::exchange::Skeleton chain;
  for (std::int64_t i = 0; i < joints; ++i) {
    zar::exchange::SkeletonJoint joint;
    joint.name = std::to_string(i);
    joint.name.insert(0, 1, 'J');
    joint.parent = static_cast<std::int32_t>(i - 1);
    joint.base_translation = zar::exchange::Vector3(0.0, 1.0, 0.0);
    joint.bone_length = 1.0;
    chain.joints.push_back(std::move(joint));
  }
  chain.SetFrames(2);
  return chain;
}

// A deep chain written as BVH and as HTR (through the HTR file model), per joint: the time per
// joint stays the same at every depth when the cost grows with the length of the chain alone
// (compare the items per second of the three depths within one run).
void BM_DeepChainWrite(benchmark::State& state) {
  const zar::exchange::Skeleton chain = Chain(state.range(0));
  for (const char* extension : {".bvh", ".htr"}) {
    if (zar::exchange::FindSkeletonFormat(Folder() + "/chain" + extension) == nullptr) {
      state.SkipWithError("no writer");
      return;
    }
  }
  for (auto _ : state) {
    for (const char* extension : {".bvh", ".htr"}) {
      const std::string out = Folder() + "/chain" + extension;
      const std::string message = zar::exchange::FindSkeletonFormat(out)->write(chain, out).message;
      if (!message.empty()) state.SkipWithError(message.c_str());
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_HtrModelRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HtrSkeletonRead)->Unit(benchmark::kMillisecond)->UseRealTime();
// The writers work on several threads: their CPU time is the whole process's.
BENCHMARK(BM_BvhWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_GlbWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_CsvWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_DeepChainWrite)
    ->Arg(4000)
    ->Arg(16000)
    ->Arg(64000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
