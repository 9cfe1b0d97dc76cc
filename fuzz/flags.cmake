# Compiler flags of a fuzzing build: included by the top CMakeLists.txt before any library is
# defined, so that every library is instrumented for libFuzzer and the sanitizers.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "EDUCA_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=address,undefined)
