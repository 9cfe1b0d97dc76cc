# pugixml for the Windows build: Debian ships its headers and the Linux library only, so the library
# is compiled from Debian's source package, fetched once into the build folder. Only needed while the
# document layer uses pugixml.
set(EDUCA_PUGIXML_SOURCE ${CMAKE_BINARY_DIR}/debian-source/pugixml)
file(GLOB EDUCA_PUGIXML_CPP ${EDUCA_PUGIXML_SOURCE}/pugixml-*/src/pugixml.cpp)
if(NOT EDUCA_PUGIXML_CPP)
    message(STATUS "Fetching Debian's source of pugixml into ${EDUCA_PUGIXML_SOURCE}")
    execute_process(
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/debian-source.sh pugixml ${EDUCA_PUGIXML_SOURCE}
        RESULT_VARIABLE EDUCA_PUGIXML_RESULT)
    file(GLOB EDUCA_PUGIXML_CPP ${EDUCA_PUGIXML_SOURCE}/pugixml-*/src/pugixml.cpp)
    if(NOT EDUCA_PUGIXML_RESULT EQUAL 0 OR NOT EDUCA_PUGIXML_CPP)
        message(FATAL_ERROR "Could not fetch Debian's source of pugixml (scripts/debian-source.sh)")
    endif()
endif()
list(GET EDUCA_PUGIXML_CPP 0 EDUCA_PUGIXML_CPP)
get_filename_component(EDUCA_PUGIXML_SRC_DIR ${EDUCA_PUGIXML_CPP} DIRECTORY)
add_library(pugixml STATIC ${EDUCA_PUGIXML_CPP})
target_include_directories(pugixml SYSTEM PUBLIC ${EDUCA_PUGIXML_SRC_DIR})
add_library(pugixml::pugixml ALIAS pugixml)
