# Scene documents: memory held by a loaded scene, saving plus loading, generated files for the
# node-count measurements (used by whole_process.sh).
add_executable(scene_bench scene_bench.cpp)
zar_target_options(scene_bench)
target_link_libraries(scene_bench PRIVATE zar::modra zar::filelib)
