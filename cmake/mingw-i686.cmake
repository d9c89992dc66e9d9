# Cross-compiles 32-bit Windows programs with mingw-w64 for every x86 from the 386 on. The
# printf family is the system C runtime's own, not mingw-w64's replacement.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# Windows keeps the stack aligned to 4 bytes, all that 386 code needs: no call pads it to more.
# Small functions are inlined only where declared inline: the compiler's guess at their size
# misjudges 64-bit arithmetic on the 386.
set(windows_flags "-march=i386 -mpreferred-stack-boundary=2 -fno-inline-small-functions")
set(CMAKE_C_FLAGS_INIT "${windows_flags} -D__USE_MINGW_ANSI_STDIO=0")
set(CMAKE_CXX_FLAGS_INIT "${windows_flags} -D__USE_MINGW_ANSI_STDIO=0")

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
