#pragma once
// The entry file being written, through one large block: entries and their padding are
// gathered with memcpy and memset and written when the block fills. Any failure to write ends
// the process with the error report for the file's name.

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

// Starts writing to stream, named name in messages.
void output_start(FILE *stream, const char *name);

void output_bytes(const void *bytes, size_t length);

void output_blanks(uint64_t count);

// Writes an entry behind padding blanks, and its NUL.
void output_entry(uint64_t padding, const char *bytes, size_t length);

// Writes what is gathered and closes the stream, or flushes it when it is standard output.
void output_finish();
