# MIDI engine tests (one binary for the midi library).
add_executable(kumoito_midi_tests
  midi/midi_out_test.cpp
  midi/performance_test.cpp
  midi/playback_controller_test.cpp
  midi/player_test.cpp
  midi/smf_test.cpp
  midi/track_ops_test.cpp
)
target_link_libraries(kumoito_midi_tests PRIVATE kumoito_midi GTest::gtest_main)
gtest_discover_tests(kumoito_midi_tests DISCOVERY_TIMEOUT 60)
