# The zarfileio Python package's pytest suites (python/tests), one ctest per file, run by
# Debian's python3 against the package as built (PYTHONPATH) and the tool for its outputs.
# Not in sanitizer builds, where the package is not built.
if(ZAR_PYTHON_BUILT)
  file(GLOB ZAR_PYTHON_SUITES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/python/tests/test_*.py)
  foreach(suite ${ZAR_PYTHON_SUITES})
    get_filename_component(name ${suite} NAME_WE)
    string(REPLACE "test_" "python_" name ${name})
    add_test(NAME ${name}
             COMMAND ${ZAR_PYTHON_EXECUTABLE} -m pytest -q -p no:cacheprovider ${suite}
             WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/python/tests)
    set_tests_properties(${name} PROPERTIES
      LABELS python
      TIMEOUT 300
      ENVIRONMENT "PYTHONPATH=${PROJECT_BINARY_DIR}/python;ZAR_SAMPLES_DIR=${ZAR_SHARED_SAMPLES};ZARFILEIO_TOOL=$<TARGET_FILE:zarfileio>")
  endforeach()
endif()
# The README's install command, into a venv in the build folder (the extension is built in
# build/python-package, from ccache where the default build compiled the same sources).
if(ZAR_PYTHON_BUILT)
  add_test(NAME python_install
           COMMAND ${PROJECT_SOURCE_DIR}/python/tests/install_check.sh
                   ${PROJECT_BINARY_DIR}/python-venv)
  set_tests_properties(python_install PROPERTIES LABELS python TIMEOUT 600 RUN_SERIAL ON)
endif()
