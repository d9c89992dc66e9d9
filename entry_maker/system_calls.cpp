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

// Only a file on disk has a volume and an index; a pipe or a device has neither.
file_identity
identity_of_stream(int fd)
{
	file_identity identity = {};
	HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
	BY_HANDLE_FILE_INFORMATION information;
	identity.regular = GetFileType(handle) == FILE_TYPE_DISK;
	identity.known = identity.regular && GetFileInformationByHandle(handle, &information) != 0;
	if (identity.known) {
		identity.volume = information.dwVolumeSerialNumber;
		identity.index = static_cast<uint64_t>(information.nFileIndexHigh) << 32 |
				 information.nFileIndexLow;
	}
	return identity;
}

file_identity
identity_of_file(const char *path)
{
	int fd = file_open(path);
	if (fd < 0)
		return {};
	file_identity identity = identity_of_stream(fd);
	file_close(fd);
	return identity;
}

// CRTDLL's fopen has no mode for it; the temporary folder is the user's own from Windows 2000
// on.
const char *
new_file_mode()
{
	return "wb";
}

// GetTempPathA ends the folder in a backslash; when it fails, temporaries go in the current
// folder.
const char *
temporary_folder()
{
	static char folder[MAX_PATH];
	DWORD length = GetTempPathA(sizeof folder, folder);
	if (length == 0 || length >= sizeof folder)
		folder[0] = '\0';
	return folder;
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

static file_identity
identity_of_status(const struct stat *status)
{
	return {true, S_ISREG(status->st_mode), static_cast<uint64_t>(status->st_dev),
		static_cast<uint64_t>(status->st_ino)};
}

// stat follows a link, as opening the file does.
file_identity
identity_of_file(const char *path)
{
	struct stat status;
	return stat(path, &status) == 0 ? identity_of_status(&status) : file_identity{};
}

file_identity
identity_of_stream(int fd)
{
	struct stat status;
	return fstat(fd, &status) == 0 ? identity_of_status(&status) : file_identity{};
}

const char *
new_file_mode()
{
	return "wbx";
}

const char *
temporary_folder()
{
	const char *folder = getenv("TMPDIR");
	return folder != nullptr && folder[0] != '\0' ? folder : "/tmp";
}

replace_outcome
replace_file(const char *from, const char *to)
{
	return rename(from, to) == 0 ? replace_outcome::replaced : replace_outcome::old_kept;
}
#endif

bool
same_identity(const file_identity *a, const file_identity *b)
{
	return a->known && b->known && a->volume == b->volume && a->index == b->index;
}
