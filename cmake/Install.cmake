# cmake --install puts this build's flavour beside the other one in a prefix:
#   include/                          the host headers (Tessary's and quillon.h), shared by both;
#   msvc/bin, msvc/lib                the MSVC-ABI DLLs and import libraries (tessary.lib, quillon.lib);
#   gnu/bin, gnu/lib                  the g++ DLLs and import libraries (libtessary.dll.a, ...);
#   <flavour>/softd2d/d2d1.dll        softd2d, for running hosts under Wine only (on Windows the
#                                     system's d2d1.dll serves);
#   msvc/bin/*.pdb                    each MSVC-ABI DLL's PDB beside it (d2d1.pdb in msvc/softd2d);
#   gnu/debug/*.dll.debug             the DWARF of the stripped g++ DLLs, named by their debuglinks;
#   lib/cmake/Tessary/                TessaryConfig.cmake, its version file and each flavour's targets.
# A consumer writes find_package(Tessary) and links Tessary::tessary; the config picks the flavour
# of the consumer's compiler. cpack makes a ZIP of the same; with TESSARY_PACKAGE_OTHER_BUILD set to
# the other flavour's build folder, the ZIP holds both.
include(CMakePackageConfigHelpers)

install(TARGETS tessary quillon EXPORT TessaryTargets
        RUNTIME DESTINATION ${TESSARY_FLAVOUR}/bin
        ARCHIVE DESTINATION ${TESSARY_FLAVOUR}/lib)
install(TARGETS d2d1 RUNTIME DESTINATION ${TESSARY_FLAVOUR}/softd2d)
if(TESSARY_FLAVOUR STREQUAL "msvc")
  install(FILES $<TARGET_PDB_FILE:tessary> $<TARGET_PDB_FILE:quillon> DESTINATION msvc/bin)
  install(FILES $<TARGET_PDB_FILE:d2d1> DESTINATION msvc/softd2d)
else()
  install(FILES $<TARGET_FILE:tessary>.debug $<TARGET_FILE:quillon>.debug $<TARGET_FILE:d2d1>.debug
          DESTINATION gnu/debug)
endif()
install(DIRECTORY include/ quillon/include/ DESTINATION include
        FILES_MATCHING PATTERN "*.h" PATTERN "quillon_testing.h" EXCLUDE)
install(EXPORT TessaryTargets NAMESPACE Tessary:: DESTINATION lib/cmake/Tessary
        FILE Tessary-${TESSARY_FLAVOUR}-targets.cmake)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TessaryConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES cmake/TessaryConfig.cmake ${CMAKE_BINARY_DIR}/TessaryConfigVersion.cmake
        DESTINATION lib/cmake/Tessary)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tessary)
set(CPACK_PACKAGE_FILE_NAME Tessary-${PROJECT_VERSION}-win64)
set(TESSARY_PACKAGE_OTHER_BUILD "" CACHE PATH "Build folder of the other flavour, packaged beside this one")
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Tessary;ALL;/")
if(TESSARY_PACKAGE_OTHER_BUILD)
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS "${TESSARY_PACKAGE_OTHER_BUILD};Tessary;ALL;/")
endif()
include(CPack)
