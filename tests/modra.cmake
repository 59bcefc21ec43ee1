# The plug-in interface headers and the stand-in host.
zar_add_test(sdk_test SOURCES sdk_test.cpp LIBS zar::sdk)
