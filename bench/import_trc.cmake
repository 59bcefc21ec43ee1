# TRC import: building and keying an 80-marker x 60000-frame cloud against reading its file.
zar_add_benchmark(import_trc_bench
  SOURCES import_trc_bench.cpp ${PROJECT_SOURCE_DIR}/import_trc/trc_cloud.cpp
  LIBS zar::modra zar::filelib)
target_include_directories(import_trc_bench PRIVATE ${PROJECT_SOURCE_DIR})
