#include "temporaries.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "error_report.h"
#include "system_calls.h"
#include "system_file.h"

FILE *open_stream;
int open_descriptor = -1;

// The spool and the output's temporary.
enum { most_temporaries = 2 };
static char *temporaries[most_temporaries];
static int temporary_count;

const char *
temporary_path(const char *beside, const char *suffix)
{
	// The process id takes at most ten digits, as it fits in 32 bits.
	size_t size = strlen(beside) + sizeof ".4294967295" + strlen(suffix);
	char *path = static_cast<char *>(malloc(size));
	if (path == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	sprintf(path, "%s.%lu%s", beside, static_cast<unsigned long>(process_id()), suffix);
	temporaries[temporary_count++] = path;
	return path;
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
