#pragma once
// Reads the inputs of mirlmake in large blocks through the splitter, each in its own encoding.
// Text behind a byte order mark, or UTF-16 without one, is decoded and split as UTF-8, so that
// "%" lines, line ends and refused bytes are found in what was written; each entry is then
// stored in the chosen code page. Text without a mark is kept as it is. An input that cannot be
// read twice is copied once into a spool file.

#include "entry_splitter.h"
#include "progress.h"
#include "text_decoder.h"

enum { most_misplaced = 10 };

// A character that the code page has no place for, or turns into a byte that the text may not
// hold, or into another, and the line that holds it; or a line that best fits turn into one of
// only "%", which would separate entries.
struct misplaced_place {
	uint64_t line;
	uint32_t code;
	int byte;     // what it becomes, no_place, best_fit, or separator_made
	uint32_t fit; // with best_fit
};

enum { separator_made = -3 };

// A byte that is no part of UTF-8 among text that otherwise is, and its line.
struct stray_place {
	uint64_t line;
	unsigned char byte;
};

// How one input is read, and what reading it showed.
struct input_text {
	text_encoding encoding; // of text without a byte order mark; then, what it was read as
	bool as_kept;           // the text is kept as it is, whatever it begins with
	bool check_utf8;        // with bytes: see whether they would decode as UTF-8
	bool unmarked_utf16;    // read as UTF-16 for the NULs of its first block
	bool utf8;              // the bytes would decode, and not all of them are ASCII
	bool nearly_utf8;       // they would but for a few stray bytes
	stray_place strays[most_noted_strays]; // the first stray bytes, one a line
	size_t stray_lines;
	uint32_t stray_count;                      // all of them
	misplaced_place misplaced[most_misplaced]; // refused
	size_t misplaced_count;
	misplaced_place fits[most_misplaced]; // the first best fits
	uint64_t fit_count;
	progress *shown;     // where reading shows how far making is, or null
	uint64_t shown_done; // the bytes making read before this input
};

enum class input_outcome {
	ok,
	nul_byte,
	byte_1a,
	invalid_utf8,
	odd_length,
	unpaired_surrogate,
	misplaced_list_full,
	read_error
};

struct input_result {
	input_outcome outcome;
	uint64_t line;      // with a fault in the text: the line that holds it
	uint16_t surrogate; // with unpaired_surrogate
};

// Splits the text read from fd to its end or its first fault. A run of 0x1A that ends the text
// is the end mark of DOS and is left out. Misplaced characters are listed in text; reading ends
// when the list is full.
input_result split_text(int fd, entry_splitter *splitter, input_text *text);

// Ends the process with status 1 for the input named name, which did not open: a wildcard
// pattern that matches no file is said as such.
[[noreturn]] void fail_to_open(const char *name);

// Splits the input at path, named name in messages, as split_text does. Ends the process when
// it cannot be opened or read.
input_result split_input(entry_splitter *splitter, const char *name, const char *path,
			 input_text *text);

// Copies what is read from fd, the input named name in messages, into a new spool; returns its
// path. Ends the process on failure.
const char *spool_input(int fd, const char *name);
