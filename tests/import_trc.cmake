# TRC import.
#
# import_trc_cloud_test: building and keying the marker cloud, compiled in directly (the plug-in
# exports only its entry points).
zar_add_test(import_trc_cloud_test
  SOURCES import_trc_cloud_test.cpp ${PROJECT_SOURCE_DIR}/import_trc/trc_cloud.cpp
  LIBS zar::modra zar::filelib)

# import_trc_test: the built plug-in's importer run by the stand-in host, dialog included.
zar_add_test(import_trc_test SOURCES import_trc_test.cpp LIBS zar::modra)
target_include_directories(import_trc_test PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(import_trc_test PRIVATE
  ZAR_PLUGIN_FILE="$<TARGET_FILE:zarfileio_plugin>")
add_dependencies(import_trc_test zarfileio_plugin)

# import_trc_cli_test: zarfileio import-trc on the real samples, read back with scene keys.
zar_add_test(import_trc_cli_test SOURCES import_trc_cli_test.cpp LIBS zar::filelib zar::modra)
target_include_directories(import_trc_cli_test PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(import_trc_cli_test PRIVATE ZAR_TOOL_FILE="$<TARGET_FILE:zarfileio>")
add_dependencies(import_trc_cli_test zarfileio)
