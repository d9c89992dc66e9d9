#pragma once
// Printing: the draw picks the entry, the entry file's rules read it, and here it is written
// out, or the process ends with the failure's message and status.

#include "entry_stream.h"

// Draws offsets until one reaches an entry and prints that entry and a line end, or ends the
// process.
void print_random_entry(entry_stream *stream);
