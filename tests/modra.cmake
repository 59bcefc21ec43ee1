# The plug-in interface headers and the stand-in host.
zar_add_test(sdk_test SOURCES sdk_test.cpp LIBS zar::sdk)
zar_add_test(modra_scene_test SOURCES modra_scene_test.cpp LIBS zar::modra zar::math)

# A small plug-in for the loader tests, loaded the way the host loads the real one.
add_library(modra_test_plugin MODULE modra_test_plugin.cpp)
zar_target_options(modra_test_plugin)
target_link_libraries(modra_test_plugin PRIVATE zar::modra)
zar_add_test(modra_dialog_test SOURCES modra_dialog_test.cpp LIBS zar::modra)
add_dependencies(modra_dialog_test modra_test_plugin)
target_compile_definitions(modra_dialog_test PRIVATE
  MODRA_TEST_PLUGIN="$<TARGET_FILE:modra_test_plugin>")
zar_add_test(modra_registry_test SOURCES modra_registry_test.cpp LIBS zar::modra)
find_package(nlohmann_json 3 REQUIRED)
zar_add_test(modra_document_test SOURCES modra_document_test.cpp
             LIBS zar::modra nlohmann_json::nlohmann_json)
find_package(CLI11 REQUIRED)
zar_add_test(modra_scene_commands_test
             SOURCES modra_scene_commands_test.cpp ${PROJECT_SOURCE_DIR}/cli/scene_commands.cpp
                     ${PROJECT_SOURCE_DIR}/cli/load_scene.cpp
             LIBS zar::modra zar::scene zar::cli_support CLI11::CLI11)
# Large documents, byte names and concurrent saves, partly through the built tool.
zar_add_test(modra_document_format_test SOURCES modra_document_format_test.cpp
             LIBS zar::modra nlohmann_json::nlohmann_json)
target_compile_definitions(modra_document_format_test PRIVATE
  ZAR_TOOL_FILE="$<TARGET_FILE:zarfileio>")
add_dependencies(modra_document_format_test zarfileio zarfileio_plugin)
