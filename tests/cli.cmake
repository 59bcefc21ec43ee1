# zarfileio's own pieces and the tool as a whole, run the way a person runs it.
if(TARGET zarfileio)
  zar_add_test(cli_input_file_test SOURCES cli_input_file_test.cpp LIBS zar::cli_support)
endif()
