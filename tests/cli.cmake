# zarfileio's own pieces and the tool as a whole, run the way a person runs it.
if(TARGET zarfileio)
  zar_add_test(cli_input_file_test
               SOURCES cli_input_file_test.cpp ${PROJECT_SOURCE_DIR}/cli/input_file.cpp)
  target_include_directories(cli_input_file_test PRIVATE ${PROJECT_SOURCE_DIR})
endif()
