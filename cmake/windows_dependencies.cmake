# The libraries that the Windows build takes from Debian's packages, built for Windows here: nothing
# is downloaded from anywhere else.

# fmt in its header-only mode. Only the fmt/ headers are copied into the build tree: adding the whole
# Linux include folder to the search path would put Linux's C headers in front of mingw's own.
set(EDUCA_WINDOWS_INCLUDE ${CMAKE_BINARY_DIR}/windows-include)
file(GLOB EDUCA_FMT_HEADERS /usr/include/fmt/*.h)
if(NOT EDUCA_FMT_HEADERS)
    message(FATAL_ERROR "libfmt-dev is missing: no headers in /usr/include/fmt")
endif()
file(COPY ${EDUCA_FMT_HEADERS} DESTINATION ${EDUCA_WINDOWS_INCLUDE}/fmt)
add_library(fmt::fmt INTERFACE IMPORTED)
target_include_directories(fmt::fmt SYSTEM INTERFACE ${EDUCA_WINDOWS_INCLUDE})
target_compile_definitions(fmt::fmt INTERFACE FMT_HEADER_ONLY=1)

# GoogleTest from Debian's sources (package googletest).
if(EDUCA_BUILD_TESTS)
    if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
        message(FATAL_ERROR "googletest is missing: no sources in /usr/src/googletest")
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # Defines GTest::gtest and GTest::gtest_main itself.
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
