# HTR import: axis changes, options dialog, skeleton creation and keying.
zar_add_test(import_htr_axes_test SOURCES import_htr_axes_test.cpp LIBS zar::math)
# Skeleton building and keying, compiled in directly (the plug-in exports only its entry points).
zar_add_test(import_htr_keying_test
  SOURCES import_htr_keying_test.cpp
          ${PROJECT_SOURCE_DIR}/import_htr/htr_skeleton.cpp
          ${PROJECT_SOURCE_DIR}/import_htr/htr_keying.cpp
  LIBS zar::modra zar::filelib zar::math)
# The importer inside the built plug-in, loaded and driven as the host does.
zar_add_test(import_htr_plugin_test SOURCES import_htr_plugin_test.cpp LIBS zar::modra)
target_compile_definitions(import_htr_plugin_test PRIVATE
  ZAR_PLUGIN_FILE="$<TARGET_FILE:zarfileio_plugin>")
add_dependencies(import_htr_plugin_test zarfileio_plugin)
# zarfileio import-htr as a separate process, on the real sample file.
zar_add_test(import_htr_tool_test SOURCES import_htr_tool_test.cpp
  LIBS zar::modra zar::filelib zar::math)
target_compile_definitions(import_htr_tool_test PRIVATE ZAR_TOOL_FILE="$<TARGET_FILE:zarfileio>")
add_dependencies(import_htr_tool_test zarfileio zarfileio_plugin)
