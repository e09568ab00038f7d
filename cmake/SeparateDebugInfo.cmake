# tessary_separate_debug_info(dll): in the g++ flavour the DLL a host gets is stripped after each
# link, and its DWARF moves to <dll>.debug beside it, which gdb and addr2line find through the DLL's
# .gnu_debuglink (the file's name and checksum). The MSVC-ABI flavour writes a PDB instead.
function(tessary_separate_debug_info dll)
  if(TESSARY_FLAVOUR STREQUAL "gnu")
    add_custom_command(TARGET ${dll} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${dll}> $<TARGET_FILE:${dll}>.debug
      COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE:${dll}>.debug $<TARGET_FILE:${dll}>
      VERBATIM)
  endif()
endfunction()
