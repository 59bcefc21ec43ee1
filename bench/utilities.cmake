# TRC to PNX conversion against reading the TRC file and a bare formatting loop.
zar_add_benchmark(pnx_bench SOURCES pnx_bench.cpp LIBS zar::utilities_files)
