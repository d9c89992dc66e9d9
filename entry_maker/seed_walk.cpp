#include "seed_walk.h"

#include <stdint.h>
#include <stdlib.h>

#include "draw_rule.h"
#include "generator.h"
#include "progress.h"

enum { generator_values = 32768 };

static bool
scaled(const seed_walk *walk)
{
	return walk->share.values > generator_values;
}

// Beyond 32768 positions, sixteen buckets of states a slot, so that a run's first and last
// state fall into few of them; at most 2^24 of them.
static int
bucket_shift(uint64_t slots)
{
	int bits = 1;
	while (bits < 24 && (UINT64_C(1) << bits) < 16 * slots)
		bits++;
	return 32 - bits;
}

// Marks a bucket that holds states of more than one slot: its value is the first of them.
const uint32_t mixed_bucket = UINT32_C(1) << 31;

bool
start_walk(seed_walk *walk, const check_summary *summary)
{
	walk->share = share_of(summary->drawable);
	walk->printable = summary->printable;
	uint64_t slots = walk->printable + 2;
	walk->shift = scaled(walk) ? bucket_shift(slots) : 0;
	uint64_t reach = UINT64_C(1) << (32 - walk->shift);
	if (!scaled(walk))
		reach = generator_values;
	walk->runs = nullptr;
	walk->reach = static_cast<uint32_t *>(calloc(reach, sizeof(uint32_t)));
	if (slots <= SIZE_MAX / sizeof(seed_run))
		walk->runs = static_cast<seed_run *>(calloc(slots, sizeof(seed_run)));
	return walk->runs != nullptr && walk->reach != nullptr;
}

void
take_run(void *context, const checked_entry *entry)
{
	seed_walk *walk = static_cast<seed_walk *>(context);
	uint32_t slot = static_cast<uint32_t>(entry->number);
	if (slot == 0)
		return;
	if (scaled(walk)) {
		seed_run *run = &walk->runs[slot];
		run->first = static_cast<uint32_t>(values_below(&walk->share, entry->run_first));
		run->last = static_cast<uint32_t>(values_below(&walk->share, entry->run_end) - 1);
	} else {
		for (int64_t k = entry->run_first; k < entry->run_end; k++)
			walk->reach[k] = slot;
	}
}

// Up to 32768 positions, turns the slots of the offsets into those of the generator's values.
// A value's offset is at most the value, so going down reads each offset's slot before it is
// overwritten. Beyond, ends the runs with a slot that holds the last state, and fills the
// buckets.
static void
finish_reach(seed_walk *walk)
{
	int32_t length = static_cast<int32_t>(walk->share.length);
	if (!scaled(walk)) {
		for (uint32_t value = generator_values; value-- > 0;)
			walk->reach[value] = walk->reach[offset_of_state(value << 16, length)];
		return;
	}
	seed_run *end = &walk->runs[walk->printable + 1];
	end->first = UINT32_MAX;
	end->last = UINT32_MAX;
	uint32_t slot = 1;
	for (uint64_t bucket = 0; bucket < UINT64_C(1) << (32 - walk->shift); bucket++) {
		uint32_t lowest = static_cast<uint32_t>(bucket << walk->shift);
		uint32_t highest = lowest + ((UINT32_C(1) << walk->shift) - 1);
		while (walk->runs[slot].last < lowest)
			slot++;
		const seed_run *run = &walk->runs[slot];
		if (slot > walk->printable || run->first > highest)
			walk->reach[bucket] = 0;
		else if (run->first <= lowest && run->last >= highest)
			walk->reach[bucket] = slot;
		else
			walk->reach[bucket] = slot | mixed_bucket;
	}
}

// The slot that the draw from state reaches, 0 when it is dead: up to 32768 positions, the one
// of its generator value.
static inline uint32_t
slot_of_value(const seed_walk *walk, uint32_t state)
{
	return walk->reach[generator_value(state)];
}

// Beyond, the bucket's slot, or in a mixed bucket the first run from its first slot on that
// ends at or after the state, when it begins by then.
static inline uint32_t
slot_of_scaled(const seed_walk *walk, uint32_t state)
{
	uint32_t slot = walk->reach[state >> walk->shift];
	if ((slot & mixed_bucket) == 0)
		return slot;
	slot &= ~mixed_bucket;
	while (walk->runs[slot].last < state)
		slot++;
	bool live = slot <= walk->printable && state >= walk->runs[slot].first;
	return live ? slot : 0;
}

// The walk shows its progress every 2^22 states: a thousand times over the cycle.
enum { steps_at_once = 8, states_between_shows = 1 << 22 };

// Walks the cycle from the live state start round to it again, crediting each live state's slot
// with its own seed and those of the dead states just before it. The states are taken eight at
// a time, each from the last of the eight before it, by the leaps of one to eight steps. No
// branches: the draws' outcomes would make them unpredictable.
template <uint32_t slot_of(const seed_walk *, uint32_t)>
static void
walk_cycle(seed_walk *walk, uint32_t start)
{
	uint32_t factor[steps_at_once], term[steps_at_once];
	for (int j = 0; j < steps_at_once; j++) {
		factor[j] = leap_factor(j + 1);
		term[j] = leap_term(j + 1);
	}
	seed_run *runs = walk->runs;
	uint64_t dead = 0;
	uint32_t base = start;
	progress shown;
	progress_start(&shown, UINT64_C(1) << 32);
	uint64_t walked = 0;
	uint32_t until_shown = states_between_shows / steps_at_once;
	do {
		uint32_t state = base;
		for (int j = 0; j < steps_at_once; j++) {
			state = base * factor[j] + term[j];
			uint32_t slot = slot_of(walk, state);
			runs[slot].seeds += dead + 1;
			dead = (dead + 1) & (0 - static_cast<uint64_t>(slot == 0));
		}
		base = state;
		if (--until_shown == 0) {
			until_shown = states_between_shows / steps_at_once;
			walked += states_between_shows;
			progress_at(&shown, walked);
		}
	} while (base != start);
	progress_end(&shown);
}

void
walk_all_seeds(seed_walk *walk)
{
	if (walk->printable == 0)
		return;
	finish_reach(walk);
	if (scaled(walk)) {
		walk_cycle<slot_of_scaled>(walk, walk->runs[1].first);
		return;
	}
	uint32_t value = 0;
	while (walk->reach[value] == 0)
		value++;
	walk_cycle<slot_of_value>(walk, value << 16);
}
