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

# The programs of one folder under tests/ (its label) are the dependencies of
# fluxmira_tests_<folder>, so that a run limited to some labels builds just
# them, whatever their tests are named (scripts/test).
function(_fluxmira_test_folder_target program)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" folder "${rel}")
  if(NOT TARGET fluxmira_tests_${folder})
    add_custom_target(fluxmira_tests_${folder})
  endif()
  add_dependencies(fluxmira_tests_${folder} ${program})
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
  _fluxmira_test_folder_target(${name})
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
# faults (a freed object read, a leak) only under AddressSanitizer. In a build
# with it (FLUXMIRA_SANITIZE=address, or address,undefined) they also run as
# <name>_under_asan, labelled asan, so that `ctest -L asan` runs just them;
# the target fluxmira_asan_tests builds only their programs (scripts/asan-cases).
# Freed memory is filled there: Qt itself is not instrumented, and a freed
# widget it reads must not look intact. Undefined behaviour found on the way
# ends the test.
function(fluxmira_asan_cases name)
  if(NOT FLUXMIRA_SANITIZE MATCHES "(^|,)address(,|$)")
    return()
  endif()
  add_test(NAME ${name}_under_asan COMMAND ${name} --gtest_filter=*UnderAsan*)
  set_tests_properties(${name}_under_asan PROPERTIES
    TIMEOUT 600
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;FLUXMIRA_ARTIFACTS=${PROJECT_BINARY_DIR}/artifacts;ASAN_OPTIONS=max_free_fill_size=65536;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    LABELS asan)
  if(NOT TARGET fluxmira_asan_tests)
    add_custom_target(fluxmira_asan_tests)
  endif()
  add_dependencies(fluxmira_asan_tests ${name})
endfunction()

# --- Installation ---------------------------------------------------------
include(GNUInstallDirs)

# The name the desktop knows the program by: desktop entry, icon, metainfo.
set(FLUXMIRA_APP_ID io.github.fluxmira.Fluxmira)
set(FLUXMIRA_ICON_SIZES 16 22 24 32 48 64 128 256)

# Everything `cmake --install` takes; scripts/package builds only this.
add_custom_target(fluxmira_installables)

# fluxmira_install_program(target MAN page.<section>)
# Installs the program to bin/ and its manual page, compressed, to
# share/man/man<section>/, and lists both among the installed programs
# (<build>/installed_programs.txt) that the installation test expects.
function(fluxmira_install_program target)
  cmake_parse_arguments(ARG "" "MAN" "" ${ARGN})
  if(NOT ARG_MAN)
    message(FATAL_ERROR "fluxmira_install_program(${target}): every installed program needs a MAN page")
  endif()
  cmake_path(GET ARG_MAN FILENAME page)
  cmake_path(GET ARG_MAN EXTENSION LAST_ONLY section)
  string(SUBSTRING "${section}" 1 -1 section)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/man/${page})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_MAN} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${ARG_MAN}
    VERBATIM)
  add_custom_target(${target}_man ALL DEPENDS ${copy}.gz)
  add_dependencies(fluxmira_installables ${target} ${target}_man)

  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${copy}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  set_property(GLOBAL APPEND PROPERTY FLUXMIRA_INSTALLED_PROGRAMS
    "${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${target}>"
    "${CMAKE_INSTALL_MANDIR}/man${section}/${page}.gz")
endfunction()

# Written once every folder has been read, so programs added anywhere count.
function(_fluxmira_write_installed_programs)
  get_property(files GLOBAL PROPERTY FLUXMIRA_INSTALLED_PROGRAMS)
  list(JOIN files "\n" text)
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/installed_programs.txt CONTENT "${text}\n")
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _fluxmira_write_installed_programs)


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

# The packed skins we ship: share/fluxmira/Skins, in the build tree as where
# they are installed, so the program finds them at ../share/fluxmira/Skins.
set(FLUXMIRA_SKINS_SUBDIR ${CMAKE_INSTALL_DATADIR}/fluxmira/Skins)
set(FLUXMIRA_SKINS_DIR ${PROJECT_BINARY_DIR}/${FLUXMIRA_SKINS_SUBDIR})
