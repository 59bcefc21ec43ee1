# Exchange library: C3D reading against TRC reading of the same data; the C3D and TRC writers.
zar_add_benchmark(exchange_bench SOURCES exchange_bench.cpp LIBS zar::exchange)
# Skeleton conversion: the HTR file model's reading against reading straight into the skeleton;
# the BVH, glTF and joint-position CSV writers.
zar_add_benchmark(skeleton_bench SOURCES skeleton_bench.cpp LIBS zar::exchange)
# C3D with analog data: points, analog and force plates against TRC text of the same points.
zar_add_benchmark(c3d_analog_bench SOURCES c3d_analog_bench.cpp LIBS zar::exchange zar::filelib)
