# Opening a library song: key and tuning chosen, song moved and fitted.
add_executable(arrangement_bench ${CMAKE_CURRENT_LIST_DIR}/arrangement_bench.cpp)
target_link_libraries(arrangement_bench PRIVATE kumoito_song benchmark::benchmark_main)
