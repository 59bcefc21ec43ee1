# Exchange library: the marker set, C3D reading and writing, TRC writing; zarfileio's c3d and
# convert commands.
zar_add_test(exchange_test SOURCES exchange_c3d_test.cpp exchange_c3d_bytes_test.cpp
             exchange_bvh_reader_test.cpp exchange_force_plates_test.cpp
             exchange_round_trip_test.cpp exchange_file_outcome_test.cpp
             exchange_csv_test.cpp exchange_skeleton_test.cpp
             exchange_decimal_text_test.cpp exchange_ordered_blocks_test.cpp
             exchange_line_parsing_test.cpp
             LIBS zar::exchange)
zar_add_test(cli_exchange_test SOURCES cli_exchange_test.cpp LIBS zar::exchange zar::modra)
add_dependencies(cli_exchange_test zarfileio)
