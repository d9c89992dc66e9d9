#include "system_calls.h"

#include <errno.h>
#include <stdio.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>

#include "system_file.h"

// mingw-w64's CRTDLL import library has no call stub for atexit, as mingw-w64 brings its own;
// the program calls CRTDLL's through the import pointer.
extern "C" __declspec(dllimport) int __cdecl crtdll_atexit(void(__cdecl *function)()) __asm__(
    "atexit");
#else
#include <stdlib.h>
#include <sys/stat.h>
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

#ifdef _WIN32
// Only a console has a console mode; the C runtime's _isatty would count NUL as one too.
bool
is_console(int fd)
{
	DWORD mode;
	return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &mode) != 0;
}

const char *
keyboard_end_keys()
{
	return "Ctrl+Z, then Enter";
}

bool
is_folder(const char *path)
{
	DWORD attributes = GetFileAttributesA(path);
	return attributes != INVALID_FILE_ATTRIBUTES &&
	       (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The volume and index of the file at path, which tell it from every other file that is open.
static bool
file_information(const char *path, BY_HANDLE_FILE_INFORMATION *information)
{
	int fd = file_open(path);
	if (fd < 0)
		return false;
	BOOL known =
	    GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), information);
	file_close(fd);
	return known != 0;
}

// Where the system gives no file index, the full paths are compared, as Windows compares
// names: without regard to case.
bool
same_file(const char *a, const char *b)
{
	BY_HANDLE_FILE_INFORMATION ia, ib;
	if (file_information(a, &ia) && file_information(b, &ib))
		return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
		       ia.nFileIndexHigh == ib.nFileIndexHigh &&
		       ia.nFileIndexLow == ib.nFileIndexLow;
	char full_a[MAX_PATH], full_b[MAX_PATH];
	DWORD length_a = GetFullPathNameA(a, sizeof full_a, full_a, nullptr);
	DWORD length_b = GetFullPathNameA(b, sizeof full_b, full_b, nullptr);
	return length_a > 0 && length_a < sizeof full_a && length_b > 0 &&
	       length_b < sizeof full_b && lstrcmpiA(full_a, full_b) == 0;
}

// Windows' rename fails when the target exists, so the old file goes first there.
replace_outcome
replace_file(const char *from, const char *to)
{
	bool removed = remove(to) == 0;
	if (!removed && errno != ENOENT)
		return replace_outcome::old_kept;
	if (rename(from, to) == 0)
		return replace_outcome::replaced;
	return removed ? replace_outcome::old_gone : replace_outcome::old_kept;
}
#else
bool
is_console(int fd)
{
	return isatty(fd) != 0;
}

const char *
keyboard_end_keys()
{
	return "Ctrl+D";
}

bool
is_folder(const char *path)
{
	struct stat status;
	return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

bool
same_file(const char *a, const char *b)
{
	struct stat sa, sb;
	return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
	       sa.st_ino == sb.st_ino;
}

replace_outcome
replace_file(const char *from, const char *to)
{
	return rename(from, to) == 0 ? replace_outcome::replaced : replace_outcome::old_kept;
}
#endif
