# find_package(Tessary): the imported targets Tessary::tessary and Tessary::quillon of the flavour
# that matches the consumer's C++ compiler: the MSVC-ABI DLLs for Visual C++ and clang in MSVC mode,
# the g++ DLLs for MinGW-w64 g++.
if(MSVC OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC")
  set(_tessary_flavour msvc)
elseif(MINGW OR (WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"))
  set(_tessary_flavour gnu)
else()
  set(Tessary_FOUND FALSE)
  set(Tessary_NOT_FOUND_MESSAGE "Tessary is for Windows x64 hosts built with Visual C++, clang-cl or MinGW-w64 g++")
  return()
endif()
if(NOT EXISTS ${CMAKE_CURRENT_LIST_DIR}/Tessary-${_tessary_flavour}-targets.cmake)
  set(Tessary_FOUND FALSE)
  set(Tessary_NOT_FOUND_MESSAGE "this Tessary package has no ${_tessary_flavour} flavour for ${CMAKE_CXX_COMPILER_ID}")
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/Tessary-${_tessary_flavour}-targets.cmake)
set(Tessary_FLAVOUR ${_tessary_flavour})

# tessary_copy_runtime_dlls(target): after each build, copies tessary.dll and quillon.dll beside the
# target's executable, where the Windows loader looks first, with their debug information, where
# debuggers look first: the PDBs (MSVC ABI) or the files the g++ DLLs' debuglinks name.
function(tessary_copy_runtime_dlls target)
  set(debug_files)
  foreach(dll tessary quillon)
    if(Tessary_FLAVOUR STREQUAL "msvc")
      list(APPEND debug_files $<TARGET_FILE_DIR:Tessary::${dll}>/${dll}.pdb)
    else()
      list(APPEND debug_files $<TARGET_FILE_DIR:Tessary::${dll}>/../debug/${dll}.dll.debug)
    endif()
  endforeach()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Tessary::tessary> $<TARGET_FILE:Tessary::quillon>
            ${debug_files} $<TARGET_FILE_DIR:${target}>)
endfunction()
