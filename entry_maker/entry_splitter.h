#pragma once
// Splits the text of one input into entries, a block at a time: at the lines that hold only
// "%" (and any blanks or tabs after it), or with lines set at every line end. The line end in
// front of a "%" line or the end of the input is not part of the entry; every other byte is kept
// as it is.

#include <stddef.h>
#include <stdint.h>

// How an entry begins: blank lines, then its first line that is not blank, which may begin
// with blanks or tabs. mirl skips all of that whitespace.
struct entry_lead {
	uint64_t blank_lines; // bytes in front of that line
	uint64_t indent;      // its whitespace bytes in front, when the first is a blank or a tab
	bool tab;             // that first byte is a tab
};

struct split_entry {
	const char *bytes; // null when the entry spans blocks and its bytes were not gathered
	uint64_t length;   // bytes in the input
	uint64_t line;     // with blank or indented: the line on which the entry starts
	bool blank;        // empty or whitespace only, to be dropped with a warning
	entry_lead lead;
	bool only_percent; // with lines: "%" and any blanks or tabs, which would separate entries
};

typedef void entry_handler(void *context, const split_entry *entry);

// Where a line that begins with "%" stands when a block ends inside it: after the "%" and any
// blanks or tabs, or after a CR too, which only a LF may follow.
enum class percent_line { none, blanks, cr };

// How far the whitespace that begins an entry has been followed.
struct lead_so_far {
	bool blank;               // every byte so far is whitespace
	uint64_t line_start;      // where its last line begins
	uint64_t text_start;      // with blank false: its first byte that is not whitespace
	unsigned char line_first; // the first byte of that line, once there is one
};

// The entry in progress, as far as its bytes in earlier blocks go.
struct entry_so_far {
	uint64_t raw_length; // line end included
	size_t kept_length;
	bool overflowed; // kept_room was too small
	lead_so_far lead;
	unsigned char tail[2]; // its last two bytes, as far as there are any
};

struct entry_splitter {
	// Set by the caller.
	bool lines; // every line that is not blank is an entry
	entry_handler *handler;
	void *context;
	char *kept; // gathers an entry that spans blocks; null to gather none
	size_t kept_room;
	bool growing;          // kept is from malloc, or null, and grows to gather any entry
	bool unnumbered;       // nothing needs lines: none are counted, and each is given as 0
	bool numbered_entries; // every entry is given its line, not only one that is warned of
	// The input so far.
	uint64_t block_line;  // the line of the next block's first byte
	bool line_start;      // the next block's first byte begins a line
	bool entry_ended;     // an entry ended in this input, so an empty one is not the first
	percent_line percent; // a "%" line runs on into the next block
	entry_so_far before_percent; // the entry in front of it, should it be a separator
	// The entry in progress.
	bool line_known; // entry_line holds its first line; else it begins in the block being split
	uint64_t entry_line;
	unsigned char first_byte;
	entry_so_far so_far;
};

enum class split_outcome { ok, nul_byte, byte_1a };

struct split_result {
	split_outcome outcome;
	uint64_t line; // with a refused byte: the line that holds it
};

// The line ends in bytes.
uint64_t count_line_ends(const unsigned char *bytes, size_t length);

// How the length bytes of an entry at bytes begin, and whether they are blank.
entry_lead lead_of_bytes(const unsigned char *bytes, size_t length, bool *blank);

// Starts a new input.
void split_start(entry_splitter *splitter);

// Hands the entries that end in block to the handler; at_end says the input ends with block.
// A refused byte stops the split at the entry that holds it.
split_result split_block(entry_splitter *splitter, const unsigned char *block, size_t length,
			 bool at_end);
