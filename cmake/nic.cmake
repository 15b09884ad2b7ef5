# Build settings shared by every directory, and the helpers that declare targets.

if(NIC_BUILD STREQUAL "host")
  set(NIC_WINDOWS OFF)
else()
  set(NIC_WINDOWS ON)
endif()

add_compile_options(-Wall -Wextra)

# How the shipped files are compiled and linked.  Defined in every build: the fitness test
# (tests/fitness) builds its small good and bad binaries with the same settings.
set(NIC_STATIC_LINK_FLAGS -static -static-libgcc -static-libstdc++)
# No unwinder is linked and nothing throws, so unwind tables would only fill the floppy.
set(NIC_RELEASE_C_FLAGS -Os -march=i486 -mtune=i686 -fno-asynchronous-unwind-tables)
# No sized deallocation: a deleting destructor then needs only the plain operator delete,
# which the library's entry module defines (nothing of libstdc++ is linked).
set(NIC_RELEASE_CXX_FLAGS -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-sized-deallocation)
set(NIC_RELEASE_LINK_FLAGS
    # Pinned so that Windows 95 and NT 4.0 load the files whatever binutils defaults to.
    -Wl,--subsystem,windows:4.0
    -Wl,--major-subsystem-version,4,--minor-subsystem-version,0
    -Wl,--major-os-version,4,--minor-os-version,0
    # An auto-imported variable works only through MinGW's pseudo-relocation pass, which
    # neither file's own entry point runs: refuse it here.
    -Wl,--disable-auto-import)

