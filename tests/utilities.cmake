# Utilities panel: MNM mapping files, PNX files and paths, the creator's marker table.
zar_add_test(utilities_files_test
  SOURCES mnm_mapping_test.cpp pnx_paths_test.cpp pnx_writer_test.cpp
          ${PROJECT_SOURCE_DIR}/utilities/batch_log.cpp
          ${PROJECT_SOURCE_DIR}/utilities/marker_table.cpp
          ${PROJECT_SOURCE_DIR}/utilities/mnm_mapping.cpp
          ${PROJECT_SOURCE_DIR}/utilities/pnx_paths.cpp
          ${PROJECT_SOURCE_DIR}/utilities/pnx_writer.cpp
  LIBS zar::filelib zar::sdk)
