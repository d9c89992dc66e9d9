#pragma once
// The layouts of the files mirlmake writes. The default one gives every entry the same chance
// under the unchanged mirl: after a header of 40 bytes or fewer, whose first entry mirl never
// draws, comes a filler of blanks, then every entry padded in front with blanks to the length of
// the longest, so that the same number of offsets leads to each; a tail of blanks then makes the
// drawn values fall evenly on those offsets. The weighted layout (-w) stores each entry once,
// unpadded, behind a longer header: an entry's chance then follows the length of the entry
// before it.

#include <stddef.h>
#include <stdint.h>

#include "entry_counts.h"

// mirl refuses files of this size or more.
const uint64_t entry_file_limit = UINT64_C(1) << 31;

// Room for the longer header with the most entries a file below the limit holds: each entry
// takes at least two bytes, so there are fewer than 2^30.
enum {
	header_room =
	    sizeof "mirl entries: 1073741823, chances follow the length of the entry before"
};

// Writes the header for entries, fewer than 2^30, into buffer (header_room bytes); returns
// its length, NUL included.
size_t header_text(char *buffer, uint64_t entries, bool weighted);

// The blanks after the last of entries padded to longest bytes, both below 2^31.
uint64_t tail_length(uint64_t entries, uint64_t longest);

// The size of the whole file, or entry_file_limit when it would be that or more.
uint64_t output_size(const entry_counts *counts, bool weighted);
