#pragma once
// The files mirlmake writes only for the length of a run: the spools of the inputs that cannot
// be read twice, and the output before it is renamed into place. Each is removed when the
// process ends, however it ends: through exit, or interrupted by the user or the system. What
// is open on them is closed first, since Windows cannot remove an open file.

#include <stdio.h>

// The stream being written and the descriptor being read, or null when none is.
extern FILE *open_stream;
extern const int *open_descriptor;

// Has the temporaries removed at every end of the process, from now on.
void remove_temporaries_at_end();

// Creates a new file for writing at prefix, a dot, the process id, a dot, a number and suffix,
// the next number while a name is taken: the names can be foreseen, and a file or a link put
// there by another must be neither replaced nor followed. The file is removed by
// remove_temporaries. Returns its stream and, in *path, its name; null with errno set on
// failure, with the last name tried in *path, not listed for removal.
FILE *create_temporary(const char *prefix, const char *suffix, const char **path);

// The prefix for a spool in the system's temporary folder; a new string.
const char *spool_prefix();

// Leaves the temporary at path in place when the process ends; the path is then the caller's
// to free.
void keep_temporary(const char *path);

// Closes what is open and removes every registered temporary.
void remove_temporaries();
