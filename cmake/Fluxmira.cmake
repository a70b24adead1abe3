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

# The program's skin folder in the build tree: "Skins" next to the program,
# where the generator puts the packed skins we ship.
set(FLUXMIRA_SKINS_DIR ${PROJECT_BINARY_DIR}/app/Skins)

# fluxmira_generated_qrc(OUT_CPP NAME rcc_name PREFIX /prefix DEPENDS generated... FILES alias path ...)
# A Qt resource file of generated files (paths relative to the current binary
# folder), compiled by rcc; OUT_CPP names the C++ file to add to a library.
function(fluxmira_generated_qrc out_cpp)
  cmake_parse_arguments(ARG "" "NAME;PREFIX" "DEPENDS;FILES" ${ARGN})
  set(_qrc ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.qrc)
  set(_text "<RCC><qresource prefix=\"${ARG_PREFIX}\">\n")
  list(LENGTH ARG_FILES _count)
  math(EXPR _last "${_count} - 1")
  foreach(_i RANGE 0 ${_last} 2)
    math(EXPR _j "${_i} + 1")
    list(GET ARG_FILES ${_i} _alias)
    list(GET ARG_FILES ${_j} _path)
    string(APPEND _text "<file alias=\"${_alias}\">${_path}</file>\n")
  endforeach()
  string(APPEND _text "</qresource></RCC>\n")
  file(WRITE ${_qrc}.in "${_text}")
  configure_file(${_qrc}.in ${_qrc} COPYONLY)
  set(_cpp ${CMAKE_CURRENT_BINARY_DIR}/qrc_${ARG_NAME}.cpp)
  add_custom_command(
    OUTPUT ${_cpp}
    COMMAND $<TARGET_FILE:Qt6::rcc> --name ${ARG_NAME} -o ${_cpp} ${_qrc}
    DEPENDS ${_qrc} ${ARG_DEPENDS}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    VERBATIM)
  set(${out_cpp} ${_cpp} PARENT_SCOPE)
endfunction()
