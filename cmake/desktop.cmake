# The desktop shell (Qt 6 Widgets). Built only where Qt 6 is installed, so the rest of
# the project builds and tests without it. The adapters go into coreapp_desktop so
# the tests link them; main.cpp alone makes the coreapp-desktop program.
find_package(Qt6 COMPONENTS Core Gui Widgets PrintSupport Test QUIET)
if(NOT Qt6_FOUND)
  message(STATUS "Qt 6 not found: coreapp-desktop and its tests are not built")
  return()
endif()

set(desktop_dir ${PROJECT_SOURCE_DIR}/src/apps/coreapp-desktop)
file(GLOB desktop_srcs CONFIGURE_DEPENDS ${desktop_dir}/*.cpp ${desktop_dir}/*.h)
list(FILTER desktop_srcs EXCLUDE REGEX "/main\\.cpp$")
add_library(coreapp_desktop STATIC ${desktop_srcs})
set_target_properties(coreapp_desktop PROPERTIES AUTOMOC ON)
target_include_directories(coreapp_desktop PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(coreapp_desktop PRIVATE ${COREAPP_WARNINGS})
# Qt's `emit` keyword would swallow the host's ScriptedUi::emit; Q_EMIT is used instead.
target_compile_definitions(coreapp_desktop PUBLIC QT_NO_KEYWORDS)
target_link_libraries(coreapp_desktop PUBLIC coreapp_plugs coreapp_schema
                      Qt6::Widgets Qt6::PrintSupport)
# The report pages draw their charts with Qt Charts (qt6-charts-dev, which needs the
# OpenGL development files); without it they show their grids only, and the prints
# still carry the charts.
find_package(Qt6Charts QUIET)
if(TARGET Qt6::Charts)
  target_link_libraries(coreapp_desktop PUBLIC Qt6::Charts)
  target_compile_definitions(coreapp_desktop PUBLIC COREAPP_CHARTS)
else()
  message(STATUS "Qt Charts not found: report pages are built without their charts")
  get_target_property(with_charts coreapp_desktop SOURCES)
  list(FILTER with_charts INCLUDE REGEX "/chart_view\\.")
  set_source_files_properties(${with_charts} PROPERTIES HEADER_FILE_ONLY ON)
endif()

add_executable(coreapp-desktop ${desktop_dir}/main.cpp)
target_compile_options(coreapp-desktop PRIVATE ${COREAPP_WARNINGS})
target_link_libraries(coreapp-desktop PRIVATE coreapp_desktop)

# Widget tests run on the offscreen platform: no display needed.
file(GLOB desktop_test_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/desktop/*.cpp)
if(desktop_test_srcs)
  add_executable(desktop_tests ${desktop_test_srcs})
  target_compile_options(desktop_tests PRIVATE ${COREAPP_WARNINGS})
  target_include_directories(desktop_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(desktop_tests PRIVATE coreapp_desktop Qt6::Test GTest::gtest)
  target_compile_definitions(desktop_tests PRIVATE COREAPP_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME desktop COMMAND desktop_tests)
  # A modal window nobody closes would wait forever: the timeout ends such a run.
  set_tests_properties(desktop PROPERTIES WORKING_DIRECTORY ${PROJECT_BINARY_DIR} TIMEOUT 300
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
