#pragma once

#include <cstddef>
#include <cstdint>

#include "entry_stream.h"

// The entry file: a header up to and including the first NUL separator, then entries each
// ended by a separator (the last one may end at the end of the file instead).

// File offset at which the drawable stretch begins, and the number of drawable positions;
// written once by scan_header.
extern std::int32_t draw_base;
extern std::int32_t body_length;

// Skips the header and sets draw_base and body_length, or ends the process.
void scan_header(entry_stream *stream);

// Draws offsets until one reaches an entry and prints that entry and a line end, or ends the
// process.
void print_random_entry(entry_stream *stream);

// The inner steps, each returning its outcome instead of ending the process.

enum class header_outcome { found, no_separator, read_error, seek_failed, too_large };

// Skips the header and sets draw_base and body_length when it is found.
header_outcome find_drawable_stretch(entry_stream *stream);

// Draws one offset into the drawable stretch.
std::int64_t draw_offset();

enum class scan_outcome { entry, dead, read_error, seek_failed };

struct scan_result {
	scan_outcome outcome;
	int first_byte;   // with entry: the entry's first byte after its leading whitespace
	std::int64_t end; // with dead: the position at which the end of the file was met
};

// Scans from the current position past the next separator and the whitespace after it.
scan_result scan_to_entry(entry_stream *stream);

// Draws offsets until a scan from one reaches an entry; dead when no draw ever can.
scan_result draw_until_entry(entry_stream *stream);

struct entry_text {
	char *bytes; // NUL-terminated
	std::size_t length;
	std::size_t capacity;
};

enum class read_outcome { complete, no_first_block, no_larger_block, read_error };

// Reads the entry that begins with first_byte up to its separator or the end of the file,
// into a block of 80 bytes that doubles whenever it fills.
read_outcome read_entry(entry_stream *stream, int first_byte, entry_text *text);
