# The plug-in: loading the plug-in as the host does, and the option store against the bare
# registry calls it makes.
zar_add_benchmark(plugin_bench
  SOURCES plugin_bench.cpp
          ${PROJECT_SOURCE_DIR}/plugin_services/option_store.cpp
  LIBS zar::modra)
target_include_directories(plugin_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(plugin_bench PRIVATE
  ZAR_PLUGIN_FILE="$<TARGET_FILE:zarfileio_plugin>")
add_dependencies(plugin_bench zarfileio_plugin)
