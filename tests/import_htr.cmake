# HTR import: axis changes, options dialog, skeleton creation and keying.
zar_add_test(import_htr_axes_test SOURCES import_htr_axes_test.cpp LIBS zar::math)
# Skeleton building and keying, compiled in directly (the plug-in exports only its entry points).
zar_add_test(import_htr_keying_test
  SOURCES import_htr_keying_test.cpp
          ${PROJECT_SOURCE_DIR}/import_htr/htr_skeleton.cpp
          ${PROJECT_SOURCE_DIR}/import_htr/htr_keying.cpp
  LIBS zar::modra zar::filelib zar::math)
