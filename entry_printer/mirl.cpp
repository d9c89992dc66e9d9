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

static uint32_t
milliseconds_now()
{
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

// Through the C library, not the system call: tests preload a stand-in that pins it.
static uint32_t
milliseconds_now()
{
	timespec now = {};
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<uint32_t>(now.tv_sec) * 1000u +
	       static_cast<uint32_t>(now.tv_nsec / 1000000);
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
	// Process ids come back, and runs in a loop keep time and id within a small window: their
	// sums repeat. The milliseconds set apart runs that share both; scattered, successive
	// seeds draw offsets far apart.
	generator_seed(scatter_seed(seconds_now() + process_id() + milliseconds_now()));
	scan_header(&stream);
	print_random_entry(&stream);
	stream_close(&stream);
	free(path);
	return 0;
}
