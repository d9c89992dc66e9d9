#include "live_states.h"

#include <stdlib.h>

#include "draw_rule.h"

// Beyond 32768 positions: sixteen buckets a dead stretch, so that few buckets hold both ends of
// a live run and most that may be live are; at least 4096 and at most 2^21 of them (2 MiB).
static int
bucket_bits(size_t stretches)
{
	int bits = 12;
	while (bits < 21 && (UINT64_C(1) << bits) < 16 * (static_cast<uint64_t>(stretches) + 1))
		bits++;
	return bits;
}

// Up to 32768 positions a draw's offset follows from its generator value, bits 16 to 30 of the
// state, so the buckets are the states' top 16 bits and each is exact. Beyond, the offset grows
// with the state, so a bucket of consecutive states draws the offsets from its first state's to
// its last's, and all of them are dead when one dead stretch holds both.
void
find_live_states(live_states *live, const dead_map *dead, int32_t base, int32_t length)
{
	int bits = length > 32768 ? bucket_bits(dead->count) : 16;
	uint32_t count = UINT32_C(1) << bits;
	live->shift = 32 - bits;
	live->buckets = static_cast<unsigned char *>(malloc(count));
	if (live->buckets == nullptr)
		return;
	uint32_t span = (UINT32_C(1) << live->shift) - 1;
	size_t i = 0;
	int64_t previous = INT64_MAX;
	for (uint32_t bucket = 0; bucket < count; bucket++) {
		uint32_t lowest = bucket << live->shift;
		int64_t first = base + offset_of_state(lowest, length);
		int64_t last = base + offset_of_state(lowest | span, length);
		// The dead stretch that may hold them is the first that ends at or after first; the
		// values of a short stretch start over at 0 every length values.
		if (first < previous)
			i = 0;
		previous = first;
		while (i < dead->count && dead->items[i].last < first)
			i++;
		live->buckets[bucket] =
		    i == dead->count || dead->items[i].first > first || dead->items[i].last < last;
	}
}
