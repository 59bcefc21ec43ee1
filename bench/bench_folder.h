#ifndef ZAR_BENCH_BENCH_FOLDER_H_
#define ZAR_BENCH_BENCH_FOLDER_H_

// Where a benchmark program keeps the large files it generates once: $ZAR_BENCH_DIR, else a
// folder of the temporary folder named `fallback`; created when missing.

#include <cstdlib>
#include <filesystem>
#include <string>

inline std::string BenchFolder(const char* fallback) {
  const char* env = std::getenv("ZAR_BENCH_DIR");
  const std::string folder =
      env != nullptr ? env : (std::filesystem::temp_directory_path() / fallback).string();
  std::filesystem::create_directories(folder);
  return folder;
}

#endif  // ZAR_BENCH_BENCH_FOLDER_H_
