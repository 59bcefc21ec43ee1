# Motion file library: readers and writer against bare parse and format loops.
zar_add_benchmark(filelib_bench SOURCES filelib_bench.cpp LIBS zar::filelib)
