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
	// Two runs in the same second still differ by their process ids; scattered, successive
	// seeds draw offsets far apart.
	generator_seed(scatter_seed(seconds_now() + process_id()));
	scan_header(&stream);
	print_random_entry(&stream);
	stream_close(&stream);
	free(path);
	return 0;
}
