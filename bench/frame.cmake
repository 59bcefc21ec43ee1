# Plug-in frame: loading the plug-in as the host does, and the option store against the bare
# registry calls it makes.
if(TARGET zarfileio_plugin AND TARGET zar::modra)
  zar_add_benchmark(frame_bench
    SOURCES frame_bench.cpp
            ${PROJECT_SOURCE_DIR}/frame/option_store.cpp
    LIBS zar::modra)
  target_include_directories(frame_bench PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(frame_bench PRIVATE
    ZAR_PLUGIN_FILE="$<TARGET_FILE:zarfileio_plugin>")
  add_dependencies(frame_bench zarfileio_plugin)
endif()
