#pragma once
// mirlmake -c -a: every printable entry's exact share of the generator's 2^32 seeds, redraws
// included, counted by walking the generator's cycle once.
//
// A seed's draws take the states after it in the cycle, one a draw, until one is live: its draw
// reaches an entry. So a live state ends the chains of 1 + d seeds, d being the number of dead
// states just before it. The walk visits every state once, and what a state's draw reaches is
// looked up, not scanned: memory follows the number of entries, not the size of the file.

#include <stdint.h>

#include "entry_check.h"

// The states whose draws reach one printable entry, first to last (beyond 32768 positions), and
// the seeds that print it. Slot 0 takes the counts of dead states, and a last slot ends lookups.
struct seed_run {
	uint32_t first;
	uint32_t last;
	uint64_t seeds;
};

struct seed_walk {
	draw_share share;
	uint64_t printable;
	seed_run *runs; // printable + 2
	// Up to 32768 positions: the slot that each generator value reaches. Beyond: for each
	// bucket of states (state >> shift), the first slot that can hold one of them.
	uint32_t *reach;
	int shift;
};

// Makes room for the walk over a file whose check gave summary; false when memory runs out.
bool start_walk(seed_walk *walk, const check_summary *summary);

// Takes a checked entry; an entry_checked for check_entries, with the walk as its context.
void take_run(void *context, const checked_entry *entry);

// Counts every printable entry's seeds into runs[1..printable].seeds, after every entry was
// taken.
void walk_all_seeds(seed_walk *walk);
