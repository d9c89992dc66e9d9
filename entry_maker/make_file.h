#pragma once
// Making an entry file from text inputs in two passes: the first reads every input, refuses bad
// ones and counts the entries; the second reads them again and writes the file in the layout
// the counts fix. Nothing is written before the first pass has accepted all input.

#include "layout.h"

struct make_options {
	bool lines; // -l: every line that is not blank is an entry
	layout_kind layout;
	const char *output; // null: standard output
	char **inputs;      // none: standard input
	int input_count;
};

// Makes the file, or ends the process with the message and status of the first failure,
// leaving no temporary behind.
void make_entry_file(const make_options *options);

// Refuses an output that is a folder, before anything is read or written, by ending the
// process.
void check_output_file(const char *output);

// Where the made file goes: the file that OUTPUT names, through any symbolic link, and the
// temporary beside it that takes its place when done; neither when the file goes to standard
// output, or is written in place.
struct output_place {
	const char *file;
	const char *temporary;
};

// Starts the output. A device or a FIFO is written in place, as a rename would replace it; a
// regular file is replaced by a new one with its permissions, written beside it first.
output_place start_output(const char *output);

// Ends the output that start_output began: the last bytes written, and the temporary renamed
// over the file; ends the process on failure.
void finish_output(const output_place *place, const char *output);
