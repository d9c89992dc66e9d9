#pragma once
// Reads the inputs of mirlmake in large blocks through the splitter, each in its own encoding:
// text behind a byte order mark is decoded and stored in the chosen code page, text without one
// is kept as it is. An input that cannot be read twice is copied once into a spool file.

#include "entry_splitter.h"
#include "text_decoder.h"

enum { most_unmapped = 10 };

// A character that has no place in the code page, and the line that holds it.
struct unmapped_place {
	uint64_t line;
	uint32_t code;
};

// How one input is read, and what reading it showed.
struct input_text {
	text_encoding encoding; // of text without a byte order mark; then, what it was read as
	bool check_utf8;        // with bytes: see whether they would decode as UTF-8
	bool utf8;              // they would, and not all of them are ASCII
	unmapped_place unmapped[most_unmapped];
	size_t unmapped_count;
};

enum class input_outcome {
	ok,
	nul_byte,
	byte_1a,
	invalid_utf8,
	odd_length,
	unpaired_surrogate,
	unmapped_list_full,
	read_error
};

struct input_result {
	input_outcome outcome;
	uint64_t line;      // with a fault in the text: the line that holds it
	uint16_t surrogate; // with unpaired_surrogate
};

// Splits the text read from fd to its end or its first fault. A byte 0x1A that ends the text is
// the end mark of DOS and is left out. Characters without a place in the code page are listed
// in text; reading ends when the list is full.
input_result split_text(int fd, entry_splitter *splitter, input_text *text);

// Splits the input at path, named name in messages, as split_text does. Ends the process when
// it cannot be opened or read.
input_result split_input(entry_splitter *splitter, const char *name, const char *path,
			 input_text *text);

// Copies what is read from fd, the input named name in messages, into a new file at path. Ends
// the process on failure.
void spool_input(int fd, const char *name, const char *path);
