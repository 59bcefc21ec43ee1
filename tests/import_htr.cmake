# HTR import: axis changes, options dialog, skeleton creation and keying.
zar_add_test(import_htr_axes_test SOURCES import_htr_axes_test.cpp LIBS zar::math)
