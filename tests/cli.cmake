# zarfileio's own pieces and the tool as a whole, run the way a person runs it.
zar_add_test(cli_input_file_test SOURCES cli_input_file_test.cpp LIBS zar::cli_support)
zar_add_test(cli_truth_test SOURCES cli_truth_test.cpp LIBS zar::modra)
add_dependencies(cli_truth_test zarfileio zarfileio_plugin)
# Files with nothing to convert, tiny files declaring huge counts, huge files: through every
# command.
zar_add_test(cli_empty_input_test SOURCES cli_empty_input_test.cpp LIBS zar::exchange)
add_dependencies(cli_empty_input_test zarfileio zarfileio_plugin)
# Batches on several jobs and the progress bar.
zar_add_test(cli_jobs_test SOURCES cli_jobs_test.cpp LIBS zar::cli_support zar::modra)
add_dependencies(cli_jobs_test zarfileio)
target_compile_definitions(cli_jobs_test PRIVATE
  ZAR_PLUGIN_PATH="$<TARGET_FILE:zarfileio_plugin>")
