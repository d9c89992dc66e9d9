#pragma once
// The stretches of drawable offsets known to be dead: a scan from any of them meets the end of
// the file or a 0x1A before an entry's first byte. Sorted, apart from each other (stretches that
// touch are one), first offset to last, inclusive.

#include <stddef.h>
#include <stdint.h>

struct dead_stretch {
	int32_t first;
	int32_t last;
};

struct dead_map {
	dead_stretch *items; // heap memory, or none
	size_t count;
	size_t room;
};

// An empty map, holding no memory.
void dead_map_start(dead_map *map);
void dead_map_free(dead_map *map);

// The index of the first stretch that begins after offset.
size_t first_after(const dead_map *map, int64_t offset);

// The last offset of the dead stretch holding offset, or -1.
int64_t dead_stretch_end(const dead_map *map, int64_t offset);

// Adds first..last, which lie in the drawable stretch, merged with the stretches it overlaps or
// touches. A map that runs out of memory keeps the longer half of its stretches.
void remember_dead(dead_map *map, int64_t first, int64_t last);
