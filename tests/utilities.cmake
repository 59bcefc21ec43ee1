# Utilities panel: MNM mapping files, PNX files and paths, the creator's marker table; the panel,
# the conversion and the MNM creator through the loaded plug-in.
zar_add_test(utilities_files_test
  SOURCES mnm_mapping_test.cpp pnx_paths_test.cpp pnx_writer_test.cpp
  LIBS zar::utilities_files)

zar_add_test(utilities_plugin_test
  SOURCES mnm_creator_test.cpp pnx_convert_test.cpp utilities_panel_test.cpp
  LIBS zar::modra zar::filelib zar::utilities_files)
add_dependencies(utilities_plugin_test zarfileio_plugin)
target_compile_definitions(utilities_plugin_test PRIVATE
  ZAR_PLUGIN_PATH="$<TARGET_FILE:zarfileio_plugin>")

zar_add_test(pnx_cli_test SOURCES pnx_cli_test.cpp LIBS zar::modra zar::filelib)
add_dependencies(pnx_cli_test zarfileio zarfileio_plugin)
target_compile_definitions(pnx_cli_test PRIVATE ZAR_PLUGIN_PATH="$<TARGET_FILE:zarfileio_plugin>")
