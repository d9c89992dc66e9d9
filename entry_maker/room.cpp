#include "room.h"

#include <stdlib.h>

#include "error_report.h"

void
make_room(char **bytes, size_t *room, size_t needed)
{
	if (needed <= *room)
		return;
	size_t larger = needed / 2 >= *room ? needed : 2 * *room;
	char *moved = static_cast<char *>(realloc(*bytes, larger));
	if (moved == nullptr)
		fail_with_message("can't allocate more memory\n", 3);
	*bytes = moved;
	*room = larger;
}
