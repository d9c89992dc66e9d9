#include "extract_text.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "check_report.h"
#include "error_report.h"
#include "indentation.h"
#include "output_file.h"
#include "system_calls.h"
#include "system_file.h"

// The printable entry being read, gathered whole: whether it is printed is known at its end.
struct gathered {
	char *bytes;
	size_t length;
	size_t capacity;
};

// Adds a piece of a printable entry's bytes. Even an empty one has a block to point to.
static void
take_bytes(void *context, const checked_entry *entry, const unsigned char *bytes, size_t length)
{
	gathered *g = static_cast<gathered *>(context);
	if (!is_printed(entry->fate))
		return;
	if (length >= g->capacity - g->length) {
		g->capacity = 2 * (g->length + length) + 4096;
		g->bytes = static_cast<char *>(realloc(g->bytes, g->capacity));
		if (g->bytes == nullptr)
			fail_with_message("can't allocate more memory\n", 3);
	}
	memcpy(g->bytes + g->length, bytes, length);
	g->length += length;
}

// Writes the entry, if it can be printed, and a "%" line. The line end in front of the "%"
// line, which making leaves out, is CR LF after a CR everywhere: a LF alone would be read with
// the CR as that line end.
static void
write_entry(void *context, const checked_entry *entry)
{
	gathered *g = static_cast<gathered *>(context);
	if (is_printed(entry->fate)) {
		restored_start start = restored_form(g->bytes, g->length);
		if (start.blank)
			output_bytes(" ", 1);
		output_bytes(g->bytes + start.skip, g->length - start.skip);
		bool after_cr = g->length > 0 && g->bytes[g->length - 1] == '\r';
		const char *line = after_cr ? "\r\n%\r\n" : percent_line();
		output_bytes(line, strlen(line));
	}
	g->length = 0;
}

void
extract_text(const char *path, const char *output)
{
	checked_file file = open_entry_file(path);
	output_choose(output, output_form::text);
	file_identity identity = identity_of_stream(file.fd);
	output_refuse_input(&identity, path);
	output_open();
	gathered g = {nullptr, 0, 0};
	check_summary summary;
	check_pass(&file, take_bytes, write_entry, &g, &summary);
	file_close(file.fd);
	report_unprintable(stderr, &summary);
	if (summary.printable == 0)
		fail_with_message("File contains no entries.\n", 2);
	output_close();
	free(g.bytes);
}
