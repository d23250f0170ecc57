# The native tests (and their Windows build, run under Wine) and the
# end-to-end tests of Kestrova.exe.
if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(gtest_libs gtest gtest_main)
else()
  find_package(GTest REQUIRED)
  set(gtest_libs GTest::gtest GTest::gtest_main)
endif()

file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
list(FILTER test_sources EXCLUDE REGEX "/tests/e2e/")
if(WIN32)
  list(FILTER test_sources EXCLUDE REGEX "_posix(_test)?\\.cpp$")
else()
  list(FILTER test_sources EXCLUDE REGEX "_win32(_test)?\\.cpp$")
endif()

add_executable(kestrova_tests ${test_sources})
# Every test file parses GoogleTest's headers: parse them once.
target_precompile_headers(kestrova_tests PRIVATE <gtest/gtest.h> <string> <vector>)
# GCC 12 at -O2 warns wrongly about string concatenations in test expressions.
target_compile_options(kestrova_tests PRIVATE -Wno-array-bounds -Wno-stringop-overflow)
target_link_libraries(kestrova_tests PRIVATE kestrova_core ${gtest_libs})
# The cli is a program, not a library: its option reader is tested as a source.
target_sources(kestrova_tests PRIVATE ${CMAKE_SOURCE_DIR}/cli/option_argument.cpp)
# Tests read their data files from the source tree.
target_compile_definitions(kestrova_tests PRIVATE KESTROVA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
if(WIN32)
  # The Windows tests open the program's own dialogs and pictures.
  target_sources(kestrova_tests PRIVATE ${CMAKE_SOURCE_DIR}/resources/kestrova.rc)
endif()

if(WIN32)
  file(GLOB e2e_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
  add_executable(kestrova_e2e ${e2e_sources} ${CMAKE_SOURCE_DIR}/tests/support/screenshot_win32.cpp)
  target_precompile_headers(kestrova_e2e PRIVATE <gtest/gtest.h> <string> <vector>)
  target_compile_options(kestrova_e2e PRIVATE -Wno-array-bounds -Wno-stringop-overflow)
  target_include_directories(kestrova_e2e PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(kestrova_e2e PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600)
  target_link_libraries(kestrova_e2e PRIVATE ${gtest_libs} comctl32 gdi32 user32)
endif()
