# Cross-compiles for Windows x64 in Microsoft's C++ ABI, the ABI of hosts built with Visual C++ or
# clang-cl, without Visual Studio: Debian's clang 14 in MSVC mode, lld-link, the MinGW-w64 headers
# and import libraries, libc++'s headers for the standard templates, and our own runtime unit
# (runtime/) for what the Visual C++ runtime would supply.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESSARY_FLAVOUR msvc)
set(triple x86_64-pc-windows-msvc)
set(mingw /usr/x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER llvm-rc-14)
set(CMAKE_AR llvm-ar-14)
set(CMAKE_RANLIB llvm-ranlib-14)
set(CMAKE_OBJDUMP llvm-objdump-14)
set(CMAKE_DLLTOOL llvm-dlltool-14)
set(CMAKE_FIND_ROOT_PATH ${mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Release code, built against the release DLL runtime as a Visual C++ host's. The project adds
# CodeView debug information and a PDB beside each module.
set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type")
set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreadedDLL)
# Compiler checks compile only: nothing links without the runtime unit, which the project builds.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# MinGW-w64's headers in MSVC mode: their own C library declarations (the Universal CRT), no GNU
# printf wrappers, COM methods that may throw (the headers otherwise mark each one nothrow, which
# every override would have to repeat), and aggregate returns of COM methods spelt as the hidden
# out-pointer they are in this ABI, exactly as the g++ flavour sees them. libc++ is used from its
# headers alone: no DLL import markings, every template instantiated where used, and its own
# exception and type_info classes (its Microsoft mode would need the Visual C++ runtime's headers).
set(flags "-fms-extensions -fno-ms-compatibility -D_UCRT -D__USE_MINGW_ANSI_STDIO=0 -DCOM_STDMETHOD_CAN_THROW \
-DWIDL_EXPLICIT_AGGREGATE_RETURNS -idirafter /usr/share/mingw-w64/include")
set(CMAKE_C_FLAGS_INIT "${flags}")
set(CMAKE_CXX_FLAGS_INIT "${flags} -isystem /usr/lib/llvm-14/include/c++/v1 -D_LIBCPP_ABI_FORCE_ITANIUM \
-D_LIBCPP_DISABLE_VISIBILITY_ANNOTATIONS -D_LIBCPP_DISABLE_EXTERN_TEMPLATE")
# The MinGW-w64 headers take the GNU paths (__uuidof of COM interfaces among them) only without
# _MSC_VER. The project adds this option itself: CMake must still see _MSC_VER when it identifies
# the compiler, to treat it as clang simulating Visual C++.
set(TESSARY_COMPILE_OPTIONS -U_MSC_VER)

# lld-link looks libraries up as name.lib; MinGW-w64 ships them as libname.a. A folder in the build
# tree gives every library its Windows name: a link to the archive, or, for the archives some of
# whose members were compiled with DWARF (uuid's GUIDs among them), a copy without it. When it
# writes a PDB, lld-link would otherwise copy those DWARF sections into the image, under section
# names too long for an image (a warning each), beside debug information no Windows debugger reads.
set(libs ${CMAKE_BINARY_DIR}/mingw-import-libs)
get_property(in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT in_try_compile AND NOT EXISTS ${libs}/without-dwarf.stamp)
  file(REMOVE_RECURSE ${libs})
  file(MAKE_DIRECTORY ${libs})
  file(GLOB archives ${mingw}/lib/lib*.a)
  execute_process(COMMAND grep -l -a -F .debug_ ${archives} OUTPUT_VARIABLE with_dwarf)
  string(REPLACE "\n" ";" with_dwarf "${with_dwarf}")
  foreach(archive ${archives})
    get_filename_component(name ${archive} NAME_WE)
    string(REGEX REPLACE "^lib" "" name ${name})
    if(archive IN_LIST with_dwarf)
      execute_process(COMMAND llvm-objcopy-14 --strip-debug ${archive} ${libs}/${name}.lib COMMAND_ERROR_IS_FATAL ANY)
    else()
      file(CREATE_LINK ${archive} ${libs}/${name}.lib SYMBOLIC)
    endif()
  endforeach()
  file(TOUCH ${libs}/without-dwarf.stamp)
endif()
# No default libraries: every binary names the system DLLs it uses and links the runtime unit.
set(link "-fuse-ld=lld -nostdlib -Xlinker /libpath:${libs} -Xlinker /nodefaultlib")
set(CMAKE_C_STANDARD_LIBRARIES "-lkernel32" CACHE STRING "")
set(CMAKE_CXX_STANDARD_LIBRARIES "-lkernel32" CACHE STRING "")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${link}")
