# MNM mapping files. Seeds: fuzz/corpus/mnm.
zar_add_fuzzer(mnm_mapping_fuzz SOURCES mnm_mapping_fuzz.cpp LIBS zar::utilities_files)
