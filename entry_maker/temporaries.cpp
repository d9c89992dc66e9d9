#include "temporaries.h"

#include <errno.h>
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "error_report.h"
#include "system_calls.h"
#include "system_file.h"

FILE *open_stream;
const int *open_descriptor;

// The spools and the output's temporary. An interrupt may read them at any moment: a path is
// whole before it is counted, a list whole before it is used, and neither is freed while used.
static char *volatile *volatile temporaries;
static volatile sig_atomic_t temporary_count;

// Removes the temporaries at an interrupt, which may come at any moment; natively inside a
// signal handler.
static void
remove_at_interrupt()
{
	release_at_once(open_stream, open_descriptor != nullptr ? *open_descriptor : -1);
	for (int i = 0; i < temporary_count; i++)
		remove_at_once(temporaries[i]);
}

void
remove_temporaries_at_end()
{
	call_at_exit(remove_temporaries);
	call_on_interrupt(remove_at_interrupt);
}

// Room for size bytes; ends the process when there is no memory.
static void *
room(size_t size)
{
	void *bytes = malloc(size);
	if (bytes == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	return bytes;
}

// Lists path, filled in, for removal: in a new list, as an interrupt may be reading the old.
static void
register_temporary(char *path)
{
	int count = temporary_count;
	char **listed = static_cast<char **>(room(static_cast<size_t>(count + 1) * sizeof(char *)));
	for (int i = 0; i < count; i++)
		listed[i] = temporaries[i];
	listed[count] = path;
	char *volatile *old = temporaries;
	temporaries = listed;
	temporary_count = count + 1;
	free(const_cast<char **>(old));
}

FILE *
create_temporary(const char *prefix, const char *suffix, const char **path)
{
	static unsigned made;
	// The process id and the number take at most ten digits each, as they fit in 32 bits.
	char *name = static_cast<char *>(
	    room(strlen(prefix) + sizeof ".4294967295.4294967295" + strlen(suffix)));
	*path = name;
	for (;;) {
		sprintf(name, "%s.%lu.%u%s", prefix, static_cast<unsigned long>(process_id()),
			++made, suffix);
		FILE *stream = create_new_file(name);
		if (stream != nullptr) {
			register_temporary(name);
			return stream;
		}
		if (errno != EEXIST)
			return nullptr;
	}
}

const char *
spool_prefix()
{
	const char *folder = temporary_folder();
	size_t length = strlen(folder);
	bool separated = length == 0 || folder[length - 1] == '/' || folder[length - 1] == '\\';
	char *prefix = static_cast<char *>(room(length + sizeof "/mirlmake"));
	sprintf(prefix, "%s%smirlmake", folder, separated ? "" : "/");
	return prefix;
}

void
keep_temporary(const char *path)
{
	for (int i = 0; i < temporary_count; i++) {
		if (temporaries[i] == path) {
			temporaries[i] = temporaries[temporary_count - 1];
			temporary_count = temporary_count - 1;
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
	if (open_descriptor != nullptr)
		file_close(*open_descriptor);
	open_descriptor = nullptr;
	while (temporary_count > 0) {
		char *path = temporaries[temporary_count - 1];
		remove(path);
		temporary_count = temporary_count - 1;
		free(path);
	}
}
