# Tests of the tunings, transposition, automatic arrangement and settings file.
# Own executables, so that they build beside the other test binaries.

add_executable(kumoito_tuning_tests
  ${CMAKE_CURRENT_LIST_DIR}/song/tuning_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/song/arrangement_test.cpp
)
target_link_libraries(kumoito_tuning_tests PRIVATE kumoito_song GTest::gtest_main)
gtest_discover_tests(kumoito_tuning_tests)

add_executable(kumoito_config_tests
  ${CMAKE_CURRENT_LIST_DIR}/common/config_control_test.cpp
)
target_link_libraries(kumoito_config_tests PRIVATE kumoito_common GTest::gtest_main)
gtest_discover_tests(kumoito_config_tests)
