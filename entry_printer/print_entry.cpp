#include "print_entry.h"

#include <stdio.h>
#include <stdlib.h>

#include "draw.h"
#include "entry_file.h"
#include "error_report.h"

// Reads the entry that begins with first_byte and writes it with a line end.
static void
print_entry(entry_stream *stream, int first_byte)
{
	entry_text text;
	switch (read_entry(stream, first_byte, &text)) {
	case read_outcome::no_first_block:
		fail_with_message("can't allocate any memory\n", 3);
	case read_outcome::no_larger_block:
		fail_with_message("can't allocate more memory\n", 3);
	case read_outcome::read_error:
		fail_with_error(stream->path, 1);
	case read_outcome::complete:
		break;
	}
	// A C runtime may take a failed write for done and mark only the stream's error flag.
	if (printf("%s\n", text.bytes) < 0 || fflush(stdout) != 0 || ferror(stdout))
		fail_with_error("stdout", 1);
	free(text.bytes);
}

void
print_random_entry(entry_stream *stream)
{
	scan_result result = draw_until_entry(stream);
	switch (result.outcome) {
	case scan_outcome::dead:
		fail_with_message("File contains no entries.\n", 2);
	case scan_outcome::seek_failed:
		fail_with_error("fseek 2", 1);
	case scan_outcome::read_error:
		fail_with_error(stream->path, 1);
	case scan_outcome::entry:
		break;
	}
	print_entry(stream, result.first_byte);
}
