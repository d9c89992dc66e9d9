#include "extract_text.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "byte_search.h"
#include "check_report.h"
#include "entry_splitter.h"
#include "error_report.h"
#include "indentation.h"
#include "output_file.h"
#include "system_calls.h"
#include "system_file.h"

// Entries named in each kind of warning; the rest are counted.
enum { most_named = 10 };

// The text being written, an entry a piece at a time: nothing of it is held.
struct extracting {
	const char *path; // of the entry file, in messages
	restorer restore;
	bool cut;          // the entry met a 0x1A, where mirl stops printing it
	uint64_t left_out; // its bytes from there on
	char last;         // the last byte of the entry written, or 0
	// The text written so far, for a line of only "%" in the entry, which would separate
	// entries when the text is made again.
	line_follower lines;
	uint64_t cut_entries, percent_entries;
};

// Writes text with each LF as the platform's line end, but as CR LF after a CR everywhere: making
// folds a CR LF into a LF, and so back into the CR and a LF.
static void
write_text(extracting *x, const char *bytes, size_t length)
{
	const unsigned char *text = reinterpret_cast<const unsigned char *>(bytes);
	size_t start = 0;
	for (size_t lf = 0; (lf = find_byte(text, lf, length, '\n')) < length; start = lf++) {
		output_bytes(bytes + start, lf - start);
		if (crlf_text || (lf > 0 ? bytes[lf - 1] : x->last) == '\r')
			output_bytes("\r", 1);
	}
	output_bytes(bytes + start, length - start);
	// Where every line end is CR LF, the byte in front of one does not matter.
	if (!crlf_text && length > 0)
		x->last = bytes[length - 1];
}

// Writes restored bytes of the entry.
static void
write_restored(void *context, const char *bytes, size_t length)
{
	extracting *x = static_cast<extracting *>(context);
	follow_lines(&x->lines, bytes, length);
	write_text(x, bytes, length);
}

// Takes a piece of a printable entry's bytes, up to a 0x1A, where mirl stops printing it.
static void
take_bytes(void *context, const checked_entry *entry, const unsigned char *bytes, size_t length)
{
	extracting *x = static_cast<extracting *>(context);
	if (!is_printed(entry->fate))
		return;
	const void *found = x->cut ? bytes : memchr(bytes, 0x1A, length);
	size_t kept = found != nullptr
			  ? static_cast<size_t>(static_cast<const unsigned char *>(found) - bytes)
			  : length;
	x->cut = x->cut || found != nullptr;
	x->left_out += length - kept;
	restore_piece(&x->restore, reinterpret_cast<const char *>(bytes), kept, write_restored, x);
}

// Says what of the entry was left out, or cannot be made again as it is: the first entries of
// each kind, then counts at the end.
static void
warn_of_entry(extracting *x, const checked_entry *entry)
{
	if (x->cut && x->cut_entries++ < most_named)
		fprintf(stderr, "%s: entry %lu: %lu bytes from its 0x1A on left out\n", x->path,
			static_cast<unsigned long>(entry->number),
			static_cast<unsigned long>(x->left_out));
	if (x->lines.separator > 0 && x->percent_entries++ < most_named)
		fprintf(stderr, "%s:%lu: entry %lu holds a line of only %%, a separator\n",
			output_name(), static_cast<unsigned long>(x->lines.separator),
			static_cast<unsigned long>(entry->number));
}

// Ends a printable entry, and writes a "%" line, with the platform's line ends.
static void
write_entry(void *context, const checked_entry *entry)
{
	extracting *x = static_cast<extracting *>(context);
	if (!is_printed(entry->fate))
		return;
	restore_end(&x->restore, write_restored, x);
	// The line end written next ends the entry's last line, and the "%" line another.
	follow_line_end(&x->lines);
	warn_of_entry(x, entry);
	write_text(x, "\n%\n", 3);
	x->lines.line++;
	x->lines.separator = 0;
	x->cut = false;
	x->left_out = 0;
	x->last = 0;
}

// The counts of the warnings beyond the first.
static void
count_warnings(const extracting *x)
{
	if (x->cut_entries > most_named)
		fprintf(stderr, "%s: %lu more entries cut at a 0x1A\n", x->path,
			static_cast<unsigned long>(x->cut_entries - most_named));
	if (x->percent_entries > most_named)
		fprintf(stderr, "%s: %lu more entries hold a line of only %%\n", output_name(),
			static_cast<unsigned long>(x->percent_entries - most_named));
}

void
extract_text(const char *path, const char *output)
{
	checked_file file = open_entry_file(path);
	output_choose(output, output_form::text);
	file_identity identity = identity_of_stream(file.fd);
	output_refuse_input(&identity, path);
	output_open();
	extracting x = {};
	x.path = path;
	follow_start(&x.lines);
	restore_start(&x.restore);
	check_summary summary;
	check_pass(&file, take_bytes, write_entry, &x, &summary);
	file_close(file.fd);
	report_unprintable(stderr, &summary);
	count_warnings(&x);
	if (summary.printable == 0)
		fail_with_message("File contains no entries.\n", 2);
	output_close();
}
