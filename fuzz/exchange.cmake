# Exchange library readers. Seeds: fuzz/corpus/c3d (written by the library) and the shared C3D
# samples; for BVH, the shared BVH samples.
zar_add_fuzzer(c3d_reader_fuzz SOURCES c3d_reader_fuzz.cpp LIBS zar::exchange)
zar_add_fuzzer(bvh_reader_fuzz SOURCES bvh_reader_fuzz.cpp LIBS zar::exchange)
