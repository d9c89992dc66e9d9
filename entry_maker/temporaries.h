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

// A new path beside the file at beside: that path, a dot, the process id and suffix; it is
// removed by remove_temporaries. Ends the process when there is no memory.
const char *temporary_path(const char *beside, const char *suffix);

// A new path for a spool in the system's temporary folder, removed as temporary_path's are.
const char *spool_path();

// Leaves the temporary at path in place when the process ends; the path is then the caller's
// to free.
void keep_temporary(const char *path);

// Closes what is open and removes every registered temporary.
void remove_temporaries();
