# Motion file library: numbers, lines, HTR and TRC models, readers and writer; zarfileio's htr and
# trc commands.
zar_add_test(filelib_test
  SOURCES filelib_text_test.cpp filelib_htr_test.cpp filelib_trc_test.cpp
    filelib_real_files_test.cpp
  LIBS zar::filelib)
zar_add_test(cli_filelib_test SOURCES cli_filelib_test.cpp LIBS zar::filelib)
add_dependencies(cli_filelib_test zarfileio)
