#include "input_file.h"

#include <string.h>

#include "error_report.h"
#include "system_file.h"
#include "temporaries.h"

enum { input_block_size = 65536 };

// A block read, behind the at most two bytes the splitter left of the one before.
static unsigned char input_block[2 + input_block_size];

split_result
split_input(entry_splitter *splitter, const char *name, const char *path)
{
	int fd = file_open(path);
	if (fd < 0)
		fail_with_error(name, 1);
	open_descriptor = fd;
	split_start(splitter);
	size_t carried = 0;
	split_result result;
	for (;;) {
		long count = file_read(fd, input_block + carried, input_block_size);
		if (count < 0)
			fail_with_error(name, 1);
		size_t length = carried + static_cast<size_t>(count);
		result = split_block(splitter, input_block, length, count == 0);
		if (result.outcome != split_outcome::ok || count == 0)
			break;
		carried = length - result.used;
		memmove(input_block, input_block + result.used, carried);
	}
	open_descriptor = -1;
	file_close(fd);
	return result;
}

void
spool_standard_input(const char *path)
{
	FILE *spool = fopen(path, "wb");
	if (spool == nullptr)
		fail_with_error(path, 1);
	open_stream = spool;
	long count;
	while ((count = file_read(0, input_block, input_block_size)) > 0)
		if (fwrite(input_block, 1, static_cast<size_t>(count), spool) !=
		    static_cast<size_t>(count))
			fail_with_error(path, 1);
	if (count < 0)
		fail_with_error("stdin", 1);
	open_stream = nullptr;
	if (fclose(spool) != 0)
		fail_with_error(path, 1);
}
