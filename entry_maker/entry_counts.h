#pragma once
// What a pass over the input counts of its entries. The second pass, which writes, must see the
// entries the first one counted: the layout was fixed by them.

#include <stdint.h>

// Entries shorter than this are counted by length too, for the layout to be chosen; a longer
// one always gets a marker unless the entries are padded to the longest.
const uint64_t counted_lengths = 65536;

struct entry_counts {
	uint64_t entries;
	uint64_t longest; // stored bytes of the longest entry
	uint64_t bytes;   // stored bytes of all entries
	uint32_t mix = 0; // of every length in turn: the layout rests on all of them
};

// Counts an entry of length stored bytes.
void count_entry(entry_counts *counts, uint64_t length);

// Adds the counts of part to total; the mix stays the total's.
void add_counts(entry_counts *total, const entry_counts *part);

// Whether the second pass, with what it has counted so far, can still end as the first did.
bool agrees_so_far(const entry_counts *first, const entry_counts *second);

// Whether the second pass, at the end of the input, saw what the first saw.
bool agrees_in_full(const entry_counts *first, const entry_counts *second);
