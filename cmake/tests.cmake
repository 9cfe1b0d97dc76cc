# Registers a GoogleTest executable with CTest. On the build's own system each test is an entry of
# its own (the remaining arguments go to gtest_discover_tests). A Windows build runs its tests under
# Wine, where each start of a program costs more: one entry runs the whole executable there.
function(educa_gtest target)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${target} COMMAND ${target})
        # Wine names files on the Linux side in the locale's character set: a UTF-8 one keeps
        # non-ASCII names whole.
        set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 900 ENVIRONMENT "LC_ALL=C.UTF-8")
    else()
        gtest_discover_tests(${target} ${ARGN})
    endif()
endfunction()

if(CMAKE_CROSSCOMPILING AND WIN32)
    # One Wine prefix in the build folder; its server is kept running for the whole test run
    # (scripts/wine-run.sh starts it) and ended at the end.
    set(EDUCA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
    add_test(NAME wine_start COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${EDUCA_WINE_PREFIX} cmd /c exit 0)
    set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
    add_test(NAME wine_stop COMMAND wineserver -k)
    set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT "WINEPREFIX=${EDUCA_WINE_PREFIX}")
endif()
