# Every Windows program here runs on the Windows 95 and NT families as shipped: subsystem 4.0,
# and nothing linked but the system's DLLs and libgcc's arithmetic helpers.
add_compile_definitions(_WIN32_WINNT=0x0400 WINVER=0x0400)
# The standard streams are CRTDLL's _iob entries, read straight from its export: mingw-w64's
# headers would reach them through a helper of newer runtimes, which libcrtdll.a supplies with
# unwind tables that take a file-alignment step of their own.
add_compile_definitions($<$<COMPILE_LANGUAGE:C,CXX>:_STDSTREAM_DEFINED>
  "$<$<COMPILE_LANGUAGE:C,CXX>:stdin=(&_iob[0])>" "$<$<COMPILE_LANGUAGE:C,CXX>:stdout=(&_iob[1])>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:stderr=(&_iob[2])>")
# Each function in a section of its own, so that the linker keeps only what a program
# calls: the programs share libraries of which each calls a part.
add_compile_options(-ffunction-sections)
# No link-time optimization, also where a build tree's cached flags still ask for it: ld 2.40
# crashes writing the base relocations of a program that imports data (CRTDLL's _iob) from LTO
# objects, and without it the programs grow by a few hundred bytes to a kilobyte, well within
# their sizes.
add_compile_options(-fno-lto)
# The frame pointer as one more of the 386's few registers: mingw-w64's GCC keeps it by
# default, and no code here walks the stack.
add_compile_options(-fomit-frame-pointer)
# No function but main realigns the stack. For speed, GCC gives a spilled 64-bit value an
# 8-byte slot and some structures 16 bytes, and realigns the stack of every function that holds
# one, 26 in mirlmake; told that the stack comes 16-aligned, it does not. Those slots are then
# 4-aligned, as Windows keeps the stack, which is all that 386 code needs: the 386 moves a
# 64-bit value in two halves, the x87 takes any alignment, and no SSE instruction, which would
# not, is used (-march=i386, tests/check_386.sh).
add_compile_options(-mincoming-stack-boundary=4)
# Programs name the DLLs they import themselves.
set(CMAKE_C_STANDARD_LIBRARIES "")
set(CMAKE_CXX_STANDARD_LIBRARIES "")

# A shipped program: its own start-up (mainCRTStartup for console, WinMainCRTStartup for
# windows), CRTDLL as the C runtime, and the other DLLs named. Its relocations let Windows Vista
# and later load it at a random address (DYNAMIC_BASE), with data that never runs (NX_COMPAT);
# older Windows ignores both and loads it at its base address.
function(windows_program target subsystem)
  if(subsystem STREQUAL "console")
    set(entry _mainCRTStartup)
  else()
    set(entry _WinMainCRTStartup)
  endif()
  target_link_options(${target} PRIVATE
    -nostdlib -s -Wl,-e,${entry} -Wl,--gc-sections -Wl,--enable-reloc-section
    -Wl,--dynamicbase -Wl,--nxcompat
    -Wl,--subsystem,${subsystem}:4.0
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
  target_link_libraries(${target} PRIVATE ${ARGN} crtdll kernel32 gcc)
endfunction()

# Code that passes call arguments with push, three bytes fewer an argument than a store by the
# stack pointer; the calling convention stays the same. GCC stores them wherever it probes the
# stack, which a frame of 4 KiB or an alloca needs so as not to step past the guard page by
# which Windows grows a stack: in such code the build refuses both, with a margin.
function(pushed_arguments target)
  target_compile_options(${target} PRIVATE -mno-accumulate-outgoing-args -mno-stack-arg-probe
    -Werror=frame-larger-than=2048 -Werror=alloca -Werror=vla)
endfunction()

# A test helper: mingw-w64's usual start-up and C runtime.
function(windows_test_program target subsystem)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
    -Wl,--subsystem,${subsystem}:4.0)
endfunction()

# Gives target a version resource with the project's version, its name and description.
function(windows_version_info target description)
  set(version_program ${target})
  set(version_description ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
