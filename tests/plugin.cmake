# The plug-in.
#
# plugin_services_test: the option store and the message reporter, built into the test against
# the stand-in host.
zar_add_test(plugin_services_test
  SOURCES plugin_services_option_store_test.cpp plugin_services_message_reporter_test.cpp
          ${PROJECT_SOURCE_DIR}/plugin_services/option_store.cpp
          ${PROJECT_SOURCE_DIR}/plugin_services/message_reporter.cpp
  LIBS zar::modra)
target_include_directories(plugin_services_test PRIVATE ${PROJECT_SOURCE_DIR})

# The probe: the plug-in built once more from the same sources, with plugin_probe.cpp added,
# exporting its option records beside the host's entry points, so that tests can save options
# through one load and read them through another. The shipped plug-in exports nothing of that.
get_target_property(zar_plugin_sources zarfileio_plugin SOURCES)
get_target_property(zar_plugin_source_dir zarfileio_plugin SOURCE_DIR)
set(zar_probe_sources ${CMAKE_CURRENT_SOURCE_DIR}/plugin_probe.cpp)
foreach(source ${zar_plugin_sources})
  if(NOT IS_ABSOLUTE ${source} AND NOT source MATCHES "^\\$<")
    set(source ${zar_plugin_source_dir}/${source})
  endif()
  list(APPEND zar_probe_sources ${source})
endforeach()
add_library(zarfileio_plugin_probe SHARED ${zar_probe_sources})
zar_target_options(zarfileio_plugin_probe)
target_include_directories(zarfileio_plugin_probe PRIVATE
  $<TARGET_PROPERTY:zarfileio_plugin,INCLUDE_DIRECTORIES>)
target_compile_definitions(zarfileio_plugin_probe PRIVATE
  $<TARGET_PROPERTY:zarfileio_plugin,COMPILE_DEFINITIONS>)
target_compile_options(zarfileio_plugin_probe PRIVATE
  $<TARGET_PROPERTY:zarfileio_plugin,COMPILE_OPTIONS>)
target_link_libraries(zarfileio_plugin_probe PRIVATE
  $<TARGET_PROPERTY:zarfileio_plugin,LINK_LIBRARIES>)
set_target_properties(zarfileio_plugin_probe PROPERTIES
  PREFIX ""
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_link_options(zarfileio_plugin_probe PRIVATE
  "LINKER:--version-script=${CMAKE_CURRENT_SOURCE_DIR}/plugin_probe.map")
set_property(TARGET zarfileio_plugin_probe APPEND PROPERTY LINK_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/plugin_probe.map)

# A second process for the cross-process option tests.
add_executable(plugin_probe_client plugin_probe_client.cpp)
zar_target_options(plugin_probe_client)
target_include_directories(plugin_probe_client PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(plugin_probe_client PRIVATE zar::modra ${CMAKE_DL_LIBS})

# plugin_test: the built plug-in loaded as the host loads it, the option records across loads
# and processes, and the command-line tool's plugin and options commands.
zar_add_test(plugin_test SOURCES plugin_load_test.cpp plugin_options_test.cpp plugin_tool_test.cpp
             LIBS zar::modra ${CMAKE_DL_LIBS})
target_include_directories(plugin_test PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(plugin_test PRIVATE
  ZAR_PLUGIN_FILE="$<TARGET_FILE:zarfileio_plugin>"
  ZAR_PLUGIN_PROBE_FILE="$<TARGET_FILE:zarfileio_plugin_probe>"
  ZAR_PROBE_CLIENT="$<TARGET_FILE:plugin_probe_client>")
add_dependencies(plugin_test zarfileio_plugin zarfileio_plugin_probe plugin_probe_client)
target_compile_definitions(plugin_test PRIVATE ZAR_TOOL_FILE="$<TARGET_FILE:zarfileio>")
add_dependencies(plugin_test zarfileio)
