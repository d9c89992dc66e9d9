#pragma once
// Making an entry file from text inputs in two passes: the first reads every input, refuses bad
// ones and counts the entries; the second reads them again and writes the file in the layout
// the counts fix. Nothing is written before the first pass has accepted all input.

#include "layout.h"

struct make_options {
	bool lines;   // -l: every line that is not blank is an entry
	bool as_kept; // -k: text is in the code page it is stored in, whatever it looks like
	layout_kind layout;
	const char *output; // null: standard output
	char **inputs;      // none: standard input
	int input_count;
};

// Makes the file, or ends the process with the message and status of the first failure,
// leaving no temporary behind.
void make_entry_file(const make_options *options);
