# Motion file library readers. Seeds: fuzz/corpus/htr and fuzz/corpus/trc (see README.md).
zar_add_fuzzer(htr_reader_fuzz SOURCES htr_reader_fuzz.cpp LIBS zar::filelib)
zar_add_fuzzer(trc_reader_fuzz SOURCES trc_reader_fuzz.cpp LIBS zar::filelib)
