#pragma once
// Reads the inputs of mirlmake in large blocks: each through the splitter, and standard input
// once into a spool file, since it cannot be read twice.

#include "entry_splitter.h"

// Splits the input at path, named name in messages, to its end or its first refused byte.
// Ends the process when the input cannot be read.
split_result split_input(entry_splitter *splitter, const char *name, const char *path);

// Copies standard input into a new file at path. Ends the process on failure.
void spool_standard_input(const char *path);
