#pragma once
// The layouts of the files mirlmake writes; the maker asks this file what goes where.
//
// The equal-chance layouts give every entry the same chance under the unchanged mirl, which
// prints the entry after the first NUL at or after a drawn offset. After a header of 40 bytes
// or fewer, whose first entry mirl never draws, comes a filler of `lead` blanks and a NUL,
// whose lead+1 offsets lead to the first real entry. An entry of up to `lead` bytes is padded in
// front with blanks to `lead` bytes, and with its NUL it is the lead+1 offsets of the entry
// after it. A longer entry is stored as it is and followed by a marker: a 0x1A, `lead` blanks
// and a NUL. A draw into the long entry reaches the marker, which mirl never prints because it
// begins with 0x1A, and a draw onto the 0x1A meets it in the search for a NUL: both are drawn
// again. The marker's blanks and NUL are the lead+1 offsets of the entry after it. A tail of
// blanks then makes the draw's values fall evenly on all those offsets.
//
// The default picks `lead` for the smallest file that needs at most two draws per print;
// -p pads to the longest entry, with no markers and fewer draws. The weighted layout
// (-w) stores each entry once, unpadded, behind a header longer than 40 bytes: an entry's
// chance then follows the length of the entry before it.

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

// The byte a marker begins with, which mirl reads as the end of the file.
const char marker_start = 0x1A;

enum class layout_kind { equal, padded, weighted };

struct layout {
	layout_kind kind;
	uint64_t entries;
	uint64_t lead; // the blanks of the filler and of each marker; entries are padded to it
	bool filler;   // the header is followed by the filler
	uint64_t tail; // blanks at the end
	uint64_t body; // the bytes after the header, the tail included
	uint64_t size; // of the whole file, or entry_file_limit when it would be that or more
};

// What one entry takes: blanks in front of it, then its bytes and a NUL, then a marker or not.
struct entry_pieces {
	uint64_t padding;
	bool marker;
};

// Fixes the layout of the counted entries; lengths[k] is the number of entries of k bytes,
// for k below counted_lengths.
layout plan_layout(layout_kind kind, const entry_counts *all, const uint32_t *lengths);

// Writes the header into buffer (header_room bytes); returns its length, NUL included.
size_t header_text(char *buffer, const layout *plan);

entry_pieces pieces_of(const layout *plan, uint64_t length);
