# The reliability suite: one gtest binary (tests/reliability/*.cpp) and one ctest entry,
# plus the clerk program its child processes run (tests/reliability/clerk/).
# RELIABILITY_SCALE=soak in the environment runs the long sizes (make soak).
file(GLOB reliability_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/reliability/*.cpp)
add_executable(reliability_tests ${reliability_srcs})
target_compile_options(reliability_tests PRIVATE ${COREAPP_WARNINGS})
target_include_directories(reliability_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(reliability_tests PRIVATE coreapp_plugs coreapp_schema GTest::gtest GTest::gtest_main)
target_compile_definitions(reliability_tests PRIVATE
  COREAPP_SOURCE_DIR="${PROJECT_SOURCE_DIR}" COREAPP_BINARY_DIR="${PROJECT_BINARY_DIR}")
add_test(NAME reliability COMMAND reliability_tests)
set_tests_properties(reliability PROPERTIES WORKING_DIRECTORY ${PROJECT_BINARY_DIR} TIMEOUT 600)

add_executable(reliability_clerk ${PROJECT_SOURCE_DIR}/tests/reliability/clerk/clerk_main.cpp)
target_compile_options(reliability_clerk PRIVATE ${COREAPP_WARNINGS})
target_link_libraries(reliability_clerk PRIVATE coreapp_plugs)
target_compile_definitions(reliability_clerk PRIVATE COREAPP_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_compile_definitions(reliability_tests PRIVATE RELIABILITY_CLERK="$<TARGET_FILE:reliability_clerk>")
add_dependencies(reliability_tests reliability_clerk)
target_compile_definitions(reliability_tests PRIVATE COREAPP_CLI="$<TARGET_FILE:coreapp>")
add_dependencies(reliability_tests coreapp)
