#pragma once
// What a pass over the input counts of its entries. The second pass, which writes, must see the
// entries the first one counted: the layout was fixed by them.

#include <stdint.h>

struct entry_counts {
	uint64_t entries;
	uint64_t longest; // stored bytes of the longest entry
	uint64_t bytes;   // stored bytes of all entries
};

// Counts an entry of length stored bytes.
void count_entry(entry_counts *counts, uint64_t length);

// Adds the counts of part to total.
void add_counts(entry_counts *total, const entry_counts *part);

// Whether the second pass, with what it has counted so far, can still end as the first did.
bool agrees_so_far(const entry_counts *first, const entry_counts *second);

// Whether the second pass, at the end of the input, saw what the first saw.
bool agrees_in_full(const entry_counts *first, const entry_counts *second);
