#pragma once
// Room for bytes whose length is not known beforehand: a block from malloc that grows.

#include <stddef.h>

// Makes the block at *bytes, of *room bytes (none while it is null), hold needed bytes, keeping
// its contents. It at least doubles, so that bytes gathered a block at a time are moved a few
// times only. Ends the process when there is no memory for it.
void make_room(char **bytes, size_t *room, size_t needed);
