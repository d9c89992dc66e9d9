#include "temporaries.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "error_report.h"
#include "system_calls.h"
#include "system_file.h"

FILE *open_stream;
int open_descriptor = -1;

// The spools and the output's temporary.
static char **temporaries;
static int temporary_count;

// Room for a path of size bytes; ends the process when there is no memory.
static char *
path_room(size_t size)
{
	char *path = static_cast<char *>(malloc(size));
	if (path == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	return path;
}

// Lists path, filled in, for removal.
static const char *
register_temporary(char *path)
{
	size_t size = static_cast<size_t>(temporary_count + 1) * sizeof *temporaries;
	char **grown = static_cast<char **>(realloc(temporaries, size));
	if (grown == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	temporaries = grown;
	temporaries[temporary_count++] = path;
	return path;
}

const char *
temporary_path(const char *beside, const char *suffix)
{
	// The process id takes at most ten digits, as it fits in 32 bits.
	char *path = path_room(strlen(beside) + sizeof ".4294967295" + strlen(suffix));
	sprintf(path, "%s.%lu%s", beside, static_cast<unsigned long>(process_id()), suffix);
	return register_temporary(path);
}

const char *
spool_path()
{
	static unsigned spools;
	const char *folder = temporary_folder();
	size_t length = strlen(folder);
	bool separated = length == 0 || folder[length - 1] == '/' || folder[length - 1] == '\\';
	char *path = path_room(length + sizeof "/mirlmake.4294967295.4294967295.in");
	sprintf(path, "%s%smirlmake.%lu.%u.in", folder, separated ? "" : "/",
		static_cast<unsigned long>(process_id()), ++spools);
	return register_temporary(path);
}

void
keep_temporary(const char *path)
{
	for (int i = 0; i < temporary_count; i++) {
		if (temporaries[i] == path) {
			temporaries[i] = temporaries[--temporary_count];
			return;
		}
	}
}

void
remove_temporaries()
{
	if (open_stream != nullptr)
		fclose(open_stream);
	open_stream = nullptr;
	if (open_descriptor >= 0)
		file_close(open_descriptor);
	open_descriptor = -1;
	for (int i = 0; i < temporary_count; i++) {
		remove(temporaries[i]);
		free(temporaries[i]);
	}
	temporary_count = 0;
}