if(NIC_BUILD STREQUAL "host")
  add_compile_options(-g -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # Coverage for the libFuzzer targets; harmless for the unit tests.
    add_compile_options(-fsanitize=fuzzer-no-link)
    set(NIC_FUZZ ON)
  endif()
else()
  # The C runtime's own printf family: MinGW's replacement is larger and, in its prebuilt
  # form, uses instructions a 486 lacks.  Only C files call it (a libstdc++ header would
  # switch C++ files back to MinGW's version).
  add_compile_definitions($<$<COMPILE_LANGUAGE:C>:__USE_MINGW_ANSI_STDIO=0>)
  add_compile_definitions(WIN32_LEAN_AND_MEAN)
  add_link_options(${NIC_STATIC_LINK_FLAGS})
endif()

if(NIC_BUILD STREQUAL "release")
  add_compile_options(${NIC_RELEASE_C_FLAGS})
  add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:${NIC_RELEASE_CXX_FLAGS}>")
  add_link_options(${NIC_RELEASE_LINK_FLAGS})
endif()

if(NIC_BUILD STREQUAL "win32")
  # Its programs are copied into the emulated i386 guest at each run: half the bytes
  # without symbols.
  add_link_options(-s)
endif()

if(NIC_BUILD STREQUAL "wine" OR NIC_BUILD STREQUAL "win32")
  # Windows-side paths of the build and source folders, for tests that start the built
  # programs and read fixtures.  The i386 guest mounts both at the same paths.
  string(REPLACE "/" "\\\\" NIC_BUILD_DIR_WIN "Z:${CMAKE_BINARY_DIR}")
  string(REPLACE "/" "\\\\" NIC_SOURCE_DIR_WIN "Z:${CMAKE_SOURCE_DIR}")
endif()

if(NIC_BUILD STREQUAL "wine")
  # The test harness runs each .exe test under wine64 in this build's own prefix.
  set(NIC_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
  configure_file("${CMAKE_SOURCE_DIR}/scripts/wine-run.in" "${CMAKE_BINARY_DIR}/wine-run" @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run")
endif()

# The C runtime of the shipped files: crtdll.dll, the one that every target carries in its
# system folder (msvcrt.dll is missing from a clean Windows 95).  Nothing of MinGW's own
# run-time libraries is linked: each file has its own entry point, so MinGW's start-up
# code, its pseudo-relocation pass and its msvcrt-only helpers stay out; libgcc gives the
# compiler's helpers (the stack probe).  The toolchain has crtdll's import library for the
# i686 only; for the wine build it is made from cmake/crtdll-x86_64.def, so that the tests
# run the C library the users get.
set(NIC_CRT_LINK_I686 -nostdlib -lcrtdll -lkernel32 -luser32 -lgcc)
if(NIC_WINDOWS AND NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(NIC_CRTDLL_X64_LIB "${CMAKE_BINARY_DIR}/libcrtdll.a")
  add_custom_command(OUTPUT "${NIC_CRTDLL_X64_LIB}"
    COMMAND x86_64-w64-mingw32-dlltool --input-def "${CMAKE_SOURCE_DIR}/cmake/crtdll-x86_64.def"
            --dllname crtdll.dll --output-lib "${NIC_CRTDLL_X64_LIB}"
    DEPENDS "${CMAKE_SOURCE_DIR}/cmake/crtdll-x86_64.def" VERBATIM)
  add_custom_target(crtdll_implib DEPENDS "${NIC_CRTDLL_X64_LIB}")
endif()

# Links a target against crtdll.dll and nothing of MinGW's run-time libraries.  Called
# after the target's other libraries, which need the C runtime after them on the line.
function(nic_crtdll target)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_libraries(${target} PRIVATE ${NIC_CRT_LINK_I686})
  else()
    target_link_libraries(${target} PRIVATE -nostdlib "${NIC_CRTDLL_X64_LIB}" -lkernel32 -luser32 -lgcc)
    add_dependencies(${target} crtdll_implib)
  endif()
endfunction()

# A DLL on nicprop's UI layer starts at the layer's own entry point (nicprop/ui/uientry.cpp).
function(nic_dll_entry target)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${target} PRIVATE -Wl,-e,_UiDllEntry@12)
  else()
    target_link_options(${target} PRIVATE -Wl,-e,UiDllEntry)
  endif()
  nic_crtdll(${target})
endfunction()

# Shipped code: the flags of NIC_RELEASE_CXX_FLAGS in any build, so that the wine build
# tests what the release build ships.
function(nic_shipped target)
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${NIC_RELEASE_CXX_FLAGS}>")
endfunction()

# Puts a shipped release binary into dist/, stripped.  The unstripped link stays in the
# build folder: scripts/check-binaries names the code it disassembles by its symbols.
function(nic_dist target)
  if(NIC_BUILD STREQUAL "release")
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory "${NIC_DIST_DIR}"
      COMMAND ${CMAKE_STRIP} --strip-all -o "${NIC_DIST_DIR}/$<TARGET_FILE_NAME:${target}>"
              "$<TARGET_FILE:${target}>"
      VERBATIM)
  endif()
endfunction()

# nic_core_library(NAME INCLUDE DIR [LINKS LIBRARY...] SOURCES FILE...): a library of
# shipped code that includes no windows.h, so that the host build compiles it natively
# for the sanitizers and fuzzers; the Windows builds link it into the deliverables.
function(nic_core_library name)
  cmake_parse_arguments(L "" "" "INCLUDE;LINKS;SOURCES" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${L_INCLUDE})
  if(L_LINKS)
    target_link_libraries(${name} PUBLIC ${L_LINKS})
  endif()
  nic_shipped(${name})
endfunction()

# The win32 build tests the shipped bytes: instead of building a shipped target, it copies
# the release build's file from dist/ unchanged into the folder where the tests look for
# it, under a custom target of the same name.
function(nic_dist_copy target file)
  set(from "${NIC_DIST_DIR}/${file}")
  if(NOT EXISTS "${from}")
    message(FATAL_ERROR "no ${from}: build the release preset first")
  endif()
  add_custom_command(OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/${file}"
    COMMAND ${CMAKE_COMMAND} -E copy "${from}" "${CMAKE_CURRENT_BINARY_DIR}/${file}"
    DEPENDS "${from}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/${file}")
endfunction()
