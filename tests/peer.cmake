# Checks by readers we did not write, on what zarfileio convert writes from the sample files: the
# Khronos glTF validator and three.js's glTF and BVH loaders (Node, with the pinned packages of
# js/; skipped when those are not installed), and Python's csv module beside our own TRC reader.
set(ZAR_PEER_SAMPLES ${ZAR_SHARED_SAMPLES}/htr ${ZAR_SHARED_SAMPLES}/trc ${ZAR_SHARED_SAMPLES}/bvh
    ${PROJECT_SOURCE_DIR}/samples)
foreach(check validate_gltf three_positions)
  add_test(NAME peer_${check}
           COMMAND ${PROJECT_SOURCE_DIR}/js/peer/run.sh ${check}.mjs $<TARGET_FILE:zarfileio>
                   ${ZAR_PEER_SAMPLES})
  set_tests_properties(peer_${check} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endforeach()
zar_add_test(peer_readback_test SOURCES peer_readback_test.cpp LIBS zar::exchange zar::modra)
add_dependencies(peer_readback_test zarfileio)
find_package(nlohmann_json 3 REQUIRED)
zar_add_test(exchange_gltf_test SOURCES exchange_gltf_test.cpp
             LIBS zar::exchange nlohmann_json::nlohmann_json)
