# Scene documents of the stand-in host; seed with tests/data/modra/*.json.
zar_add_fuzzer(scene_document_fuzz SOURCES scene_document_fuzz.cpp LIBS zar::modra)
