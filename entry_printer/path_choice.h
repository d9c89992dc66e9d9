#pragma once

// The value of the environment variable name: the entry spelled exactly so, else the first
// whose name matches without regard to letter case; null when there is none.
const char *find_variable(char **environment, const char *name);

// The entry file's path, in a new heap block of whatever length it needs: the argument after
// an exact "-f" first argument, else "mirl.lines" in the data directory, which VEMOLDATA may
// name within double quotes. Null when there is no memory.
char *choose_path(int argc, char **argv, char **environment);
