#pragma once
// The first pass of making: reads every input, refuses a bad one, warns of what mirl would not
// show as written, and counts the entries as they will be stored, which fixes the layout.

#include <stddef.h>
#include <stdint.h>

#include "entry_counts.h"
#include "progress.h"
#include "text_decoder.h"

// Entries longer than this, as split, reach the second pass in pieces, which it writes as they
// come: it holds no more of an entry.
enum { most_gathered = 65536 };

// How the first pass found an entry longer than most_gathered to be stored, which the second
// must know before its first byte: what goes in front of it follows from its length.
struct long_entry {
	uint64_t skip;
	uint64_t length; // stored
	bool spaced;
	bool blank;
};

// An input as both passes read it.
struct text_input {
	const char *name;       // in messages
	const char *path;       // where it is read: the file named, or its spool
	uint64_t size;          // as it was listed
	text_encoding encoding; // what the first pass read it as
	entry_counts first;
	entry_counts second;
	bool quiet;             // read again decoded: its warnings were given
	uint64_t unindented;    // indented entries that the code page cannot keep so
	uint64_t percent_lines; // with -l: lines that hold only "%"
	long_entry *longs;      // in file order, at most one for each most_gathered bytes read
	size_t long_count, long_room;
	size_t longs_written; // by the second pass
};

// What the first pass found in all inputs.
struct first_pass {
	entry_counts all;
	uint32_t lengths[counted_lengths]; // entries of each length, for the layout
	// Those of the input being counted, which may be counted again, as UTF-8.
	uint32_t input_lengths[counted_lengths];
	text_input *input;
	bool lines;          // -l: every line that is not blank is an entry
	bool as_kept;        // -k: text is kept as it is, whatever it looks like
	progress *shown;     // where reading shows how far making is, or null
	uint64_t shown_done; // the bytes read before the input being counted
};

// Counts one input into the pass; ends the process with the message and status of a fault.
void count_input(first_pass *pass, text_input *in);
