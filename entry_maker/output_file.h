#pragma once
// The one owner of what mirlmake writes, from the choice of where it goes to its place at the
// end. A regular file is never written in place: a new one is created beside it under a name
// that no one else holds, written, and renamed over it, so that a failure or an interrupt
// leaves the old file as it was. A device or a FIFO is written in place, as a rename would
// replace it. The bytes are gathered in one large block, with memcpy and memset, and written
// when it fills. Any failure ends the process with the error report for the output's name.

#include <stddef.h>
#include <stdint.h>

#include "system_calls.h"

// What is written: an entry file, which is binary and never goes to a console, or text.
enum class output_form { entry_file, text };

// Takes the file that name names, or standard output when it is null, for the output.
// Refuses, by ending the process before anything is read, an empty name, a folder and, for an
// entry file, a console.
void output_choose(const char *name, output_form form);

// Ends the process when the input of identity, named name, is the output: a file on disk that
// would be read while it is replaced.
void output_refuse_input(const file_identity *input, const char *name);

// The output's name in messages: as named, or stdout.
const char *output_name();

// Starts writing the output chosen.
void output_open();

void output_bytes(const void *bytes, size_t length);

void output_blanks(uint64_t count);

// Writes an entry behind padding blanks, and its NUL.
void output_entry(uint64_t padding, const char *bytes, size_t length);

// Writes what is gathered and puts the output in place. From the moment the new file takes the
// old one's place, an interrupt no longer ends the process: it then ends with status 0.
void output_close();
