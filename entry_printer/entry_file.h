#pragma once

#include <stddef.h>
#include <stdint.h>

#include "entry_stream.h"

// The entry file: a header up to and including the first NUL separator, then entries each
// ended by a separator (the last one may end at the end of the file instead).

// File offset at which the drawable stretch begins, and the number of drawable positions;
// written once by scan_header.
extern int32_t draw_base;
extern int32_t body_length;

// Skips the header and sets draw_base and body_length, or ends the process.
void scan_header(entry_stream *stream);

// The inner steps, each returning its outcome instead of ending the process.

// The whitespace skipped in front of an entry: HT, LF, VT, FF, CR and the blank. The maker
// tests the first byte of every entry, so it is inline.
inline bool
is_whitespace(int c)
{
	return c == ' ' || (c >= '\t' && c <= '\r');
}

// The first drawable offset for a header that ends at header_end, the offset just past its
// separator.
int64_t drawable_start(int64_t header_end);

enum class header_outcome { found, no_separator, read_error, seek_failed, too_large };

// Skips the header and sets draw_base and body_length when it is found.
header_outcome find_drawable_stretch(entry_stream *stream);

enum class scan_outcome { entry, dead, read_error, seek_failed };

struct scan_result {
	scan_outcome outcome;
	int first_byte; // with entry: the entry's first byte after its leading whitespace
	int64_t end;    // with dead: the position at which the end of the file was met; with
			// entry: the separator's
};

// Scans from the current position past the next separator and the whitespace after it.
scan_result scan_to_entry(entry_stream *stream);

// Ends a scan whose search for a separator returned c (0 for the separator, or stream_end or
// stream_error): skips the whitespace after the separator.
scan_result entry_after_separator(entry_stream *stream, int c);

struct entry_text {
	char *bytes; // NUL-terminated
	size_t length;
	size_t capacity;
};

enum class read_outcome { complete, no_first_block, no_larger_block, read_error };

// Reads the entry that begins with first_byte up to its separator or the end of the file,
// into a block of 80 bytes that doubles whenever it fills.
read_outcome read_entry(entry_stream *stream, int first_byte, entry_text *text);
