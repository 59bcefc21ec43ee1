# Exchange library: C3D reading against TRC reading of the same data; the C3D and TRC writers.
if(TARGET zar::exchange)
  zar_add_benchmark(exchange_bench SOURCES exchange_bench.cpp LIBS zar::exchange)
endif()
