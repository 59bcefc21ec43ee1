# zarfileio view's pages in a real browser: headless chromium driven by puppeteer-core
# (js/viewer-test/check_page.mjs), one test per sample file and one with a skeleton and markers
# together. Label "browser": run only these with `ctest --preset default -L browser`. Skipped when
# node, chromium or the JavaScript packages (scripts/deps.sh) are missing, failed then under CI=true.
find_program(ZAR_NODE node)
find_program(ZAR_CHROMIUM NAMES chromium chromium-browser)

# zar_add_browser_test(NAME SCRIPT WORK ARGS...): node js/viewer-test/SCRIPT --tool zarfileio
# --work build/tests/viewer/WORK ARGS..., labelled "browser"; skipped (status 77) without node or
# chromium, failed then in continuous integration (CI=true).
function(zar_add_browser_test name script work)
  if(ZAR_NODE AND ZAR_CHROMIUM)
    add_test(NAME ${name}
             COMMAND "${ZAR_NODE}" "${PROJECT_SOURCE_DIR}/js/viewer-test/${script}"
                     --tool "$<TARGET_FILE:zarfileio>"
                     --work "${CMAKE_CURRENT_BINARY_DIR}/viewer/${work}" ${ARGN})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "ZAR_CHROMIUM=${ZAR_CHROMIUM}")
  else()
    add_test(NAME ${name} COMMAND sh -c
             "echo 'skipped: node or chromium is missing'; [ \"$CI\" = true ] && exit 1; exit 77")
  endif()
  set_tests_properties(${name} PROPERTIES LABELS browser SKIP_RETURN_CODE 77 TIMEOUT 180)
endfunction()

file(GLOB zar_viewer_samples CONFIGURE_DEPENDS
     "${ZAR_SHARED_SAMPLES}/htr/*.htr" "${ZAR_SHARED_SAMPLES}/trc/*.trc"
     "${ZAR_SHARED_SAMPLES}/bvh/*.bvh")
set(zar_viewer_cases
    "samples.walk|${PROJECT_SOURCE_DIR}/samples/walk.htr"
    "samples.markers|${PROJECT_SOURCE_DIR}/samples/markers.trc"
    "samples.together|${PROJECT_SOURCE_DIR}/samples/walk.htr|${PROJECT_SOURCE_DIR}/samples/markers.trc")
foreach(sample ${zar_viewer_samples})
  get_filename_component(name "${sample}" NAME)
  list(APPEND zar_viewer_cases "shared.${name}|${sample}")
endforeach()

foreach(case ${zar_viewer_cases})
  string(REPLACE "|" ";" parts "${case}")
  list(POP_FRONT parts name)
  zar_add_browser_test(viewer.${name} check_page.mjs ${name} ${parts})
endforeach()

# The page frames the subject, opens on the first frame with data and plots a clicked marker.
zar_add_browser_test(viewer.subject subject_view.mjs subject)
# A C3D's force plates and events drawn, against the tool's forces CSV.
zar_add_browser_test(viewer.plates plates_events.mjs plates --samples "${ZAR_SHARED_SAMPLES}/c3d")

# The page's gap runs against runs counted by hand (Node only, no browser).
if(ZAR_NODE)
  add_test(NAME viewer.gaps COMMAND "${ZAR_NODE}" "${PROJECT_SOURCE_DIR}/js/viewer-test/gaps.mjs")
else()
  add_test(NAME viewer.gaps COMMAND sh -c
           "echo 'skipped: node is missing'; [ \"$CI\" = true ] && exit 1; exit 77")
  set_tests_properties(viewer.gaps PROPERTIES SKIP_RETURN_CODE 77)
endif()

# What view refuses and where it writes, without a browser.
zar_add_test(cli_view_test SOURCES cli_view_test.cpp LIBS zar::filelib zar::modra)
add_dependencies(cli_view_test zarfileio)
