#include "system_calls.h"

#include <errno.h>
#include <stdio.h>

#include "system_file.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

// mingw-w64's CRTDLL import library has no call stub for atexit, as mingw-w64 brings its own;
// the program calls CRTDLL's through the import pointer.
extern "C" __declspec(dllimport) int __cdecl crtdll_atexit(void(__cdecl *function)()) __asm__(
    "atexit");
#else
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
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

// What an interrupt runs before the process ends.
static void (*interrupt_function)();

#ifdef _WIN32
// Whether the end of the process is taken: by an interrupt, which then ends it, or by the main
// thread, which then lets no interrupt end it. Exchanged, as the handler runs in a thread of
// its own; Windows 95 has no compare-exchange.
static volatile LONG end_taken;

// Windows calls this in a thread of its own. The main thread may yet see a write fail on a
// file released here, but the process ends before it can report that.
static BOOL WINAPI
end_at_interrupt(DWORD /* event */)
{
	if (InterlockedExchange(&end_taken, 1) != 0)
		return TRUE;
	interrupt_function();
	TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
	return TRUE;
}

void
call_on_interrupt(void (*function)())
{
	interrupt_function = function;
	SetConsoleCtrlHandler(end_at_interrupt, /* add */ TRUE);
}

void
hold_interrupts()
{
	if (InterlockedExchange(&end_taken, 1) != 0)
		Sleep(INFINITE);
}

// Through the handles, as the C runtime's locks may be held by the main thread.
void
release_at_once(FILE *stream, int fd)
{
	if (stream != nullptr)
		CloseHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
	if (fd >= 0)
		CloseHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
}

void
remove_at_once(const char *path)
{
	remove(path);
}
#else
static const int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ, SIGPIPE};

static void
end_at_signal(int signal_number)
{
	interrupt_function();
	// The handler was reset to the default action, which SA_NODEFER lets act at once.
	raise(signal_number);
}

void
call_on_interrupt(void (*function)())
{
	interrupt_function = function;
	struct sigaction action = {};
	action.sa_handler = end_at_signal;
	action.sa_flags = SA_RESETHAND | SA_NODEFER;
	sigfillset(&action.sa_mask);
	for (int signal_number : ending_signals) {
		// A signal ignored by whoever started the program (nohup, a background job) stays
		// ignored.
		struct sigaction old;
		if (sigaction(signal_number, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
			sigaction(signal_number, &action, nullptr);
	}
}

// A signal that comes now stays pending, and the process ends before it is delivered.
void
hold_interrupts()
{
	sigset_t held;
	sigemptyset(&held);
	for (int signal_number : ending_signals)
		sigaddset(&held, signal_number);
	sigprocmask(SIG_BLOCK, &held, nullptr);
}

// The system removes an open file's name; the file goes when it is closed.
void
release_at_once(FILE * /* stream */, int /* fd */)
{
}

void
remove_at_once(const char *path)
{
	unlink(path);
}
#endif

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

uint32_t
milliseconds_now()
{
#ifdef _WIN32
	return GetTickCount();
#else
	timespec now = {};
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<uint32_t>(now.tv_sec) * 1000u +
	       static_cast<uint32_t>(now.tv_nsec / 1000000);
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

// Opened for reading, as GetConsoleMode wants, CON is the console's keyboard.
bool
names_console(const char *path)
{
	int fd = file_open(path);
	if (fd < 0)
		return false;
	bool console = is_console(fd);
	file_close(fd);
	return console;
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

// Only a file on a disk can be replaced: NUL, CON, a pipe or a port is written in place.
bool
open_in_place(const char *path, FILE **stream)
{
	int fd = _sopen(path, _O_WRONLY | _O_BINARY, _SH_DENYNO);
	if (fd < 0 || GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) == FILE_TYPE_DISK) {
		if (fd >= 0)
			_close(fd);
		return false;
	}
	*stream = _fdopen(fd, "wb");
	return true;
}

// The systems this runs on have no symbolic links to follow, and a read-only file is refused
// rather than replaced.
const char *
file_behind(const char *path)
{
	return path;
}

void
keep_permissions(FILE * /* stream */, const char * /* old */)
{
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

// Only a character device can be one; opening it must not make it the controlling terminal.
bool
names_console(const char *path)
{
	struct stat status;
	if (stat(path, &status) != 0 || !S_ISCHR(status.st_mode))
		return false;
	int fd = open(path, O_WRONLY | O_NOCTTY);
	if (fd < 0)
		return false;
	bool console = isatty(fd) != 0;
	close(fd);
	return console;
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
temporary_folder()
{
	const char *folder = getenv("TMPDIR");
	return folder != nullptr && folder[0] != '\0' ? folder : "/tmp";
}

bool
open_in_place(const char *path, FILE **stream)
{
	struct stat status;
	if (stat(path, &status) != 0 || S_ISREG(status.st_mode) || S_ISDIR(status.st_mode))
		return false;
	*stream = fopen(path, "wb");
	return true;
}

const char *
file_behind(const char *path)
{
	struct stat status;
	if (lstat(path, &status) != 0 || !S_ISLNK(status.st_mode))
		return path;
	return realpath(path, nullptr);
}

// Set-user and set-group bits are left out: the new file may have another owner.
void
keep_permissions(FILE *stream, const char *old)
{
	struct stat status;
	if (stat(old, &status) == 0)
		fchmod(fileno(stream), status.st_mode & 01777);
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

// O_CREAT with O_EXCL; CRTDLL's fopen has no mode for it, and its _O_EXCL with _O_CREAT asks
// Windows for CREATE_NEW.
FILE *
create_new_file(const char *path)
{
#ifdef _WIN32
	int fd = _sopen(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYNO,
			_S_IREAD | _S_IWRITE);
	FILE *stream = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
#else
	int fd = open(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
	FILE *stream = fd >= 0 ? fdopen(fd, "wb") : nullptr;
#endif
	if (fd >= 0 && stream == nullptr)
		file_close(fd);
	return stream;
}
