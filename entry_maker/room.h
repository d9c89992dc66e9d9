#pragma once
// Room for bytes whose length is not known beforehand: a block from malloc that grows.

#include <stddef.h>
#include <stdlib.h>

// Makes the block at *bytes, of *room bytes (none while it is null), hold needed bytes, keeping
// its contents. It at least doubles, so that an entry gathered a block at a time is moved a
// few times only. False when there is no memory for it.
inline bool
make_room(char **bytes, size_t *room, size_t needed)
{
	if (needed <= *room)
		return true;
	size_t larger = needed / 2 >= *room ? needed : 2 * *room;
	char *moved = static_cast<char *>(realloc(*bytes, larger));
	if (moved == nullptr)
		return false;
	*bytes = moved;
	*room = larger;
	return true;
}
