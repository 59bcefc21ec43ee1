# TRC import: building and keying the marker cloud, compiled in directly (the plug-in exports
# only its entry points).
zar_add_test(import_trc_cloud_test
  SOURCES import_trc_cloud_test.cpp ${PROJECT_SOURCE_DIR}/import_trc/trc_cloud.cpp
  LIBS zar::modra zar::filelib)
