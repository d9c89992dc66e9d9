#include "dead_map.h"

#include <stdlib.h>
#include <string.h>

// 8 MiB of stretches. A file with more than that many has a live offset between every two of
// them, so at least one offset in 2^31 / 2^20 = 2048 is live and a print draws about as many
// times at most: dropping some of them costs few reads.
enum { most_dead_stretches = 1 << 20 };

void
dead_map_start(dead_map *map)
{
	map->items = nullptr;
	map->count = 0;
	map->room = 0;
}

void
dead_map_free(dead_map *map)
{
	free(map->items);
	dead_map_start(map);
}

size_t
first_after(const dead_map *map, int64_t offset)
{
	size_t low = 0, high = map->count;
	while (low < high) {
		size_t middle = low + (high - low) / 2;
		if (map->items[middle].first <= offset)
			low = middle + 1;
		else
			high = middle;
	}
	return low;
}

int64_t
dead_stretch_end(const dead_map *map, int64_t offset)
{
	size_t after = first_after(map, offset);
	if (after == 0 || offset > map->items[after - 1].last)
		return -1;
	return map->items[after - 1].last;
}

// Of each two neighbours, the shorter gives way: half the stretches go, and what stays covers at
// least half the offsets known dead, the long stretches whose scans read most among them.
static void
drop_shorter_half(dead_map *map)
{
	size_t kept = 0;
	for (size_t i = 0; i < map->count; i += 2) {
		dead_stretch longer = map->items[i];
		if (i + 1 < map->count &&
		    map->items[i + 1].last - map->items[i + 1].first > longer.last - longer.first)
			longer = map->items[i + 1];
		map->items[kept++] = longer;
	}
	map->count = kept;
}

// Makes room for one more stretch: twice the room, or half the stretches when the room is at
// its most or the memory is out. False only when there is no memory for any stretch.
static bool
make_room(dead_map *map)
{
	if (map->count < map->room)
		return true;
	size_t room = map->room == 0 ? 64 : 2 * map->room;
	void *larger = nullptr;
	if (room <= most_dead_stretches)
		larger = realloc(map->items, room * sizeof map->items[0]);
	if (larger != nullptr) {
		map->items = static_cast<dead_stretch *>(larger);
		map->room = room;
	} else {
		drop_shorter_half(map);
	}
	return map->count < map->room;
}

void
remember_dead(dead_map *map, int64_t first, int64_t last)
{
	size_t end = first_after(map, last + 1);
	size_t begin = end;
	while (begin > 0 && map->items[begin - 1].last + 1 >= first)
		begin--;
	if (begin == end) {
		if (!make_room(map))
			return;
		begin = first_after(map, last + 1); // again: making room may drop stretches
		memmove(&map->items[begin + 1], &map->items[begin],
			(map->count - begin) * sizeof map->items[0]);
		map->count++;
	} else {
		if (map->items[begin].first < first)
			first = map->items[begin].first;
		if (map->items[end - 1].last > last)
			last = map->items[end - 1].last;
		// The stretches begin..end-1 give way to the one at begin.
		if (end - begin > 1) {
			memmove(&map->items[begin + 1], &map->items[end],
				(map->count - end) * sizeof map->items[0]);
			map->count -= end - begin - 1;
		}
	}
	map->items[begin] = {static_cast<int32_t>(first), static_cast<int32_t>(last)};
}
