# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (GCC 12). The posix thread variant is
# named explicitly: the win32 variant, the default of the mingw-w64 package, has no std::thread or
# std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(EDUCA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${EDUCA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${EDUCA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${EDUCA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${EDUCA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static: every program then needs nothing but Windows' own DLLs (a dynamic build also fails to start
# under Wine without a word).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine, with a prefix of their own in the build folder (scripts/wine-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wine)

# -O2 for a release: at -O3 GCC 12 warns falsely (-Wrestrict) inside its own string library.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a release build")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a release build")

set(CMAKE_STRIP ${EDUCA_MINGW_TRIPLET}-strip)
set(CMAKE_OBJDUMP ${EDUCA_MINGW_TRIPLET}-objdump)
