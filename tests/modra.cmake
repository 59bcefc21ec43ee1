# The plug-in interface headers and the stand-in host.
zar_add_test(sdk_test SOURCES sdk_test.cpp LIBS zar::sdk)
zar_add_test(modra_scene_test SOURCES modra_scene_test.cpp LIBS zar::modra zar::math)
