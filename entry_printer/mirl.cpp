// mirl: prints one random entry of an entry file.
#include <stdint.h>
#include <stdlib.h>

#include "entry_file.h"
#include "entry_stream.h"
#include "error_report.h"
#include "generator.h"
#include "path_choice.h"
#include "print_entry.h"
#include "seed.h"

#ifdef _WIN32
#include <windows.h>

// mingw-w64's time.h maps time to _time32 or _time64, which CRTDLL lacks; CRTDLL's own time
// counts in a 32-bit long.
extern "C" __declspec(dllimport) long __cdecl crtdll_time(long *seconds) __asm__("time");

static uint32_t
seconds_now()
{
	return static_cast<uint32_t>(crtdll_time(nullptr));
}

static uint32_t
process_id()
{
	return GetCurrentProcessId();
}

// The finest clock of Windows 95: the performance counter, or the milliseconds since the system
// started where the hardware has no counter.
static uint32_t
clock_now()
{
	LARGE_INTEGER counter;
	if (QueryPerformanceCounter(&counter))
		return counter.LowPart;
	return GetTickCount();
}
#else
#include <time.h>
#include <unistd.h>

static uint32_t
seconds_now()
{
	return static_cast<uint32_t>(time(nullptr));
}

static uint32_t
process_id()
{
	return static_cast<uint32_t>(getpid());
}

// The monotonic clock in nanoseconds, through the C library, not the system call: tests preload
// a stand-in that pins it.
static uint32_t
clock_now()
{
	timespec now = {};
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<uint32_t>(now.tv_sec) * 1000000000u + static_cast<uint32_t>(now.tv_nsec);
}
#endif

int
main(int argc, char **argv, char **envp)
{
	char *path = choose_path(argc, argv, envp);
	if (path == nullptr)
		fail_with_message("can't allocate any memory\n", 3);
	entry_stream stream;
	if (!stream_open(&stream, path))
		fail_with_error(path, 1);
	generator_seed(run_seed(seconds_now(), process_id(), clock_now()));
	scan_header(&stream);
	print_random_entry(&stream);
	stream_close(&stream);
	free(path);
	return 0;
}
