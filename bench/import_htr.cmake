# HTR import: keying a 60-segment x 20000-frame skeleton against reading its file.
zar_add_benchmark(import_htr_bench
  SOURCES import_htr_bench.cpp
          ${PROJECT_SOURCE_DIR}/import_htr/htr_skeleton.cpp
          ${PROJECT_SOURCE_DIR}/import_htr/htr_keying.cpp
  LIBS zar::modra zar::filelib zar::math)
target_include_directories(import_htr_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(import_htr_bench PRIVATE
  ZAR_PLUGIN_FILE="$<TARGET_FILE:zarfileio_plugin>")
add_dependencies(import_htr_bench zarfileio_plugin)
