# The export benchmark: generates a large database, exports it, prints time and peak memory.
add_executable(export_bench ${CMAKE_CURRENT_LIST_DIR}/export_bench.cpp)
target_link_libraries(export_bench PRIVATE exporter timetable platform fmt::fmt)
educa_warnings(export_bench)
