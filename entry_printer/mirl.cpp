// mirl: prints one random entry of an entry file.
#include <cstdint>
#include <ctime>
#include <string>

#include "entry_file.h"
#include "entry_stream.h"
#include "error_report.h"
#include "generator.h"
#include "path_choice.h"

#ifdef _WIN32
#include <windows.h>

static std::uint32_t
process_id()
{
	return GetCurrentProcessId();
}
#else
#include <unistd.h>

static std::uint32_t
process_id()
{
	return static_cast<std::uint32_t>(getpid());
}
#endif

int
main(int argc, char **argv, char **envp)
{
	std::string path = choose_path(argc, argv, envp);
	entry_stream stream;
	if (!stream_open(&stream, path.c_str()))
		fail_with_error(path.c_str(), 1);
	// Two runs in the same second still differ by their process ids.
	generator_seed(static_cast<std::uint32_t>(std::time(nullptr)) + process_id());
	scan_header(&stream);
	print_random_entry(&stream);
	stream_close(&stream);
	return 0;
}
