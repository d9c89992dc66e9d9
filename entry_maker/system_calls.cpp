#include "system_calls.h"

#include <stdio.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>

// mingw-w64's CRTDLL import library has no call stub for atexit, as mingw-w64 brings its own;
// the program calls CRTDLL's through the import pointer.
extern "C" __declspec(dllimport) int __cdecl crtdll_atexit(void(__cdecl *function)()) __asm__(
    "atexit");
#else
#include <stdlib.h>
#include <unistd.h>
#endif

// Text mode would turn each LF written into CR LF, and end standard input at a 0x1A.
void
binary_standard_streams()
{
#ifdef _WIN32
	_setmode(_fileno(stdin), _O_BINARY);
	_setmode(_fileno(stdout), _O_BINARY);
#endif
}

void
call_at_exit(void (*function)())
{
#ifdef _WIN32
	crtdll_atexit(function);
#else
	atexit(function);
#endif
}

// The process id of the C runtime, the same on both systems.
uint32_t
process_id()
{
#ifdef _WIN32
	return static_cast<uint32_t>(_getpid());
#else
	return static_cast<uint32_t>(getpid());
#endif
}

// Windows' rename fails when the target exists, so the old file goes first there.
bool
replace_file(const char *from, const char *to)
{
#ifdef _WIN32
	remove(to);
#endif
	return rename(from, to) == 0;
}
