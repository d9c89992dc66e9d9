#pragma once
// Once every dead stretch is known, the generator's states that may draw a live offset, by
// buckets of states, so that redrawing steps the generator in a tight loop past the others: a
// multiply-add, a shift and a load a draw instead of a lookup in the map.

#include <stdint.h>

#include "dead_map.h"
#include "generator.h"

struct live_states {
	unsigned char *buckets; // not 0 where a state of the bucket may draw a live offset; heap
	int shift;              // a state's bucket is state >> shift
};

// Finds the buckets from the map of the drawable stretch of length positions at base: buckets
// is left without memory when there is none for it.
void find_live_states(live_states *live, const dead_map *dead, int32_t base, int32_t length);

inline bool
may_be_live(const live_states *live, uint32_t state)
{
	return live->buckets[state >> live->shift] != 0;
}

// Steps the generator on from state to the first state that may draw a live offset, adding the
// steps to *draws as long as it stays below limit; returns the state it stops at. Four states
// are tested at a time, each leapt to from the last four's last, and the first of them that
// may be live is then found step by step.
inline uint32_t
step_to_live(const live_states *live, uint32_t state, uint64_t *draws, uint64_t limit)
{
	uint64_t steps = *draws;
	const unsigned char *buckets = live->buckets;
	while (!may_be_live(live, state) && steps + 4 <= limit) {
		uint32_t second = state * leap_factor(2) + leap_term(2);
		uint32_t third = state * leap_factor(3) + leap_term(3);
		uint32_t fourth = state * leap_factor(4) + leap_term(4);
		if ((buckets[generator_step(state) >> live->shift] |
		     buckets[second >> live->shift] | buckets[third >> live->shift] |
		     buckets[fourth >> live->shift]) != 0)
			break;
		state = fourth;
		steps += 4;
	}
	while (!may_be_live(live, state) && steps < limit) {
		state = generator_step(state);
		steps++;
	}
	*draws = steps;
	return state;
}
