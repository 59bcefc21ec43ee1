// Scene documents and scene sizes, for bench/whole_process.sh.
//
//   scene_bench scene-bytes DOC             heap memory held by the scene loaded from DOC
//   scene_bench save-load DOC               loads DOC, then times saving it and loading it back
//                                           (seconds of wall clock and of process CPU time)
//   scene_bench generate-markers N FILE     a TRC file of N markers x 10 frames
//   scene_bench generate-chain N FILE       an HTR file of one chain of N segments x 2 frames

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "filelib/zar_filelib.h"
#include "modra/scene.h"
#include "modra/scene_document.h"

namespace {

std::size_t HeapInUse() {
  const struct mallinfo2 info = ::mallinfo2();
  return info.uordblks + info.hblkhd;
}

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

int Fail(const std::string& problem) {
  std::cerr << "scene_bench: " << problem << "\n";
  return 1;
}

int SceneBytes(const std::string& document) {
  const std::size_t before = HeapInUse();
  auto scene = std::make_unique<modra::host::Scene>();
  const std::string problem = modra::host::LoadSceneDocument(document, *scene);
  if (!problem.empty()) return Fail(problem);
  std::printf("%zu\n", HeapInUse() - before);
  return 0;
}

int SaveLoad(const std::string& document) {
  modra::host::Scene scene;
  std::string problem = modra::host::LoadSceneDocument(document, scene);
  if (!problem.empty()) return Fail(problem);
  const std::string copy = document + ".copy";
  const auto start = std::chrono::steady_clock::now();
  const double cpu = CpuSeconds();
  problem = modra::host::SaveSceneDocument(scene, copy);
  if (!problem.empty()) return Fail(problem);
  {
    modra::host::Scene again;
    problem = modra::host::LoadSceneDocument(copy, again);
    if (!problem.empty()) return Fail(problem);
  }
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::printf("%.3f %.3f\n", wall.count(), CpuSeconds() - cpu);
  std::filesystem::remove(copy);
  return 0;
}

int GenerateMarkers(int markers, const std::string& file) {
  constexpr int kFrames = 10;
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return Fail(file + ": cannot create");
  std::fprintf(out, "PathFileType\t4\t(X/Y/Z)\tmarkers.trc\r\n");
  std::fprintf(out,
               "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
               "OrigDataStartFrame\tOrigNumFrames\r\n");
  std::fprintf(out, "100.00\t100.00\t%d\t%d\tmm\t100.00\t1\t%d\r\nFrame#\tTime", kFrames, markers,
               kFrames);
  for (int m = 0; m < markers; ++m) std::fprintf(out, "\tM%d\t\t", m);
  std::fprintf(out, "\r\n\t");
  for (int m = 1; m <= markers; ++m) std::fprintf(out, "\tX%d\tY%d\tZ%d", m, m, m);
  std::fprintf(out, "\r\n\r\n");
  for (int k = 0; k < kFrames; ++k) {
    std::fprintf(out, "%d\t%.2f", k + 1, k / 100.0);
    for (int m = 0; m < markers; ++m) std::fprintf(out, "\t%d.5\t%d\t-%d", m, k, m);
    std::fputs("\r\n", out);
  }
  return std::fclose(out) == 0 ? 0 : Fail(file + ": cannot write");
}

int GenerateChain(int segments, const std::string& file) {
  constexpr int kFrames = 2;
  zar::HTRFile model;
  model.SetNumFrames(kFrames);
  model.SetDataFrameRate(60);
  zar::HTRSegment* previous = nullptr;
  for (int s = 0; s < segments; ++s) {
    std::string name = "S";
    name += std::to_string(s);
    zar::HTRSegment* segment = model.AddSegment(zar::HTRSegment(name));
    if (previous != nullptr) {
      segment->SetParent(previous);
    } else {
      segment->SetRoot(true);
    }
    segment->SetBaseTranslation(0.0, 10.0, 0.0);
    segment->SetBoneLength(10.0);
    for (int k = 0; k < kFrames; ++k) segment->AppendFrame(0.0, 0.0, 0.0, 0.1 * k, 0.0, 0.0, 1.0);
    previous = segment;
  }
  const std::string problem = model.Write(file);
  return problem.empty() ? 0 : Fail(file + ": " + problem);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (argc == 3 && command == "scene-bytes") return SceneBytes(argv[2]);
  if (argc == 3 && command == "save-load") return SaveLoad(argv[2]);
  if (argc == 4 && command == "generate-markers")
    return GenerateMarkers(std::atoi(argv[2]), argv[3]);
  if (argc == 4 && command == "generate-chain") return GenerateChain(std::atoi(argv[2]), argv[3]);
  std::cerr << "usage: scene_bench scene-bytes DOC | save-load DOC | generate-markers N FILE | "
               "generate-chain N FILE\n";
  return 2;
}
