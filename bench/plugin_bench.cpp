// What the plug-in costs the host: loading and unloading the plug-in (its statics open
// three registry keys), and the option store's gets and sets beside the bare registry calls
// they wrap. The registry is the stand-in's file, re-read on every call, in a scratch folder.
//
//   plugin_bench [benchmark flags]

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "modra/modules.h"
#include "plugin_services/option_store.h"

namespace {

// A registry file of its own for the whole run.
class ScratchRegistry {
 public:
  ScratchRegistry() {
    folder_ = std::filesystem::temp_directory_path() / "zar_plugin_bench";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    ::setenv("ZARFILEIO_REGISTRY", (folder_ / "registry.json").c_str(), 1);
  }
  ~ScratchRegistry() {
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }

 private:
  std::filesystem::path folder_;
};

ScratchRegistry& Registry() {
  static ScratchRegistry registry;
  return registry;
}

void LoadAndUnloadPlugin(benchmark::State& state) {
  Registry();
  for (auto _ : state) {
    std::string error;
    auto plugin = modra::host::PluginLibrary::Load(ZAR_PLUGIN_FILE, error);
    if (plugin == nullptr) {
      state.SkipWithError(error.c_str());
      break;
    }
    benchmark::DoNotOptimize(plugin->Class(0));
  }
}
BENCHMARK(LoadAndUnloadPlugin)->Unit(benchmark::kMicrosecond);

// Baseline: one bare registry read of a 4-byte value from an open key.
void BareRegistryQuery(benchmark::State& state) {
  Registry();
  zar::OptionStore store(zar::kProductKey, zar::kHostKey, "Bench");
  store.SetFloat("Size", 1.0f);
  modra::RegistryKey key = 0;
  modra::RegistryOpenKey(modra::kCurrentUserKey, "Software\\Vantrel\\ZARFileIO\\Modra\\Bench",
                         modra::kRegistryRead, &key);
  for (auto _ : state) {
    std::uint8_t data[4];
    std::uint32_t size = sizeof data;
    benchmark::DoNotOptimize(modra::RegistryQueryValue(key, "Size", nullptr, data, &size));
  }
  modra::RegistryCloseKey(key);
}
BENCHMARK(BareRegistryQuery)->Unit(benchmark::kMicrosecond);

void OptionStoreGetFloat(benchmark::State& state) {
  Registry();
  zar::OptionStore store(zar::kProductKey, zar::kHostKey, "Bench");
  store.SetFloat("Size", 1.0f);
  float size = 0.0f;
  for (auto _ : state) benchmark::DoNotOptimize(store.GetFloat("Size", size));
}
BENCHMARK(OptionStoreGetFloat)->Unit(benchmark::kMicrosecond);

void OptionStoreSetFloat(benchmark::State& state) {
  Registry();
  zar::OptionStore store(zar::kProductKey, zar::kHostKey, "Bench");
  float size = 1.0f;
  for (auto _ : state) {
    size += 1.0f;
    benchmark::DoNotOptimize(store.SetFloat("Size", size));
  }
}
BENCHMARK(OptionStoreSetFloat)->Unit(benchmark::kMicrosecond);

// What an options dialog costs on opening and on OK: a record of nine values (six bools, an int,
// a float and a double, as the HTR importer keeps) read, then written.
void NineValueRecordLoadAndSave(benchmark::State& state) {
  Registry();
  zar::OptionStore store(zar::kProductKey, zar::kHostKey, "Bench");
  const char* const flags[] = {"Apply",        "Animate", "KeyBasePosition",
                               "EndEffectors", "Range",   "FPS"};
  bool flag = false;
  std::int32_t controller = 0;
  float size = 1.0f;
  double scale = 1.0;
  for (auto _ : state) {
    for (const char* name : flags) store.GetBool(name, flag);
    store.GetInt("RotationController", controller);
    store.GetFloat("Size", size);
    store.GetDouble("ScaleFactor", scale);
    for (const char* name : flags) store.SetBool(name, flag);
    store.SetInt("RotationController", controller);
    store.SetFloat("Size", size);
    store.SetDouble("ScaleFactor", scale);
  }
}
BENCHMARK(NineValueRecordLoadAndSave)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
