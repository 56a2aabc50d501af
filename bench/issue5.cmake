# MIDI engine benchmarks: player timing error and performance build/write/read.
add_executable(midi_bench midi_bench.cpp)
target_link_libraries(midi_bench PRIVATE kumoito_midi benchmark::benchmark)
