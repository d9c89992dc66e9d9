#pragma once
// Splits the text of one input into entries, a block at a time: at the lines that hold only
// "%" (and any blanks or tabs after it), or with lines set at every line end. Its line ends are
// LF: the reading has folded each CR LF, so that a CR left in front of a LF is the text's own.
// The line end in front of a "%" line or the end of the input is not part of the entry; every
// other byte is kept as it is.

#include <stddef.h>
#include <stdint.h>

// How an entry begins: blank lines, then its first line that is not blank, which may begin
// with whitespace. mirl skips all of that whitespace.
struct entry_lead {
	uint64_t blank_lines;  // bytes in front of that line
	uint64_t indent;       // its whitespace bytes in front
	bool mixed;            // that whitespace holds more than blanks
	unsigned char head[2]; // the first bytes after it, as far as the entry has them
	unsigned char head_length;
};

struct split_entry {
	const char *bytes; // null when the entry spans blocks: its bytes were handed in pieces
	uint64_t length;   // bytes in the input
	uint64_t line;     // with blank or indented: the line on which the entry starts
	bool blank;        // empty or whitespace only, to be dropped
	bool silent;       // blank, and dropped without a warning: a line, or empty at an edge
	entry_lead lead;
	bool only_percent; // with lines: "%" and any blanks or tabs, which would separate entries
};

typedef void entry_handler(void *context, const split_entry *entry);

// Takes the bytes of an entry that spans blocks, in order, before its handler: together they are
// exactly its bytes. So the memory of a split does not grow with an entry.
typedef void entry_piece(void *context, const char *bytes, size_t length);

// Where a line that begins with "%" stands when a block ends inside it: after the "%" and any
// blanks or tabs.
enum class percent_line { none, blanks };

// How far the whitespace that begins an entry has been followed.
struct lead_so_far {
	bool blank;          // every byte so far is whitespace
	bool mixed;          // the last line's whitespace so far holds more than blanks
	uint64_t line_start; // where its last line begins
	uint64_t text_start; // with blank false: its first byte that is not whitespace
	unsigned char head[2];
	unsigned char head_length;
};

// The entry in progress, as far as its bytes in earlier blocks go.
struct entry_so_far {
	uint64_t raw_length; // line end included
	lead_so_far lead;
	unsigned char last;    // its last byte, when there is one
	uint64_t percent_stop; // with lines and a first "%": where a byte other than a blank or a
			       // tab follows it, or UINT64_MAX
	size_t held_length;    // its last bytes, not handed yet
};

struct entry_splitter {
	// Set by the caller.
	bool lines; // every line that is not blank is an entry
	entry_handler *handler;
	entry_piece *piece; // null when no handler needs the bytes of an entry that spans blocks
	void *context;
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
	// Its bytes not handed yet: the one that may be the line end in front of a "%" line, and
	// that line, until it shows whether it separates. Only such a line grows it.
	char *held;
	size_t held_room;
};

enum class split_outcome { ok, nul_byte, byte_1a };

struct split_result {
	split_outcome outcome;
	uint64_t line; // with a refused byte: the line that holds it
};

// The line ends in bytes.
uint64_t count_line_ends(const unsigned char *bytes, size_t length);

// Follows text given a piece at a time for its lines, and for one that holds only "%" and
// any blanks or tabs, which the splitter takes for a separator.
struct line_follower {
	uint64_t line; // of the next byte, from 1
	bool line_start;
	percent_line percent; // how far the line so far is such a line
	uint64_t separator;   // the first such line, or 0
};

void follow_start(line_follower *follower);

void follow_lines(line_follower *follower, const char *bytes, size_t length);

// Ends the line that goes on with a line end.
void follow_line_end(line_follower *follower);

// Starts following the lead of an entry.
void lead_start(lead_so_far *lead);

// Follows the lead of an entry through part, which begins at offset at of the entry.
void follow_lead(lead_so_far *lead, uint64_t at, const unsigned char *part, size_t length);

// How an entry begins, once its lead has been followed; a blank one has none.
entry_lead lead_of(const lead_so_far *lead);

// How the length bytes of an entry at bytes begin, and whether they are blank.
entry_lead lead_of_bytes(const unsigned char *bytes, size_t length, bool *blank);

// Starts a new input.
void split_start(entry_splitter *splitter);

// Frees what the splitter holds once it is done.
void split_free(entry_splitter *splitter);

// Hands the entries that end in block to the handler; at_end says the input ends with block.
// A refused byte stops the split at the entry that holds it.
split_result split_block(entry_splitter *splitter, const unsigned char *block, size_t length,
			 bool at_end);
