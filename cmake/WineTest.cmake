# Test executables run under Wine in the build tree's own prefix. A crash must fail at once
# (winedbg disabled) and every test has a timeout, so CI never hangs.
set(TESSARY_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix the tests run in")
set(TESSARY_DLL_OVERRIDES "d2d1=n;winedbg.exe=d;mscoree,mshtml=")

# Flags shared by every Windows executable of ours.
function(tessary_executable target)
  if(TESSARY_FLAVOUR STREQUAL "msvc")
    target_link_libraries(${target} PRIVATE tessary_runtime)
    target_link_options(${target} PRIVATE LINKER:/entry:wmainCRTStartup)
  else()
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()

# tessary_wine_environment(test timeout): the test runs its programs in the build's Wine prefix.
function(tessary_wine_environment test timeout)
  set_tests_properties(${test} PROPERTIES TIMEOUT ${timeout}
    ENVIRONMENT "WINEPREFIX=${TESSARY_WINEPREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=${TESSARY_DLL_OVERRIDES}")
endfunction()

# tessary_add_wine_test(NAME name COMMAND target [args...] [TIMEOUT seconds] [SCREEN])
# SCREEN serialises tests that read the shared X screen back.
function(tessary_add_wine_test)
  cmake_parse_arguments(T "SCREEN" "NAME;TIMEOUT" "COMMAND" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  list(POP_FRONT T_COMMAND exe)
  if(TARGET ${exe})
    set(exe $<TARGET_FILE:${exe}>)
  endif()
  add_test(NAME ${T_NAME} COMMAND wine ${exe} ${T_COMMAND}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  tessary_wine_environment(${T_NAME} ${T_TIMEOUT})
  if(T_SCREEN)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK x-screen)
  endif()
endfunction()

# GoogleTest, built from Debian's sources with the cross compiler.
function(tessary_googletest)
  if(TARGET gtest)
    return()
  endif()
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endfunction()

# tessary_add_gtest(target sources... [LIBS libs...] [SCREEN] [TIMEOUT s]): a GoogleTest executable run under Wine.
function(tessary_add_gtest target)
  cmake_parse_arguments(T "SCREEN" "TIMEOUT" "LIBS" ${ARGN})
  tessary_googletest()
  add_executable(${target} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE gtest_main gtest ${T_LIBS})
  set(extra)
  if(T_SCREEN)
    list(APPEND extra SCREEN)
  endif()
  if(T_TIMEOUT)
    list(APPEND extra TIMEOUT ${T_TIMEOUT})
  endif()
  tessary_add_wine_test(NAME ${target} COMMAND ${target} ${extra})
endfunction()
