# The commands that drive the plug-in's dialogs (import-htr, import-trc, export-htr, mnm),
# run as a user runs them.
zar_add_test(cli_dialog_commands_test SOURCES cli_dialog_commands_test.cpp LIBS zar::modra)
target_include_directories(cli_dialog_commands_test PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(cli_dialog_commands_test PRIVATE
  ZAR_TOOL_FILE="$<TARGET_FILE:zarfileio>")
add_dependencies(cli_dialog_commands_test zarfileio)
