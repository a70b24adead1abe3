# Shared helpers for the project's CMake files.

# Warnings for our own code only.
function(fluxmira_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# fluxmira_library(name SOURCES ... [QT] [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
function(fluxmira_library name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
  fluxmira_warnings(${name})
endfunction()

# fluxmira_test(name SOURCES ... LIBS ... [GUI] [TIMEOUT s] [LABELS ...])
# GUI tests get a QApplication (tests/support/gui_main.cpp) on the offscreen platform.
function(fluxmira_test name)
  cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE fluxmira_test_support_gui ${ARG_LIBS})
  else()
    target_link_libraries(${name} PRIVATE fluxmira_test_support GTest::gtest_main ${ARG_LIBS})
  endif()
  fluxmira_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;FLUXMIRA_ARTIFACTS=${PROJECT_BINARY_DIR}/artifacts"
    LABELS "${ARG_LABELS}")
endfunction()

# fluxmira_asan_cases(name): the test's cases named *UnderAsan* catch their
# faults (a freed object read, a leak) only under AddressSanitizer. In an
# address build they also run as <name>_under_asan, labelled asan, so that
# `ctest -L asan` runs just them. Freed memory is filled there: Qt itself is
# not instrumented, and a freed widget it reads must not look intact.
function(fluxmira_asan_cases name)
  if(NOT FLUXMIRA_SANITIZE STREQUAL "address")
    return()
  endif()
  add_test(NAME ${name}_under_asan COMMAND ${name} --gtest_filter=*UnderAsan*)
  set_tests_properties(${name}_under_asan PROPERTIES
    TIMEOUT 600
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;FLUXMIRA_ARTIFACTS=${PROJECT_BINARY_DIR}/artifacts;ASAN_OPTIONS=max_free_fill_size=65536"
    LABELS asan)
endfunction()
