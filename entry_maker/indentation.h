#pragma once
// Indentation that mirl prints. mirl skips the whitespace an entry begins with, so an entry
// whose first line is indented is stored from that line on, the blank lines in front of it
// left out, with the code page's no-break space for its first blank, or in front of its first
// tab, which then reaches the same tab stop. In a code page without one the entry is stored
// from its first byte that mirl prints. -x turns the no-break space back.

#include <stddef.h>
#include <stdint.h>

#include "entry_splitter.h"

// What an entry is stored as: a no-break space or not, then its bytes from skip on.
struct stored_entry {
	uint64_t skip;
	bool spaced;
	uint64_t length; // stored bytes
};

stored_entry stored_form(const split_entry *entry);

// Where the text of the stored entry at bytes begins, leaving out the blanks that pad it, and
// whether the text begins with the blank that its no-break space stands for.
struct restored_start {
	size_t skip;
	bool blank;
};

restored_start restored_form(const char *bytes, size_t length);
