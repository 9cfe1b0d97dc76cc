# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (GCC 12). The programs are 32-bit like
# the host program that starts them, so that Windows shows them the same files as the host: a 32-bit
# program without an execution level in a manifest gets the per-user view of a protected folder
# (VirtualStore), a 64-bit one never does. The posix thread variant is named explicitly: the win32
# variant, the default of the mingw-w64 package, has no std::thread or std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(EDUCA_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${EDUCA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${EDUCA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${EDUCA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${EDUCA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Floating point in SSE2 registers, as on x86_64: the x87's 80-bit intermediates would let the text
# of a number in the document differ from the Linux build's.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Static: every program then needs nothing but Windows' own DLLs (a dynamic build also fails to start
# under Wine without a word). No time stamp in the PE header, so that two builds of the same sources
# give the same programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")

# Test programs run under Wine, with a prefix of their own in the build folder (scripts/wine-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wine)

# -O2 for a release: at -O3 GCC 12 warns falsely (-Wrestrict) inside its own string library.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a release build")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a release build")

set(CMAKE_STRIP ${EDUCA_MINGW_TRIPLET}-strip)
set(CMAKE_OBJDUMP ${EDUCA_MINGW_TRIPLET}-objdump)
