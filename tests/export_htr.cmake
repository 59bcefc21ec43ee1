# HTR export and the HTR round trip, driven through the plug-in as the host loads it.
foreach(suite export_htr_test htr_round_trip_test)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${suite}.cpp)
    zar_add_test(${suite} SOURCES ${suite}.cpp LIBS zar::modra zar::filelib zar::math)
    add_dependencies(${suite} zarfileio_plugin)
    target_include_directories(${suite} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${suite} PRIVATE ZAR_PLUGIN_PATH="$<TARGET_FILE:zarfileio_plugin>")
  endif()
endforeach()
