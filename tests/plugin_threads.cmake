# plugin_threads_test: the tool's plug-in commands run under strace start no thread.
zar_add_test(plugin_threads_test SOURCES plugin_threads_test.cpp LIBS zar::modra)
target_include_directories(plugin_threads_test PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(plugin_threads_test PRIVATE ZAR_TOOL_FILE="$<TARGET_FILE:zarfileio>")
add_dependencies(plugin_threads_test zarfileio zarfileio_plugin)
